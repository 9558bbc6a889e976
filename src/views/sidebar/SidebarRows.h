#pragma once

#include <QUuid>
#include <QWidget>
#include <optional>

class WindowModel;
class QLabel;
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

// A row of the sidebar's list that takes the keyboard from Tab or F6, as the
// document lists do: Up and Down move on, Return opens, Escape goes back to the text.
class ListRow : public QWidget {
    Q_OBJECT
public:
    explicit ListRow(WindowModel& model, QWidget* parent = nullptr);
    virtual void choose() = 0;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    // The accent ring drawn while the row has the keyboard.
    void paintFocus(QPainter& p) const;
    WindowModel& model_;
};

// A recently closed file; struck through while it does not exist.
class RecentRow : public ListRow {
    Q_OBJECT
public:
    static constexpr int rowHeight = 24;
    RecentRow(WindowModel& model, const QString& path, QWidget* parent = nullptr);
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
