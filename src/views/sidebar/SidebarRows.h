#pragma once

#include "core/Doc.h"

#include <QWidget>
#include <optional>

class AppModel;
class IconButton;
class QLabel;
class QMenu;
class QMimeData;

// Small muted heading with an optional count.
class SectionTitle : public QWidget {
    Q_OBJECT
public:
    SectionTitle(const QString& title, std::optional<int> count, QWidget* parent = nullptr);
    void setCount(int count);

private:
    QLabel* count_ = nullptr;
};

// One open document: name, extension badge, tag button, close button or unsaved dot.
// Kept for as long as the document is listed; refresh() follows its state in place.
class DocRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 28;
    DocRow(AppModel& model, DocPtr doc, QWidget* parent = nullptr);
    const DocPtr& doc() const { return doc_; }
    // Built fresh for every right click; owned by the caller.
    QMenu* contextMenu();
    bool dropOver() const { return dropOver_; }
    bool hovered() const { return hover_; }
    // Name, active, popup and unsaved state.
    void refresh();
    IconButton* tagButton() const { return tagButton_; }

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
    DocPtr doc_;
    QLabel* name_;
    QLabel* ext_;
    IconButton* tagButton_;
    IconButton* closeButton_;
    QWidget* dirtyDot_;
    QPoint pressAt_;
    bool pressed_ = false;
    bool hover_ = false;
    bool dropOver_ = false;
};

// A recently closed file; struck through while it does not exist.
class RecentRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 24;
    RecentRow(AppModel& model, const QString& path, QWidget* parent = nullptr);
    const QString& path() const { return path_; }
    bool missing() const { return missing_; }
    // Looks at the disk again.
    void refresh();

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

// The document id a drag carries, when it carries one.
std::optional<QUuid> draggedDocID(const QMimeData* mime);
