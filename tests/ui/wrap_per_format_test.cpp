// Wrap per format: Markdown and text wrap and data does not; 视图 → 自动换行
// changes the document in front only.
#include "WindowFixture.h"

namespace {

struct WrapPerFormat : WindowFixture {
    void SetUp() override
    {
        WindowFixture::SetUp();
        model->setEditorLink(editors.get());
    }
    DocPtr open(const QString& name, const QByteArray& bytes)
    {
        DocPtr d = model->open(write(name, bytes));
        EXPECT_TRUE(d);
        EXPECT_TRUE(waitUntil([&] { return focused() == view(d); }));
        return d;
    }
    bool wrapping(const DocPtr& d) const
    {
        CodeTextView* v = editors->controller(d).textView();
        return editors->controller(d).wrapping()
            && v->SendScintilla(QsciScintillaBase::SCI_GETWRAPMODE) == QsciScintillaBase::SC_WRAP_WORD;
    }
};

}

TEST_F(WrapPerFormat, TheMenuKeyWrapsTheDocumentInFrontAndLeavesTheRest)
{
    const QByteArray line = QByteArray("在这个快速发展的时代，我们需要不断学习新的知识。").repeated(8) + "\n";
    const DocPtr notes = open(QStringLiteral("笔记.md"), line);
    const DocPtr data = open(QStringLiteral("data.json"), "{\"a\": \"" + line.trimmed() + "\"}\n");
    EXPECT_TRUE(wrapping(notes));
    EXPECT_FALSE(wrapping(data));

    key(Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return wrapping(data); }));
    EXPECT_TRUE(wrapping(notes));
    EXPECT_EQ(model->settings(), Settings());

    model->setActiveID(notes->id);
    EXPECT_TRUE(waitUntil([&] { return focused() == editors->controller(notes).textView(); }));
    key(Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return !wrapping(notes); }));
    EXPECT_TRUE(wrapping(data));
}
