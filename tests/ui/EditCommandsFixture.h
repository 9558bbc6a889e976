#pragma once

#include "WaitUntil.h"
#include "WindowFixture.h"
#include "editor/CodeTextView.h"
#include "editor/EditorController.h"

// A document open in the whole window, its text and selections written
// with markers: «…| is a selection with the caret at its end, |…» one with
// the caret at its start, a lone | a plain caret. Several make several carets.
struct EditCommandsFixture : WindowFixture {
    DocPtr doc;

    void open(const QString& name, const QString& text = {})
    {
        window->openFiles({write(name, {})});
        doc = model->active();
        ASSERT_TRUE(doc);
        ASSERT_TRUE(waitUntil([&] { return focused() == view(); }));
        if (!text.isNull())
            load(text);
    }
    CodeTextView* view() const { return doc ? editors->controller(doc).textView() : nullptr; }

    // Puts the marked text in place, its history empty.
    void load(const QString& marked)
    {
        QString plain;
        std::vector<Span> spans;
        int forward = -1;  // where a «…| selection starts, while one is open
        for (int i = 0; i < marked.size(); ++i) {
            const QChar c = marked[i];
            const int at = int(plain.size());
            if (c == u'«') {
                forward = at;
            } else if (c == u'|') {
                const int close = int(marked.indexOf(u'»', i));
                const int next = int(marked.indexOf(u'|', i + 1));
                if (forward >= 0) {
                    spans.push_back({forward, at});
                    forward = -1;
                } else if (close > i && (next < 0 || close < next) && marked.lastIndexOf(u'«', close) < i) {
                    spans.push_back({at + close - i - 1 - int(marked.mid(i + 1, close - i - 1).count(u'«')), at});
                } else {
                    spans.push_back({at, at});
                }
            } else if (c != u'»') {
                plain += c;
            }
        }
        view()->setPlainText(plain);
        view()->setSpans(spans);
    }
    // The text with its selections marked the same way.
    QString marked() const
    {
        const QString text = view()->text();
        std::vector<std::pair<int, QChar>> marks;
        for (const Span& s : view()->spans()) {
            marks.emplace_back(s.caret, u'|');
            if (!s.empty())
                marks.emplace_back(s.anchor, s.anchor < s.caret ? u'«' : u'»');
        }
        std::stable_sort(marks.begin(), marks.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        QString out = text;
        for (const auto& [at, c] : marks)
            out.insert(at, c);
        return out;
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
    // One typing case: a file, its marked text, the keys, the marked result.
    struct KeysCase {
        const char* name;
        QString file;
        QString text;
        QString keys;
        QString expected;
    };
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
    static QString plainOf(QString marked)
    {
        for (QChar c : {u'«', u'»', u'|'})
            marked.remove(c);
        return marked;
    }
};

// A key with its modifiers, as a table row names it.
struct Press {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
};
