#pragma once

#include "core/Doc.h"

#include <QWidget>
#include <functional>

class WindowModel;
class ActionBar;
class EditorArea;
class EditorCache;
class FindBar;
class GoToLineBar;
class NoticeBar;
class PaneHeader;
class PaneStatusBar;

// The active document: header, notice, plugin actions, find bar, editor and
// preview with the diagnostic strip, and the status bar. Built once; every part
// follows the model and the document in place.
class DocPane : public QWidget {
    Q_OBJECT
public:
    using AnchorSink = std::function<void(const QString&, QWidget*)>;
    DocPane(WindowModel& model, EditorCache& editors, const AnchorSink& reportAnchor, QWidget* parent = nullptr);
    void setDoc(const DocPtr& doc);
    const DocPtr& doc() const { return doc_; }

    PaneHeader* header() const { return header_; }
    NoticeBar* notice() const { return notice_; }
    ActionBar* actions() const { return actions_; }
    FindBar* findBar() const { return find_; }
    GoToLineBar* goToLineBar() const { return goTo_; }
    EditorArea* area() const { return area_; }
    PaneStatusBar* status() const { return status_; }

private:
    void follow(Doc* d);

    WindowModel& model_;
    DocPtr doc_;
    PaneHeader* header_;
    NoticeBar* notice_;
    ActionBar* actions_;
    FindBar* find_;
    GoToLineBar* goTo_;
    EditorArea* area_;
    PaneStatusBar* status_;
    QList<QMetaObject::Connection> links_;
};
