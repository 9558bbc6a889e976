#include "EditorFixture.h"

#include <cstdio>

namespace {
using DiskReload = EditorFixture;
}

// A file rewritten by another program while its clean document is shown.
TEST_F(DiskReload, TheEditorTakesTheNewTextAndKeepsTheCaretLine)
{
    EditorCache cache(*model);
    model->setEditorLink(&cache);
    const QString path = write(QStringLiteral("notes.txt"), "one\ntwo\nthree\nfour\nfive\n");
    DocPtr d = model->open(path);
    ASSERT_TRUE(d);
    CodeTextView* view = cache.controller(d).textView();
    ASSERT_TRUE(view);
    view->setCursorPosition(view->lineStart(3));

    const QString temp = write(QStringLiteral("notes.txt.new"), "ONE\nTWO\nTHREE\nFOUR\nFIVE\nSIX\n");
    ASSERT_EQ(std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()), 0);
    ASSERT_TRUE(waitUntil([&] { return view->toPlainText().startsWith(QStringLiteral("ONE")); }));
    EXPECT_EQ(d->text(), QStringLiteral("ONE\nTWO\nTHREE\nFOUR\nFIVE\nSIX\n"));
    EXPECT_FALSE(d->isDirty());
    EXPECT_EQ(view->lineOf(view->cursorPosition()), 3);
    model->unwatchAll();
    model->setEditorLink(nullptr);
}
