#include "EditorFixture.h"

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
    void find(const QString& q, bool regex = false)
    {
        model->find().setUseRegex(regex);
        model->find().setQuery(q);
        model->find().setVisible(true);
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
