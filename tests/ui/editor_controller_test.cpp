// The editor's controller over its document: typing, find and replace (in the
// view and on the worker), highlights and style.
#include "EditorFixture.h"
#include "editor/EditorScheme.h"

#include <QSignalSpy>
#include <Qsci/qsciscintillabase.h>

namespace {
using Controller = EditorFixture;
}

TEST_F(Controller, TypingFlowsToTheDocOnceAndIsNotEchoedBack)
{
    DocPtr d = newDoc(QStringLiteral("hello\nworld"));
    EditorController& e = editorFor(d);
    CodeTextView* v = e.textView();
    int textChanges = 0;
    QObject::connect(d.get(), &Doc::textChanged, [&] { ++textChanges; });
    select(v, 5, 5);
    type(v, QStringLiteral("!"));
    EXPECT_EQ(d->text(), QStringLiteral("hello!\nworld"));
    EXPECT_EQ(textChanges, 1);
    // The caret stayed where typing put it (no whole-text replacement).
    EXPECT_EQ(v->cursorPosition(), 6);

    // Line breaks and no-break spaces survive the trip into the Doc.
    type(v, QString(QChar(0x00a0)));
    key(v, Qt::Key_Return);
    EXPECT_EQ(d->text(), QStringLiteral("hello!\u00a0\n\nworld"));
    EXPECT_EQ(d->text(), v->text());
}

TEST_F(Controller, LoadFromDocRecordsNoUndo)
{
    DocPtr d = newDoc(QStringLiteral("one"));
    EditorController& e = editorFor(d);
    type(e.textView(), QStringLiteral("x"));
    ASSERT_TRUE(e.textView()->canUndo());
    d->blockSignals(true);
    d->setText(QStringLiteral("from disk"));
    d->blockSignals(false);
    e.loadFromDoc();
    EXPECT_EQ(e.textView()->text(), QStringLiteral("from disk"));
    EXPECT_FALSE(e.textView()->canUndo());
    EXPECT_EQ(d->text(), QStringLiteral("from disk"));
}

TEST_F(Controller, HighlightsAreDecorationsOnly)
{
    DocPtr d = newDoc(QStringLiteral("cat\nconcatenate cat\n"));
    d->setDiagnostics({{2, QStringLiteral("bad")}, {40, QStringLiteral("beyond the end")}});
    EditorController& e = editorFor(d);
    find(QStringLiteral("cat"));
    e.refreshHighlights(true);
    EXPECT_EQ(model->find().matchCount(), 3);
    EXPECT_EQ(e.textView()->highlights().matches.size(), 3u);
    EXPECT_EQ(e.textView()->highlights().errorBlocks, QList<int>({1, 39}));
    EXPECT_EQ(e.textView()->text(), d->text());
    EXPECT_FALSE(e.textView()->canUndo());
    e.widget()->grab();  // painting with an error line past the end must not fail
    const auto marked = [&](int pos) {
        return e.textView()->SendScintilla(QsciScintillaBase::SCI_INDICATORALLONFOR, (unsigned long)pos) != 0;
    };
    EXPECT_TRUE(marked(0));
    EXPECT_FALSE(marked(3));

    // Typing moves the marks with the text; closing the bar clears them all.
    e.textView()->setFocus();
    QTest::keyClicks(e.textView(), QStringLiteral("xy"));
    model->find().setVisible(false);
    e.refreshHighlights(true);
    for (int pos = 0; pos < int(d->text().size()); ++pos)
        EXPECT_FALSE(marked(pos)) << pos;
    EXPECT_EQ(model->find().matchCount(), 0);
    EXPECT_TRUE(e.textView()->highlights().matches.empty());
    EXPECT_EQ(e.textView()->highlights().errorBlocks.size(), 2);
    EXPECT_EQ(model->find().error(), std::nullopt);
}

TEST_F(Controller, FindFieldsAreDebouncedAndResetTheIndexToTheCaret)
{
    DocPtr d = newDoc(QStringLiteral("x1 x2 x3 x4"));
    EditorController& e = editorFor(d);
    select(e.textView(), 4, 4);
    find(QStringLiteral("x"));
    EXPECT_TRUE(e.highlightPending());
    EXPECT_EQ(model->find().matchCount(), 0);
    ASSERT_TRUE(waitUntil([&] { return model->find().matchCount() == 4; }));
    EXPECT_EQ(model->find().index(), 2);  // first match at or after the caret
    e.step(-1);
    EXPECT_EQ(e.textView()->highlights().current, 1);
    EXPECT_EQ(e.textView()->cursorPosition(), 4);  // the selection did not move
}

TEST_F(Controller, InvalidAndEmptyOnlyExpressions)
{
    DocPtr d = newDoc(QStringLiteral("(ab\nab"));
    EditorController& e = editorFor(d);
    find(QStringLiteral("(ab"), true);
    e.refreshHighlights(true);
    EXPECT_EQ(model->find().error(), std::optional<QString>(QStringLiteral("正则无效")));
    EXPECT_EQ(model->find().matchCount(), 0);
    model->find().setReplaceText(QStringLiteral("z"));
    e.replaceCurrent();
    e.replaceEverything();
    EXPECT_EQ(d->text(), QStringLiteral("(ab\nab"));
    EXPECT_EQ(model->toast(), std::nullopt);

    find(QStringLiteral("^"), true);
    e.refreshHighlights(true);
    EXPECT_EQ(model->find().error(), std::nullopt);
    EXPECT_EQ(model->find().matchCount(), 0);
}

TEST_F(Controller, BackgroundDocumentNeverWritesTheFindState)
{
    DocPtr active = newDoc(QStringLiteral("a a"));
    DocPtr background = newDoc(QStringLiteral("a a a a a (("), false);
    EditorController& fg = editorFor(active);
    EditorController& bg = editorFor(background);
    find(QStringLiteral("a"));
    fg.refreshHighlights(true);
    model->find().setIndex(1);
    bg.refreshHighlights(true);
    EXPECT_EQ(model->find().matchCount(), 2);
    EXPECT_EQ(model->find().index(), 1);
    EXPECT_TRUE(bg.textView()->highlights().matches.empty());
    find(QStringLiteral("(("), true);
    bg.refreshHighlights(true);
    EXPECT_EQ(model->find().error(), std::nullopt);
}

TEST_F(Controller, ReplaceCurrentAndReplaceAll)
{
    DocPtr d = newDoc(QStringLiteral("k=1 k=2 k=3"));
    EditorController& e = editorFor(d);
    find(QStringLiteral("k=(\\d)"), true);
    model->find().setReplaceText(QStringLiteral("[$1]"));
    e.refreshHighlights(true);
    model->find().setIndex(1);
    e.replaceCurrent();
    EXPECT_EQ(d->text(), QStringLiteral("k=1 [2] k=3"));
    EXPECT_EQ(model->find().matchCount(), 2);
    EXPECT_EQ(model->find().index(), 1);  // now the match that followed

    e.replaceEverything();
    EXPECT_EQ(d->text(), QStringLiteral("[1] [2] [3]"));
    EXPECT_EQ(model->toast(), std::optional<QString>(QStringLiteral("已替换 2 处")));
    EXPECT_EQ(model->find().matchCount(), 0);
    e.textView()->undo();
    EXPECT_EQ(d->text(), QStringLiteral("k=1 [2] k=3"));
}

TEST_F(Controller, MultiCaretToggleNeedsASelection)
{
    DocPtr d = newDoc(QStringLiteral("a\nb"));
    EditorController& e = editorFor(d);
    model->find().setVisible(true);
    e.toggleMultiCaret();
    EXPECT_EQ(model->toast(), std::optional<QString>(QStringLiteral("先选中要批量编辑的多行")));
    EXPECT_FALSE(model->find().visible());
    select(e.textView(), 0, 3);
    e.toggleMultiCaret();
    EXPECT_EQ(model->multiCaretCount(), std::optional<int>(2));
    e.toggleMultiCaret();
    EXPECT_EQ(model->multiCaretCount(), std::nullopt);
}

TEST_F(Controller, StyleFollowsTheSettings)
{
    DocPtr d = newDoc(QStringLiteral("a\tb"));
    EditorController& e = editorFor(d);
    Settings s = model->settings();
    s.scheme = QStringLiteral("night");
    s.fontSize = 16;
    s.wraps.insert(d->plugin().id, true);
    model->setSettings(s);
    CodeTextView* v = e.textView();
    const EditorScheme& night = EditorScheme::night();
    EXPECT_EQ(v->palette().color(QPalette::Base), night.background.resolve(true));
    EXPECT_EQ(v->palette().color(QPalette::Text), night.foreground.resolve(true));
    EXPECT_EQ(v->font().pixelSize(), 16);
    EXPECT_TRUE(e.wrapping());
    EXPECT_EQ(v->SendScintilla(QsciScintillaBase::SCI_GETWRAPMODE), long(QsciScintillaBase::SC_WRAP_WORD));
    // Line spacing: 16 × 0.45 rounded, split above and below the text.
    EXPECT_EQ(v->SendScintilla(QsciScintillaBase::SCI_GETEXTRAASCENT)
                  + v->SendScintilla(QsciScintillaBase::SCI_GETEXTRADESCENT),
              7);
    s.wraps.insert(d->plugin().id, false);
    model->setSettings(s);
    EXPECT_EQ(v->SendScintilla(QsciScintillaBase::SCI_GETWRAPMODE), long(QsciScintillaBase::SC_WRAP_NONE));
    EXPECT_EQ(e.ruler()->numberColor, night.gutter.resolve(true));
}

TEST_F(Controller, MatchIndicatorsSettleAndFollowScrolling)
{
    QString text;
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral("cat %1\n").arg(i);
    DocPtr d = newDoc(text);
    EditorController& e = editorFor(d);
    CodeTextView* v = e.textView();
    e.widget()->show();
    find(QStringLiteral("cat"));
    e.refreshHighlights(true);
    EXPECT_EQ(model->find().matchCount(), 400);
    // Only the lines on screen carry indicators.
    const int onScreen = v->paintedMatchCount();
    EXPECT_GT(onScreen, 0);
    EXPECT_LT(onScreen, 100);
    nextTurn(3);
    int updates = 0;
    QObject::connect(v, &QsciScintillaBase::SCN_UPDATEUI, [&](int) { ++updates; });
    nextTurn(10);
    EXPECT_LE(updates, 2);  // idle: the indicators settle
    v->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, 300);
    nextTurn(3);
    const long at = v->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, 310);
    EXPECT_NE(v->SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, 8, at), 0);
    EXPECT_EQ(v->text(), text);
    EXPECT_FALSE(v->canUndo());
}

namespace {
// Every text counts as big: searches and replacements run on the worker.
struct FindAside : EditorFixture {
    qsizetype saved = EditorController::searchAsideBytes;
    void SetUp() override
    {
        EditorFixture::SetUp();
        EditorController::searchAsideBytes = 0;
    }
    void TearDown() override
    {
        EditorController::searchAsideBytes = saved;
        EditorFixture::TearDown();
    }
    std::vector<TextRange> expected(const QString& text) const
    {
        return FindEngine::regex(model->find().options()).matches(text);
    }
};
}

TEST_F(FindAside, MatchesComeFromTheWorkerAndAlwaysBelongToTheShownText)
{
    DocPtr d = newDoc(QStringLiteral("cat concat\ncat"));
    EditorController& e = editorFor(d);
    find(QStringLiteral("cat"));
    e.refreshHighlights(true);
    EXPECT_EQ(model->find().matchCount(), FindState::searchingMatches);
    EXPECT_TRUE(e.textView()->highlights().matches.empty());
    ASSERT_TRUE(waitUntil([&] { return model->find().matchCount() == 3; }));
    EXPECT_EQ(e.textView()->highlights().matches, expected(d->text()));

    // Typed into while a search runs: what shows at the end is the new text's.
    e.refreshHighlights(true);
    e.textView()->setCursorPosition(0);
    type(e.textView(), QStringLiteral("cat "));
    e.refreshHighlights(false);
    ASSERT_TRUE(waitUntil([&] { return model->find().matchCount() == 4 && !e.highlightPending(); }));
    EXPECT_EQ(e.textView()->highlights().matches, expected(d->text()));
    EXPECT_EQ(e.matches(), expected(d->text()));

    // Closing the bar drops a search still running.
    find(QStringLiteral("concat"));
    e.refreshHighlights(true);
    model->find().setVisible(false);
    e.refreshHighlights(true);
    ASSERT_TRUE(waitUntil([&] { return !e.highlightPending(); }));
    nextTurn();
    EXPECT_EQ(model->find().matchCount(), 0);
    EXPECT_TRUE(e.textView()->highlights().matches.empty());

    // A leading U+FEFF is text, and counts in the positions.
    DocPtr marked = newDoc(QStringLiteral("\uFEFFab ab"));
    EditorController& m = editorFor(marked);
    find(QStringLiteral("ab"));
    m.refreshHighlights(true);
    ASSERT_TRUE(waitUntil([&] { return model->find().matchCount() == 2; }));
    EXPECT_EQ(m.matches(), (std::vector<TextRange>{{1, 2}, {4, 2}}));
}

TEST_F(FindAside, CommandsWaitForTheSearchStillRunning)
{
    DocPtr d = newDoc(QStringLiteral("x1 x2 x3 x4"));
    EditorController& e = editorFor(d);
    select(e.textView(), 4, 4);
    find(QStringLiteral("x"));
    // Enter right after typing the query: the step lands on a real match.
    e.step(1);
    EXPECT_EQ(model->find().matchCount(), 4);
    EXPECT_EQ(model->find().index(), 3);  // the caret's match, then one on
    e.selectCurrentMatch();
    EXPECT_EQ(e.selectedText(), QStringLiteral("x"));
    EXPECT_EQ(e.textView()->selectionStart(), 9);

    model->find().setReplaceText(QStringLiteral("y"));
    e.replaceCurrent();
    EXPECT_EQ(d->text(), QStringLiteral("x1 x2 x3 y4"));
    EXPECT_EQ(model->find().matchCount(), 3);
}

TEST_F(FindAside, ReplaceAllIsOneUndoStepAndCoversTextTypedMeanwhile)
{
    DocPtr d = newDoc(QStringLiteral("k=1 k=2 k=3"));
    EditorController& e = editorFor(d);
    find(QStringLiteral("k=(\\d)"), true);
    model->find().setReplaceText(QStringLiteral("[$1]"));
    e.replaceEverything();
    ASSERT_TRUE(waitUntil([&] { return d->text() == QStringLiteral("[1] [2] [3]"); }));
    EXPECT_EQ(model->toast(), std::optional<QString>(QStringLiteral("已替换 3 处")));
    e.textView()->undo();
    EXPECT_EQ(d->text(), QStringLiteral("k=1 k=2 k=3"));

    e.replaceEverything();
    e.textView()->setCursorPosition(0);
    type(e.textView(), QStringLiteral("k=4 "));
    ASSERT_TRUE(waitUntil([&] { return d->text() == QStringLiteral("[4] [1] [2] [3]"); }));
    EXPECT_EQ(model->toast(), std::optional<QString>(QStringLiteral("已替换 4 处")));
    e.textView()->undo();
    EXPECT_EQ(d->text(), QStringLiteral("k=4 k=1 k=2 k=3"));
}

TEST_F(FindAside, ALongBufferIsCopiedInPiecesAndACommandNeedNotWaitForThem)
{
    const QString line = QStringLiteral("lorem ipsum dolor\n");
    const QString text = line.repeated(int(Doc::pieceCopyFrom / line.size()) + 10) + QStringLiteral("needle");
    DocPtr d = newDoc(text);
    EditorController& e = editorFor(d);
    find(QStringLiteral("needle"));
    e.refreshHighlights(true);
    EXPECT_EQ(model->find().matchCount(), FindState::searchingMatches);
    // Enter at once: the step lands on the match without waiting for the copy's turns.
    e.step(1);
    ASSERT_EQ(e.matches().size(), 1u);
    EXPECT_EQ(e.matches()[0].start, int(text.size()) - 6);
    EXPECT_EQ(model->find().matchCount(), 1);

    // Nobody waiting: the copy arrives over a few turns, then the matches.
    find(QStringLiteral("dolor"));
    e.refreshHighlights(true);
    ASSERT_TRUE(waitUntil([&] { return model->find().matchCount() > 0; }, 10000));
    EXPECT_EQ(model->find().matchCount(), int(text.size() / line.size()));
}
