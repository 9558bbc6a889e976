#pragma once

#include "core/AppModel.h"
#include "editor/CodeTextView.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"

#include <QTest>
#include <gtest/gtest.h>

#include "WaitUntil.h"
#include "WindowFixture.h"

// One typing case: a file, its text with the caret, the keys, the result.
struct KeysCase {
    const char* name;
    QString file;
    QString text;
    QString keys;
    QString expected;
};

// A document open in the full window with the keyboard in its text.
struct TypingFixture : WindowFixture {
    // Marks the caret in texts the tests write: ‸
    static constexpr char16_t caretMark = u'\u2038';
    DocPtr doc;
    CodeTextView* view = nullptr;

    // Opens `name` holding `text`, the caret where the text has its mark.
    void open(const QString& name, const QString& text = {})
    {
        QString plain = text;
        const qsizetype caret = plain.indexOf(QChar(caretMark));
        plain.remove(QChar(caretMark));
        window->openFiles({write(name, plain.toUtf8())});
        doc = model->active();
        ASSERT_TRUE(doc);
        view = editors->existing(doc->id)->textView();
        ASSERT_EQ(focused(), view);
        view->setCursorPosition(caret < 0 ? int(plain.size()) : int(caret));
    }
    // The text with the caret's mark in it.
    QString marked() const
    {
        QString t = doc->text();
        t.insert(view->cursorPosition(), QChar(caretMark));
        return t;
    }
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
        for (int i = 0; i < 20 && view->canUndo(); ++i) {
            undo();
            seen.push_back(doc->text());
        }
        return seen;
    }
};

// A case's text with ^ standing for the caret.
inline QString at(const char* s) { return QString::fromUtf8(s).replace(u'^', QChar(TypingFixture::caretMark)); }
