// Wrap per format: Markdown and text wrap and data does not; 视图 → 自动换行
// changes the document in front only; 设置 changes a format's default.
#include "EditorFixture.h"
#include "WindowFixture.h"
#include "plugins/PluginRegistry.h"
#include "views/controls/Controls.h"
#include "views/sheets/SettingsView.h"

#include <QCheckBox>
#include <QComboBox>

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
        EXPECT_TRUE(waitUntil([&] { return focused() == editors->controller(d).textView(); }));
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

using WrapSettings = EditorFixture;

TEST_F(WrapSettings, EachFormatShowsAndChangesItsOwnWrap)
{
    SettingsView view(*model);
    for (const QString& id : Settings::formats()) {
        SCOPED_TRACE(id.toStdString());
        const QString name = PluginRegistry::pluginWithID(id)->displayName;
        for (TextButton* b : view.indentFormatButtons())
            if (b->text() == name)
                b->click();
        EXPECT_EQ(view.formatWrap()->isChecked(), Settings::defaultWrap(id));
        view.formatWrap()->click();
        EXPECT_EQ(model->settings().wrapFor(id), !Settings::defaultWrap(id));
        EXPECT_EQ(model->settings().wraps.size(), 1);
        view.formatWrap()->click();
        // Back at the default: nothing is kept.
        EXPECT_TRUE(model->settings().wraps.isEmpty());
    }

    // An open text document without a choice of its own follows its format's setting.
    DocPtr d = newDoc(QStringLiteral("正文"));
    EditorController& e = editorFor(d);
    EXPECT_TRUE(e.wrapping());
    for (TextButton* b : view.indentFormatButtons())
        if (b->text() == PluginRegistry::pluginWithID(d->plugin().id)->displayName)
            b->click();
    view.formatWrap()->click();
    EXPECT_FALSE(e.wrapping());
}

TEST_F(WrapSettings, TheEvenHanOptionStandsInForTheFamilyChoice)
{
    SettingsView view(*model);
    EXPECT_FALSE(view.evenHan()->isChecked());
    view.evenHan()->click();
    EXPECT_TRUE(model->settings().hanDoubleWidth);
    EXPECT_FALSE(view.fontFamilies()->isEnabled());
    view.evenHan()->click();
    EXPECT_FALSE(model->settings().hanDoubleWidth);
    EXPECT_TRUE(view.fontFamilies()->isEnabled());
}
