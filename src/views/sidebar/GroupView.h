#pragma once

#include "core/Doc.h"

#include <QColor>
#include <QWidget>

class WindowModel;
class DocListView;
class QLabel;
class QVBoxLayout;

// One group of the sidebar: a tag with its open documents, or "_" for the untagged ones.
struct SidebarGroup {
    QString id;
    QString name;
    QColor color;
    QList<DocPtr> docs;
};

// A group's header and its documents' list. The list follows the grouped
// documents model itself; setGroup() only sets the header and the list's height.
class GroupView : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 28;
    static constexpr int visibleLimit = 8;
    GroupView(WindowModel& model, const QString& id, QWidget* parent = nullptr);
    void setGroup(const SidebarGroup& group, bool capped);
    const QString& id() const { return id_; }
    QWidget* header() const { return header_; }
    QWidget* endZone() const { return endZone_; }
    DocListView* list() const { return list_; }
    // The list shows fewer rows than it holds and scrolls them.
    bool isCapped() const { return capped_; }

protected:
    bool eventFilter(QObject*, QEvent*) override;

private:
    void paintHeader();
    WindowModel& model_;
    QString id_;
    QColor color_;
    bool open_ = true;
    QWidget* header_;
    QLabel* name_;
    QLabel* count_;
    DocListView* list_;
    bool capped_ = false;
    QVBoxLayout* column_;
    QWidget* endZone_;
    bool endOver_ = false;
};
