#pragma once

#include "core/Doc.h"
#include "plugins/Outline.h"

#include <QListWidget>

class AppModel;

// The document's headings in a popup: arrows choose, Return or a click
// puts the caret on the heading's line and gives the editor the keyboard.
// The heading holding the caret is marked and chosen when it opens.
class OutlinePanel : public QListWidget {
    Q_OBJECT
public:
    OutlinePanel(AppModel& model, DocPtr doc, QWidget* parent = nullptr);
    // Texts this long have their headings gathered on a worker (tests lower it).
    static inline qsizetype asideBytes = qsizetype(1) << 20;
    const QList<OutlineEntry>& entries() const { return entries_; }
    // The entry holding the caret when the panel opened; -1 for none.
    int caretEntry() const { return caretEntry_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void jump(int row);
    void gather(TextCopy copy);
    void showGathering();
    void fill(QList<OutlineEntry> entries);

    AppModel& model_;
    DocPtr doc_;
    QList<OutlineEntry> entries_;
    int caretEntry_ = -1;
    int caretLine_ = 0;
};
