#pragma once

#include "core/Doc.h"
#include "plugins/Outline.h"

#include <QListView>

class WindowModel;
class QLineEdit;
class OutlineRows;

// The document's headings in a popup: arrows choose, Return or a click
// puts the caret on the heading's line and gives the editor the keyboard.
// The heading holding the caret is marked and chosen when it opens. The
// field above the list narrows it as one types, by characters or pinyin.
class OutlinePanel : public QListView {
    Q_OBJECT
public:
    OutlinePanel(WindowModel& model, DocPtr doc, QWidget* parent = nullptr);
    // Texts this long have their headings gathered on a worker (tests lower it).
    static inline qsizetype asideBytes = qsizetype(1) << 20;
    const QList<OutlineEntry>& entries() const;
    // The entry holding the caret when the panel opened; -1 for none.
    int caretEntry() const { return caretEntry_; }
    QLineEdit* filterField() const { return filter_; }
    // The rows listed, hidden ones included, and the chosen one (-1 for none).
    int count() const;
    int currentRow() const { return currentIndex().row(); }
    QString text(int row) const;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void jump(int row);
    void gather(TextCopy copy);
    void showGathering();
    void fill(QList<OutlineEntry> entries);
    void narrow(const QString& query);

    WindowModel& model_;
    DocPtr doc_;
    OutlineRows* rows_;
    // Rows are listed (the headings, or the notice that they are being
    // gathered) and the panel has its size.
    bool shown_ = false;
    int caretEntry_ = -1;
    int caretLine_ = 0;
    QLineEdit* filter_;
};
