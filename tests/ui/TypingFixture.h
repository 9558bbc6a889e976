#pragma once

#include "EditCommandsFixture.h"

// One typing case: a file, its text with the caret, the keys, the result.
struct KeysCase {
    const char* name;
    QString file;
    QString text;
    QString keys;
    QString expected;
};

// A document open in the full window with the keyboard in its text, written
// with EditCommandsFixture's marks.
struct TypingFixture : EditCommandsFixture {
    // Keys as the user presses them: \n Enter, \t Tab, \x02 Shift+Tab, \b Backspace.
    static void press(const QString& keys)
    {
        for (QChar c : keys) {
            switch (c.unicode()) {
            case u'\n': key(Qt::Key_Return); break;
            case u'\t': key(Qt::Key_Tab); break;
            case u'\x02': key(Qt::Key_Backtab, Qt::ShiftModifier); break;
            case u'\b': key(Qt::Key_Backspace); break;
            default: type(QString(c)); break;
            }
        }
    }
    // Opens the case's file, presses its keys and compares text and caret.
    void run(const KeysCase& c)
    {
        SCOPED_TRACE(c.name);
        open(c.file, c.text);
        press(c.keys);
        EXPECT_EQ(marked(), c.expected);
    }
    static void undo() { key(Qt::Key_Z, Qt::ControlModifier); }
    // The texts one Ctrl+Z after another shows, until nothing is left to undo.
    std::vector<QString> undoAll()
    {
        std::vector<QString> seen;
        for (int i = 0; i < 20 && view()->canUndo(); ++i) {
            undo();
            seen.push_back(doc->text());
        }
        return seen;
    }
};

// A case's text with ^ standing for the caret.
inline QString at(const char* s) { return QString::fromUtf8(s).replace(u'^', u'|'); }
