#include "EditorFixture.h"

#include <QFile>
#include <cstdio>

// A file rewritten by another program while its clean document is shown.
TEST(DiskReload, TheEditorTakesTheNewTextAndKeepsTheCaretLine)
{
    QTemporaryDir dir;
    AppModel model(std::make_unique<Preferences>(dir.filePath(QStringLiteral("prefs.ini"))));
    EditorCache cache(model);
    model.setEditorLink(&cache);
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("one\ntwo\nthree\nfour\nfive\n");
    }
    DocPtr d = model.open(path);
    ASSERT_TRUE(d);
    CodeTextView* view = cache.controller(d).textView();
    ASSERT_TRUE(view);
    view->setCursorPosition(view->lineStart(3));

    const QString temp = path + QStringLiteral(".new");
    {
        QFile f(temp);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("ONE\nTWO\nTHREE\nFOUR\nFIVE\nSIX\n");
    }
    ASSERT_EQ(std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()), 0);
    ASSERT_TRUE(waitFor([&] { return view->toPlainText().startsWith(QStringLiteral("ONE")); }));
    EXPECT_EQ(d->text(), QStringLiteral("ONE\nTWO\nTHREE\nFOUR\nFIVE\nSIX\n"));
    EXPECT_FALSE(d->isDirty());
    EXPECT_EQ(view->lineOf(view->cursorPosition()), 3);
    model.unwatchAll();
}
