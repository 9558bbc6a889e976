#include "EditorFixture.h"

#include <cstdio>

namespace {

struct ReloadLarge : EditorFixture {
    // Over the size that is read on the loader thread: numbered lines.
    static QByteArray lines(const char* word)
    {
        QByteArray out;
        for (int i = 0; out.size() <= AppModel::backgroundOpenBytes; ++i)
            out += word + QByteArray::number(i) + " 中文行\n";
        return out;
    }
    std::unique_ptr<EditorCache> cache;
    DocPtr d;
    // The large file opened and shown in an editor.
    CodeTextView* openShown()
    {
        cache = std::make_unique<EditorCache>(*model);
        model->setEditorLink(cache.get());
        d = model->open(write(QStringLiteral("big.log"), lines("old")));
        return d ? cache->controller(d).textView() : nullptr;
    }
    void TearDown() override
    {
        model->unwatchAll();
        model->setEditorLink(nullptr);
        d.reset();
        cache.reset();
        EditorFixture::TearDown();
    }
};

}

// The disk version of a large file arrives from the worker into the shown
// editor as a new buffer: the text, a clean mark and no undo back to the old text.
TEST_F(ReloadLarge, TheDiskVersionIsReadOnTheLoaderThreadIntoTheEditor)
{
    CodeTextView* view = openShown();
    ASSERT_TRUE(view);
    type(view, QStringLiteral("typed "));
    ASSERT_TRUE(d->isDirty());
    const QByteArray now = lines("new");
    write(QStringLiteral("big.log"), now);

    model->loadDiskVersion(d);
    // Still reading: the window goes on showing what it had.
    EXPECT_EQ(model->filesReading(), 1);
    EXPECT_TRUE(view->toPlainText().startsWith(QStringLiteral("typed old0")));
    ASSERT_TRUE(waitUntil([&] { return model->filesReading() == 0; }, 20000));

    EXPECT_EQ(view->utf8(), now);
    EXPECT_EQ(d->textCopy().toUtf8(), now);
    EXPECT_FALSE(d->isDirty());
    EXPECT_FALSE(view->isModified());
    view->SendScintilla(QsciScintillaBase::SCI_UNDO);
    EXPECT_EQ(view->utf8(), now);
    // Typing goes on in the new buffer and is followed as before.
    type(view, QStringLiteral("x"));
    EXPECT_TRUE(d->isDirty());
    EXPECT_TRUE(d->text().startsWith(QStringLiteral("xnew0")));
}

// Keys typed while the file is read win: the reading is dropped and said so.
TEST_F(ReloadLarge, EditsMadeWhileReadingAreKept)
{
    CodeTextView* view = openShown();
    ASSERT_TRUE(view);
    write(QStringLiteral("big.log"), lines("new"));

    model->loadDiskVersion(d);
    type(view, QStringLiteral("mine "));
    ASSERT_TRUE(waitUntil([&] { return model->filesReading() == 0; }, 20000));

    EXPECT_TRUE(view->toPlainText().startsWith(QStringLiteral("mine old0")));
    EXPECT_TRUE(d->isDirty());
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("无法读取磁盘版本"));
    EXPECT_TRUE(model->dialog()->message.contains(QStringLiteral("在读取期间又被修改")));
}

// Another program rewrites a large clean file: it is read again off the main
// thread and the caret stays on its line.
TEST_F(ReloadLarge, AChangeOnDiskReloadsAndKeepsTheCaretLine)
{
    CodeTextView* view = openShown();
    ASSERT_TRUE(view);
    view->setCursorPosition(view->lineStart(40));

    const QString temp = write(QStringLiteral("big.log.new"), lines("new"));
    ASSERT_EQ(std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(*d->url()).constData()), 0);
    ASSERT_TRUE(waitUntil([&] { return view->toPlainText().startsWith(QStringLiteral("new0")); }, 20000));
    EXPECT_FALSE(d->isDirty());
    EXPECT_EQ(view->lineOf(view->cursorPosition()), 40);
    ASSERT_TRUE(model->toast());
    EXPECT_TRUE(model->toast()->startsWith(QStringLiteral("已重新载入 big.log")));
}
