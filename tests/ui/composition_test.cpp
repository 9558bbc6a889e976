// Chinese input in the window: compositions, word motion and word counts.
#include "WindowFixture.h"
#include "core/AnalysisJob.h"
#include "text/TextCount.h"
#include "views/controls/Controls.h"
#include "views/pane/FindBar.h"
#include "views/pane/GoToLineBar.h"
#include "views/pane/PaneStatusBar.h"
#include "views/sheets/NewFileSheet.h"

#include <QLabel>
#include <QTextCharFormat>
#include <map>

namespace {

// What an input method sends to the widget with the keyboard: the
// composition, underlined, with its cursor, and the committed text.
void compose(const QString& preedit, int cursor, const QString& commit = {})
{
    QTextCharFormat underline;
    underline.setUnderlineStyle(QTextCharFormat::DashUnderline);
    QList<QInputMethodEvent::Attribute> attrs{
        {QInputMethodEvent::TextFormat, 0, int(preedit.size()), underline},
        {QInputMethodEvent::Cursor, cursor, 1, QVariant()},
    };
    QInputMethodEvent e(preedit, preedit.isEmpty() ? QList<QInputMethodEvent::Attribute>{} : attrs);
    e.setCommitString(commit);
    QWidget* w = WindowFixture::focused();
    ASSERT_TRUE(w) << "nothing has the keyboard";
    QApplication::sendEvent(w, &e);
}

struct Composition : WindowFixture {
    DocPtr doc;
    CodeTextView* view = nullptr;
    QStringList reported;  // every change the document announced

    void open(const QString& name, const QString& text, int caret)
    {
        window->openFiles({write(name, text.toUtf8())});
        doc = model->active();
        ASSERT_TRUE(doc);
        view = editors->controller(doc).textView();
        ASSERT_TRUE(waitUntil([&] { return focused() == view; }));
        view->setCursorPosition(caret);
        // What opening the file set going has run by then.
        settle();
        const std::pair<void (Doc::*)(), const char*> announced[] = {{&Doc::textChanged, "text"},
                                                                     {&Doc::nameChanged, "name"},
                                                                     {&Doc::diagnosticsChanged, "diagnostics"},
                                                                     {&Doc::previewChanged, "preview"}};
        for (const auto& a : announced)
            QObject::connect(doc.get(), a.first, doc.get(),
                             [this, name = a.second] { reported << QString::fromLatin1(name); });
    }
    // Lets the delayed work a change sets going (analysis, preview, word
    // count) start and finish.
    void settle() const
    {
        afterTimer(EditorController::analysisDelayMSecs);
        EXPECT_TRUE(waitUntil([this] {
            const AnalysisJob* job = doc->analysis();
            return !job || job->state() == AnalysisJob::State::finished
                || job->state() == AnalysisJob::State::cancelled;
        }));
        nextTurn();
    }
    // Where the input method puts its candidate window, as it asks for it.
    QRect candidateBox() const { return static_cast<QWidget*>(view)->inputMethodQuery(Qt::ImCursorRectangle).toRect(); }
};

}

TEST_F(Composition, NothingReachesTheDocumentUntilTheCommit)
{
    const QString original = QStringLiteral("# \n\n正文在这里。\n");
    open(QStringLiteral("周报.md"), original, 2);
    const QString name = doc->name();
    const QString syllables = QStringLiteral("di yi zhou");
    for (int n = 1; n <= syllables.size(); ++n) {
        SCOPED_TRACE(syllables.left(n).toStdString());
        compose(syllables.left(n), n);
        EXPECT_TRUE(view->composing());
        EXPECT_EQ(doc->text(), original);
        EXPECT_EQ(view->text(), original);
        EXPECT_EQ(view->length(), original.size());
        EXPECT_EQ(view->textIn(0, 4), original.left(4));
        EXPECT_EQ(view->utf8(), original.toUtf8());
        EXPECT_FALSE(doc->isDirty());
        EXPECT_FALSE(view->canUndo());
    }
    settle();
    EXPECT_TRUE(reported.isEmpty()) << reported.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(doc->name(), name);

    // Escape: the input method takes the composition back.
    compose(QString(), 0);
    EXPECT_FALSE(view->composing());
    EXPECT_EQ(view->text(), original);
    EXPECT_FALSE(doc->isDirty());

    // A candidate chosen while the next syllable is typed: the first part
    // is text, the rest still a composition.
    compose(QStringLiteral("di yi"), 5);
    compose(QStringLiteral("zhou"), 4, QStringLiteral("第一"));
    EXPECT_EQ(doc->text(), QStringLiteral("# 第一\n\n正文在这里。\n"));
    EXPECT_TRUE(view->composing());
    compose(QString(), 0, QStringLiteral("周"));
    const QString typed = QStringLiteral("# 第一周\n\n正文在这里。\n");
    EXPECT_EQ(doc->text(), typed);
    EXPECT_EQ(view->length(), typed.size());
    EXPECT_TRUE(doc->isDirty());
    EXPECT_EQ(view->cursorPosition(), 5);

    // Each commit is one undo step, and nothing of the compositions is left.
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc->text(), QStringLiteral("# 第一\n\n正文在这里。\n"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc->text(), original);
    EXPECT_FALSE(doc->isDirty());
}

TEST_F(Composition, CaretAndCandidateWindowFollowTheInputMethodCursor)
{
    open(QStringLiteral("c.md"), QStringLiteral("# \n"), 2);
    const QRect before = candidateBox();
    const QRect textArea = view->viewport()->geometry();
    EXPECT_TRUE(textArea.contains(before.topLeft())) << before.x() << "," << before.y();
    const QString pinyin = QStringLiteral("di yi zhou");
    std::map<int, int> left;  // the box's left edge by the composition's cursor
    for (int cursor : {0, 2, 5, 10, 3}) {
        SCOPED_TRACE(cursor);
        compose(pinyin, cursor);
        // Byte and column agree for ASCII: the caret sits `cursor` letters in.
        EXPECT_EQ(view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 2 + cursor);
        EXPECT_EQ(window->docPane()->status()->caret()->text(), QStringLiteral("行 1，列 %1").arg(3 + cursor));
        const QRect box = candidateBox();
        EXPECT_TRUE(textArea.contains(box.topLeft())) << box.x() << "," << box.y();
        EXPECT_EQ(box.y(), before.y());
        left[cursor] = box.x();
    }
    EXPECT_EQ(left[0], before.x());
    EXPECT_LT(left[0], left[2]);
    EXPECT_LT(left[2], left[3]);
    EXPECT_LT(left[3], left[5]);
    EXPECT_LT(left[5], left[10]);
    compose(pinyin, 10, QString());
    const QRect atEnd = candidateBox();
    compose(QString(), 0, QStringLiteral("第一周"));
    // After the commit the box is at the caret again, after the new text.
    const QRect afterCommit = candidateBox();
    EXPECT_GT(afterCommit.x(), before.x());
    EXPECT_NE(afterCommit.x(), atEnd.x());
    compose(QStringLiteral("x"), 0);
    EXPECT_EQ(candidateBox(), afterCommit);
}

TEST_F(Composition, PlaceholdersGiveWayToTheComposition)
{
    window->openFiles({write(QStringLiteral("f.txt"), "text\n")});
    ASSERT_TRUE(model->active());
    FindBar* find = window->docPane()->findBar();
    GoToLineBar* goTo = window->docPane()->goToLineBar();
    const auto newFileName = [&] { return window->findChild<NewFileSheet*>()->nameField(); };
    struct Field {
        const char* name;
        std::function<void()> open;  // the keys that bring the field up
        std::function<QWidget*()> field;
        std::function<void()> dropPlaceholder;
    };
    const std::vector<Field> fields = {
        {"find", [] { key(Qt::Key_F, Qt::ControlModifier); }, [&] { return find->findField(); },
         [&] { find->findField()->setPlaceholder(QString()); }},
        {"replace",
         [] {
             key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
             key(Qt::Key_Tab);
         },
         [&] { return find->replaceField(); }, [&] { find->replaceField()->setPlaceholder(QString()); }},
        {"go to line", [] { key(Qt::Key_L, Qt::ControlModifier); }, [&] { return goTo->field(); },
         [&] { goTo->field()->setPlaceholderText(QString()); }},
        {"new file", [] { key(Qt::Key_N, Qt::ControlModifier); }, newFileName,
         [&] { newFileName()->setPlaceholderText(QString()); }},
    };
    for (const Field& f : fields) {
        SCOPED_TRACE(f.name);
        f.open();
        QWidget* w = f.field();
        ASSERT_TRUE(w);
        ASSERT_TRUE(waitUntil([&] { return focused() == w; }))
            << (focused() ? focused()->metaObject()->className() : "nothing");
        const QImage empty = w->grab().toImage();
        compose(QStringLiteral("zhong"), 5);
        nextTurn();
        const QImage withPlaceholder = w->grab().toImage();
        EXPECT_NE(withPlaceholder, empty) << "the composition shows";
        f.dropPlaceholder();
        nextTurn();
        EXPECT_EQ(w->grab().toImage(), withPlaceholder) << "a placeholder shows under the composition";
        compose(QString(), 0);
        key(Qt::Key_Escape);
    }
}

TEST_F(Composition, SavingWhileComposingSavesTheTextAndKeepsTheComposition)
{
    open(QStringLiteral("s.txt"), QStringLiteral("正文\n"), 2);
    compose(QString(), 0, QStringLiteral("甲"));
    ASSERT_TRUE(doc->isDirty());
    compose(QStringLiteral("yi"), 2);
    key(Qt::Key_S, Qt::ControlModifier);
    const auto onDisk = [&] {
        QFile f(dir.filePath(QStringLiteral("s.txt")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    EXPECT_TRUE(waitUntil([&] { return same(onDisk(), QStringLiteral("正文甲\n")); }));
    EXPECT_TRUE(waitUntil([&] { return !doc->isDirty(); }));
    EXPECT_TRUE(view->composing());
    EXPECT_EQ(view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), QByteArray("正文甲yi").size());
    // Taking the composition back leaves the saved text, still saved.
    compose(QString(), 0);
    EXPECT_FALSE(doc->isDirty());
    EXPECT_FALSE(view->isModified());
    EXPECT_EQ(view->text(), QStringLiteral("正文甲\n"));
}

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

TEST_F(ChineseWords, CtrlArrowsStopAndCtrlBackspaceAndDeleteTakeOneWord)
{
    open(QStringLiteral("w.txt"), "在这个快速发展的时代\n");
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(view->cursorPosition(), 5);
    // At the line's end the next stop is over the line break.
    view->setCursorPosition(10);
    key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(view->cursorPosition(), 11);
    key(Qt::Key_Left, Qt::ControlModifier);
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(selected(), QStringLiteral("发展的时代"));

    // Ctrl+Backspace and Ctrl+Delete take one word.
    open(QStringLiteral("d.txt"), "在这个快速发展的时代\nx = get_user_name(1);\n");
    struct Step {
        int caret;
        Qt::Key key;
        const char* left;  // the first line afterwards
    };
    const Step steps[] = {
        {10, Qt::Key_Backspace, "在这个快速发展的"},
        {0, Qt::Key_Delete, "这个快速发展的"},
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
        {0, "速", "快速"},
        {1, "v", "my_value"},
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

TEST_F(ChineseWords, LargeTextsAreCountedAsideWhereverTheirPiecesEnd)
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
    // Typing into a large text: "…" first, then the count from the worker.
    // Counted in many pieces, one after another, so that "…" stays for many
    // turns however fast a piece is counted.
    const QByteArray line = QStringLiteral("北京欢迎你 hello\n").toUtf8();
    open(QStringLiteral("big.txt"), line.repeated(800000));
    EXPECT_TRUE(waitUntil([&] { return same(words(), QStringLiteral("字数 %1").arg(6 * 800000)); }, 30000));
    key(Qt::Key_End, Qt::ControlModifier);
    type(QStringLiteral("x"));
    EXPECT_TRUE(waitUntil([&] { return same(words(), QStringLiteral("字数 …")); }, 3000));
    EXPECT_TRUE(waitUntil([&] { return same(words(), QStringLiteral("字数 %1").arg(6 * 800000 + 1)); }, 30000));
}
