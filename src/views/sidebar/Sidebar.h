#pragma once

#include "views/sidebar/GroupView.h"
#include "views/sidebar/SidebarRows.h"

#include <QFrame>
#include <QPointer>
#include <QSet>
#include <functional>

class WindowModel;
class DocListView;
class IconButton;
class QFileSystemWatcher;
class QLabel;
class QScrollArea;
class QVBoxLayout;

// The left column: tool row, open documents by group, recent files, settings.
// Built once; sync() brings the list in line with the model without rebuilding it.
class Sidebar : public QFrame {
    Q_OBJECT
public:
    static constexpr int fixedWidth = 248;
    using AnchorSink = std::function<void(const QString&, QWidget*)>;
    Sidebar(WindowModel& model, const AnchorSink& reportAnchor = {}, QWidget* parent = nullptr);

    static bool shouldCap(const QList<SidebarGroup>& groups, const QSet<QString>& collapsed, int recentCount,
                          int available);
    // The model's groups with their colours.
    QList<SidebarGroup> groups() const;
    void sync();
    QList<GroupView*> groupViews() const;
    QList<RecentRow*> recentRows() const;
    // Gives the keyboard to the list, at the active document's row; false when the list is empty.
    bool focusList();
    // Moves the keyboard from a list row (a document list or a recent row) by
    // an arrow, Home or End key, across groups and into the recent files.
    void step(QWidget* from, int key);
    // Where the control that opens the popup of this anchor is, in `in`'s
    // coordinates: a document row's tag button. None while it is not shown.
    std::optional<QRect> anchorRect(const QString& anchor, const QWidget* in) const;
    QWidget* listContent() const { return content_; }
    IconButton* openButton() const { return openButton_; }
    IconButton* newButton() const { return newButton_; }
    IconButton* settingsButton() const { return settingsButton_; }

protected:
    void resizeEvent(QResizeEvent*) override;
    void paintEvent(QPaintEvent*) override;

private:
    void syncRecent();
    void rowChanged(const QModelIndex& from, const QModelIndex& to);
    void followActive();
    void followPopup();
    void scheduleSync();

    WindowModel& model_;
    QScrollArea* scroll_;
    QWidget* content_;
    SectionTitle* openTitle_;
    QVBoxLayout* groupList_;
    QLabel* noDocs_;
    SectionTitle* recentTitle_;
    QVBoxLayout* recentList_;
    IconButton* openButton_;
    IconButton* newButton_;
    IconButton* settingsButton_;
    QFileSystemWatcher* recentWatch_;
    std::optional<QUuid> tagPopupDoc_;
    // The list whose tag button was clicked last: a popup hangs from its row.
    QPointer<DocListView> tagList_;
    bool lastCap_ = false;
    bool syncPosted_ = false;
};
