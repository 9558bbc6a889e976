#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

// Tells `report` when the pointer enters (true) or leaves (false) the widget.
class HoverReport : public QObject {
public:
    HoverReport(QObject* watched, std::function<void(bool)> report) : QObject(watched), report_(std::move(report))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Enter)
            report_(true);
        else if (e->type() == QEvent::Leave)
            report_(false);
        return false;
    }

private:
    std::function<void(bool)> report_;
};
