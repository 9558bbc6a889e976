#pragma once

#include <QObject>
#include <optional>

class FindState;

// What the editors need from the window around them: the find bar's state
// they search for, the view zoom they draw at, and where the active editor
// reports its carets. The window gives one to the editors it makes.
class EditorHost : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual FindState& find() = 0;
    // The editor's and the preview's view zoom in percent (Zoom::steps).
    virtual int zoom() const = 0;
    // The active editor's caret count while it has several, else none.
    virtual void setMultiCaretCount(std::optional<int> count) = 0;

signals:
    void zoomChanged();
};
