#pragma once

#include "core/Doc.h"
#include "views/sidebar/SidebarColors.h"
#include "views/sidebar/SidebarHooks.h"

#include <QFrame>
#include <QSet>
#include <QWidget>

class AppModel;
class QLabel;
class QMenu;
class QScrollArea;
class QVBoxLayout;

// Small square icon button with a hover shade.
class SmallButton : public QFrame {
    Q_OBJECT
public:
    SmallButton(const QString& symbol, const QString& help, std::function<void()> action,
                QWidget* parent = nullptr);
    const QString& symbol() const { return symbol_; }
    void setLit(bool lit) { lit_ = lit; update(); }

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    QString symbol_;
    std::function<void()> action_;
    bool hover_ = false;
    bool lit_ = false;
};

class SectionTitle : public QWidget {
    Q_OBJECT
public:
    SectionTitle(const QString& title, std::optional<int> count, QWidget* parent = nullptr);
};

class DocRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 28;
    DocRow(AppModel& model, const SidebarHooks& hooks, DocPtr doc, QWidget* parent = nullptr);
    const DocPtr& doc() const { return doc_; }
    // Built fresh for every right click; owned by the caller.
    QMenu* contextMenu();
    bool dropOver() const { return dropOver_; }
    bool hovered() const { return hover_; }
    // Active, popup and unsaved state, without rebuilding.
    void refresh();

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    void dragLeaveEvent(QDragLeaveEvent*) override;
    void dropEvent(QDropEvent*) override;

private:
    void refreshTrailing();
    AppModel& model_;
    const SidebarHooks& hooks_;
    DocPtr doc_;
    SmallButton* tagButton_;
    SmallButton* closeButton_;
    QWidget* dirtyDot_;
    QPoint pressAt_;
    bool pressed_ = false;
    bool hover_ = false;
    bool dropOver_ = false;
};

class GroupView : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 28;
    static constexpr int visibleLimit = 8;
    GroupView(AppModel& model, const SidebarHooks& hooks, const SidebarGroup& group, bool capped,
              QWidget* parent = nullptr);
    const QString& id() const { return id_; }
    QWidget* header() const { return header_; }
    QWidget* endZone() const { return endZone_; }
    // The scroll area holding the rows when the group is capped.
    QScrollArea* rowScroll() const { return rowScroll_; }
    QList<DocRow*> rows() const;

protected:
    bool eventFilter(QObject*, QEvent*) override;

private:
    AppModel& model_;
    const SidebarHooks& hooks_;
    QString id_;
    QWidget* header_ = nullptr;
    QWidget* endZone_ = nullptr;
    QScrollArea* rowScroll_ = nullptr;
    bool endOver_ = false;
};

class RecentRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 24;
    RecentRow(AppModel& model, const QString& path, QWidget* parent = nullptr);
    const QString& path() const { return path_; }
    bool missing() const { return missing_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    AppModel& model_;
    QString path_;
    bool missing_ = false;
    bool hover_ = false;
};

// The left column: tool row, open documents by group, recent files, settings.
class Sidebar : public QFrame {
    Q_OBJECT
public:
    static constexpr int fixedWidth = 248;
    Sidebar(AppModel& model, SidebarHooks hooks, QWidget* parent = nullptr);

    static bool shouldCap(const QList<SidebarGroup>& groups, const QSet<QString>& collapsed,
                          int recentCount, int available);
    // Rebuilds the list from the model.
    void rebuild();
    QList<GroupView*> groupViews() const;
    QList<RecentRow*> recentRows() const;
    QWidget* listContent() const { return content_; }
    SmallButton* openButton() const { return openButton_; }
    SmallButton* newButton() const { return newButton_; }
    SmallButton* settingsButton() const { return settingsButton_; }

protected:
    void resizeEvent(QResizeEvent*) override;
    void paintEvent(QPaintEvent*) override;

private:
    void watchDocs();
    AppModel& model_;
    SidebarHooks hooks_;
    QScrollArea* scroll_;
    QWidget* content_ = nullptr;
    SmallButton* openButton_;
    SmallButton* newButton_;
    SmallButton* settingsButton_;
    bool lastCap_ = false;
    QList<QMetaObject::Connection> docLinks_;
};
