#pragma once

#include "core/Doc.h"
#include "plugins/Outline.h"

#include <QListWidget>

class AppModel;
class QLineEdit;

// The document's headings in a popup: arrows choose, Return or a click
// puts the caret on the heading's line and gives the editor the keyboard.
// The heading holding the caret is marked and chosen when it opens. The
// field above the list narrows it as one types, by characters or pinyin.
class OutlinePanel : public QListWidget {
    Q_OBJECT
public:
    OutlinePanel(AppModel& model, DocPtr doc, QWidget* parent = nullptr);
    // Texts this long have their headings gathered on a worker (tests lower it).
    static inline qsizetype asideBytes = qsizetype(1) << 20;
    const QList<OutlineEntry>& entries() const { return entries_; }
    // The entry holding the caret when the panel opened; -1 for none.
    int caretEntry() const { return caretEntry_; }
    QLineEdit* filterField() const { return filter_; }

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

    AppModel& model_;
    DocPtr doc_;
    QList<OutlineEntry> entries_;
    int caretEntry_ = -1;
    int caretLine_ = 0;
    QLineEdit* filter_;
};
