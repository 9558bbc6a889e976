// Word motion, double click and 字数 in the window, keys sent to whatever
// has the keyboard.
#include "WindowFixture.h"
#include "text/TextCount.h"
#include "views/pane/PaneStatusBar.h"

#include <QLabel>

namespace {

struct ChineseWords : WindowFixture {
    DocPtr doc;
    CodeTextView* view = nullptr;

    void open(const QString& name, const QByteArray& text)
    {
        window->openFiles({write(name, text)});
        doc = model->active();
        ASSERT_TRUE(doc);
        view = editors->controller(doc).textView();
        ASSERT_TRUE(waitUntil([&] { return focused() == view; }));
    }
    QString selected() const
    {
        return view->textIn(view->selectionStart(), view->selectionEnd() - view->selectionStart());
    }
    QString words() const { return window->docPane()->status()->wordCount()->text(); }
};

}

TEST_F(ChineseWords, CtrlArrowsStopAtChineseWords)
{
    open(QStringLiteral("w.txt"), "在这个快速发展的时代\n");
    std::vector<int> seen;
    for (int i = 0; i < 6; ++i) {
        key(Qt::Key_Right, Qt::ControlModifier);
        seen.push_back(view->cursorPosition());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 3, 5, 7, 8, 10}));
    // At the line's end the next stop is over the line break.
    key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(view->cursorPosition(), 11);
    key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(view->cursorPosition(), 10);
    seen.clear();
    for (int i = 0; i < 3; ++i) {
        key(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        seen.push_back(view->cursorPosition());
    }
    EXPECT_EQ(seen, (std::vector<int>{8, 7, 5}));
    EXPECT_EQ(selected(), QStringLiteral("发展的时代"));
}

TEST_F(ChineseWords, CtrlBackspaceAndDeleteTakeOneWord)
{
    open(QStringLiteral("d.txt"), "在这个快速发展的时代\nx = get_user_name(1);\n");
    struct Step {
        int caret;
        Qt::Key key;
        const char* left;  // the first line afterwards
    };
    const Step steps[] = {
        {10, Qt::Key_Backspace, "在这个快速发展的"},
        {0, Qt::Key_Delete, "这个快速发展的"},
        {4, Qt::Key_Backspace, "这个发展的"},
        {2, Qt::Key_Delete, "这个的"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.left);
        view->setCursorPosition(s.caret);
        key(s.key, Qt::ControlModifier);
        EXPECT_EQ(doc->text().section(u'\n', 0, 0), QString::fromUtf8(s.left));
    }
    // An identifier goes whole; each deletion is one undo step.
    const int end = view->lineEnd(1);
    view->setCursorPosition(end - 4);  // before "(1);"
    key(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(doc->text().section(u'\n', 1, 1), QStringLiteral("x = (1);"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc->text().section(u'\n', 1, 1), QStringLiteral("x = get_user_name(1);"));
}

TEST_F(ChineseWords, DoubleClickSelectsTheWordUnderTheMouse)
{
    open(QStringLiteral("c.txt"), "在这个快速发展的时代\nlet my_value = 1;\n");
    struct Click {
        int line;
        const char* on;  // clicked in the middle of this character
        const char* word;
    };
    const Click clicks[] = {
        {0, "速", "快速"}, {0, "发", "发展"}, {0, "代", "时代"}, {1, "v", "my_value"}, {1, "=", "="},
    };
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.on);
        const int pos = view->lineStart(c.line)
            + int(view->text().section(u'\n', c.line, c.line).indexOf(QString::fromUtf8(c.on)));
        const qsizetype from = view->toByte(pos), to = view->toByte(pos + 1);
        const long x0 = view->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, from);
        const long x1 = view->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, to);
        const long y = view->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, from) + view->lineHeight() / 2;
        // On the character's right half, where the nearest boundary is after it.
        const QPoint at(int((x0 + 3 * x1) / 4), int(y));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        EXPECT_EQ(selected(), QString::fromUtf8(c.word));
        afterTimer(QApplication::doubleClickInterval());  // the next click starts afresh
    }
}

TEST_F(ChineseWords, StatusBarCountsWordsOfTextAndSelection)
{
    // Counted by hand: 13 + 2, then 2 more.
    open(QStringLiteral("n.txt"), "今天天气很好，我们去公园。\nHello world\n");
    EXPECT_TRUE(waitUntil([&] { return same(words(), QStringLiteral("字数 15")); }));
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(words(), QStringLiteral("字数 13 / 15"));
    EXPECT_EQ(window->docPane()->status()->caret()->text(), QStringLiteral("行 1，列 1（已选 13 字符）"));
    key(Qt::Key_Right);
    EXPECT_EQ(words(), QStringLiteral("字数 15"));
    type(QStringLiteral("ok "));
    EXPECT_TRUE(waitUntil([&] { return same(words(), QStringLiteral("字数 16")); }));
}

TEST_F(ChineseWords, LargeTextsAreCountedAside)
{
    // Over a mebibyte: "…" first, then the count from the worker.
    const QByteArray line = QStringLiteral("北京欢迎你 hello\n").toUtf8();
    open(QStringLiteral("big.txt"), line.repeated(80000));
    EXPECT_TRUE(waitUntil([&] { return same(words(), QStringLiteral("字数 %1").arg(6 * 80000)); }, 15000));
    key(Qt::Key_End, Qt::ControlModifier);
    type(QStringLiteral("x"));
    EXPECT_TRUE(waitUntil([&] { return same(words(), QStringLiteral("字数 …")); }, 3000));
    EXPECT_TRUE(waitUntil([&] { return same(words(), QStringLiteral("字数 %1").arg(6 * 80000 + 1)); }, 15000));
}

TEST_F(ChineseWords, LargeCountsMatchTheWholeTextWhereverItsPiecesEnd)
{
    // Lengths chosen so that a mebibyte ends inside a word: a count that
    // splits words (or characters) there counts too many.
    const struct {
        const char* name;
        QByteArray text;
    } cases[] = {
        {"lines.txt", QByteArray("abcdefghij 北京\n").repeated(150000)},
        {"one-line.txt", QByteArray("hello, 世界! ").repeated(200000) + "end\n"},
        {"no-feed.txt", QByteArray("第一 mixed_words 二").repeated(120000)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GT(c.text.size(), 2 * TextCount::workerBytes);
        const qsizetype whole = TextCount::of(c.text).words;
        open(QString::fromUtf8(c.name), c.text);
        EXPECT_TRUE(waitUntil([&] { return same(words(), QStringLiteral("字数 %1").arg(whole)); }, 15000));
        // The whole text selected is counted the same way.
        key(Qt::Key_A, Qt::ControlModifier);
        EXPECT_TRUE(waitUntil([&] { return same(words(), QStringLiteral("字数 %1 / %1").arg(whole)); }, 15000));
        key(Qt::Key_Right);
    }
}
