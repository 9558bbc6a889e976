#include "EditorFixture.h"
#include "editor/BufferLoader.h"

#include <Qsci/qsciscintillabase.h>
#include <thread>

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
        cache = std::make_unique<EditorCache>(*model);
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
    json += QByteArray(" ").repeated(int(AppModel::backgroundOpenBytes));
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
