#pragma once

#include "core/Doc.h"

#include <QWidget>
#include <optional>

class AppModel;
class IconButton;
class QLabel;
class QMenu;
class QMimeData;
class QPainter;

// Small muted heading with an optional count.
class SectionTitle : public QWidget {
    Q_OBJECT
public:
    SectionTitle(const QString& title, std::optional<int> count, QWidget* parent = nullptr);
    void setCount(int count);

private:
    QLabel* count_ = nullptr;
};

// The rows of the sidebar's list take the keyboard from Tab or F6: Up and
// Down move between them, Return opens, Escape goes back to the text.
class ListRow : public QWidget {
    Q_OBJECT
public:
    explicit ListRow(AppModel& model, QWidget* parent = nullptr);
    virtual void choose() = 0;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    // The accent ring drawn while the row has the keyboard.
    void paintFocus(QPainter& p) const;
    AppModel& model_;
};

// One open document: name, extension badge, tag button, close button or unsaved dot.
// Kept for as long as the document is listed; refresh() follows its state in place.
class DocRow : public ListRow {
    Q_OBJECT
public:
    static constexpr int rowHeight = 28;
    DocRow(AppModel& model, DocPtr doc, QWidget* parent = nullptr);
    void choose() override;
    const DocPtr& doc() const { return doc_; }
    // Built fresh for every right click; owned by the caller.
    QMenu* contextMenu();
    bool dropOver() const { return dropOver_; }
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
class RecentRow : public ListRow {
    Q_OBJECT
public:
    static constexpr int rowHeight = 24;
    RecentRow(AppModel& model, const QString& path, QWidget* parent = nullptr);
    void choose() override;
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
    QString path_;
    bool missing_ = false;
    bool hover_ = false;
};

// The document id a drag carries, when it carries one.
std::optional<QUuid> draggedDocID(const QMimeData* mime);
