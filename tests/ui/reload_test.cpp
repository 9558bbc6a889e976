// A file changed on disk read again into its editor, large ones on the loader thread.
#include "EditorFixture.h"
#include "editor/BufferLoader.h"

#include <Qsci/qsciscintillabase.h>
#include <cstdio>
#include <thread>

namespace {

struct ReloadLarge : EditorFixture {
    // Over the size that is read on the loader thread: numbered lines.
    static QByteArray lines(const char* word)
    {
        QByteArray out;
        for (int i = 0; out.size() <= WindowModel::backgroundOpenBytes; ++i)
            out += word + QByteArray::number(i) + " 中文行\n";
        return out;
    }
    std::unique_ptr<EditorCache> cache;
    DocPtr d;
    // A file (the large one unless told) opened and shown in an editor.
    CodeTextView* openShown(const QString& name = QStringLiteral("big.log"), const QByteArray& bytes = lines("old"))
    {
        if (!cache) {
            cache = std::make_unique<EditorCache>(*model, model->view());
            model->setEditorLink(cache.get());
        }
        d = model->open(write(name, bytes));
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

// Another program rewrites a clean large file: it is read again off the main
// thread and the caret stays on its line.
TEST_F(ReloadLarge, AChangeOnDiskReloadsAndKeepsTheCaretLine)
{
    CodeTextView* view = openShown();
    ASSERT_TRUE(view);
    view->setCursorPosition(view->lineStart(40));
    const QByteArray after = lines("new");
    const QString temp = write(QStringLiteral("new.tmp"), after);
    ASSERT_EQ(std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(*d->url()).constData()), 0);
    ASSERT_TRUE(waitUntil([&] { return view->toPlainText().startsWith(QStringLiteral("new0")); }, 20000));
    EXPECT_EQ(d->text(), QString::fromUtf8(after));
    EXPECT_FALSE(d->isDirty());
    EXPECT_EQ(view->lineOf(view->cursorPosition()), 40);
    ASSERT_TRUE(model->toast());
    EXPECT_TRUE(model->toast()->startsWith(QStringLiteral("已重新载入 big.log")));
}

namespace {

struct BufferLoading : EditorFixture {
    // As a background open does it: the buffer made here, filled on another
    // thread, the document made here again.
    DocPtr load(const QString& path, std::shared_ptr<TextSink>& sink)
    {
        sink = cache->textSink(path, QFileInfo(path).size());
        Result<Doc::Loaded> loaded = Result<Doc::Loaded>::failure(QString());
        std::thread([&] { loaded = Doc::read(path, std::nullopt, sink); }).join();
        EXPECT_TRUE(loaded);
        return Doc::fromLoaded(path, std::move(loaded.value()));
    }
    std::unique_ptr<EditorCache> cache;
    void SetUp() override
    {
        EditorFixture::SetUp();
        cache = std::make_unique<EditorCache>(*model, model->view());
    }
    void TearDown() override
    {
        editors.clear();
        cache.reset();
        EditorFixture::TearDown();
    }
};

QByteArray lines(int n, const QByteArray& eol)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += "第" + QByteArray::number(i) + "行 \xF0\x9F\x98\x80 lorvane" + eol;
    return out;
}

}

// The buffer is built off the main thread and attached whole: its bytes are
// the file's text, it is at its save point with no undo history, and the
// document reads the same text before an editor takes it.
TEST_F(BufferLoading, TheEditorAdoptsTheBufferByteForByte)
{
    const QByteArray raw = lines(60000, "\r\n");
    QByteArray text = raw;
    text.replace("\r\n", "\n");
    std::shared_ptr<TextSink> sink;
    DocPtr d = load(write(QStringLiteral("big.txt"), raw), sink);
    ASSERT_TRUE(std::dynamic_pointer_cast<BufferLoader>(d->loadedText()));
    EXPECT_EQ(d->textCopy().utf8, text);  // copied out without an editor
    EXPECT_EQ(d->eol(), LineEnding::crlf);
    sink.reset();

    model->appendDoc(d);
    EditorController& e = editorFor(d);
    CodeTextView* v = e.textView();
    EXPECT_FALSE(d->loadedText());  // the editor holds the only buffer now
    EXPECT_EQ(v->utf8(), text);
    EXPECT_EQ(v->length(), QString::fromUtf8(text).size());
    EXPECT_FALSE(v->hasStyleBytes());  // plain text this large has none
    EXPECT_FALSE(d->isDirty());
    EXPECT_FALSE(v->SendScintilla(QsciScintillaBase::SCI_CANUNDO));

    // Edits and their undo work on the adopted buffer like on any other.
    select(v, 0, 0);
    type(v, QStringLiteral("x"));
    EXPECT_TRUE(d->isDirty());
    EXPECT_EQ(d->textCopy().utf8, "x" + text);
    v->SendScintilla(QsciScintillaBase::SCI_UNDO);
    QCoreApplication::processEvents();  // an edit from outside is reported from the event loop
    EXPECT_EQ(v->utf8(), text);
    EXPECT_FALSE(d->isDirty());
}

// A coloured format keeps style bytes; a line past the long-line limit puts
// the editor in its safe display without a pass over the text.
TEST_F(BufferLoading, StyleBytesAndLongLinesComeWithTheBuffer)
{
    QByteArray json = "[" + QByteArray("1,").repeated(int(CodeTextView::longLine)) + "1]\n";
    json += QByteArray(" ").repeated(int(WindowModel::backgroundOpenBytes));
    std::shared_ptr<TextSink> sink;
    DocPtr d = load(write(QStringLiteral("one.json"), json), sink);
    sink.reset();
    model->appendDoc(d);
    EditorController& e = editorFor(d);
    EXPECT_TRUE(e.textView()->hasStyleBytes());
    EXPECT_TRUE(e.safeDisplay());
    EXPECT_EQ(e.textView()->utf8(), json);
}

// Making a loader through an editor leaves that editor's hidden lines as
// they were: reading threads make theirs through an editor of their own.
TEST(BufferLoaderEngine, MakingALoaderKeepsTheEditorsHiddenLines)
{
    using B = QsciScintillaBase;
    B editor;
    editor.SendScintilla(B::SCI_APPENDTEXT, uintptr_t(6), "a\nb\nc\n");
    editor.SendScintilla(B::SCI_HIDELINES, uintptr_t(1), long(1));
    ASSERT_EQ(editor.SendScintilla(B::SCI_GETLINEVISIBLE, uintptr_t(1)), 0);
    auto* loader = reinterpret_cast<ILoader*>(
        editor.SendScintilla(B::SCI_CREATELOADER, uintptr_t(16), long(B::SC_DOCUMENTOPTION_STYLES_NONE)));
    ASSERT_NE(loader, nullptr);
    EXPECT_EQ(editor.SendScintilla(B::SCI_GETLINEVISIBLE, uintptr_t(1)), 0);
    EXPECT_EQ(editor.SendScintilla(B::SCI_GETLINEVISIBLE, uintptr_t(2)), 1);
    loader->Release();
}
