// The rows of 设置 for each format: its indent (level width and kind) and
// whether it wraps, and the option that stands in for the font family.
#include "EditorFixture.h"
#include "plugins/PluginRegistry.h"
#include "views/controls/Controls.h"
#include "views/sheets/SettingsView.h"

#include <QCheckBox>
#include <QComboBox>

namespace {

using SettingsFormats = EditorFixture;

TextButton* titled(const QList<TextButton*>& buttons, const QString& title)
{
    for (TextButton* b : buttons)
        if (b->text() == title)
            return b;
    return nullptr;
}

// What the width and kind rows show as chosen.
std::pair<int, bool> shown(const SettingsView& view)
{
    int width = -1;
    for (TextButton* b : view.indentWidthButtons())
        if (b->isOn())
            width = b->text().toInt();
    const auto kinds = view.indentKindButtons();
    return {width, kinds.size() == 2 && kinds[1]->isOn() && !kinds[0]->isOn()};
}

}

TEST_F(SettingsFormats, EachFormatShowsAndChangesItsOwnIndentAndWrap)
{
    SettingsView view(*model);
    ASSERT_EQ(view.indentFormatButtons().size(), Settings::formats().size());
    for (const QString& id : Settings::formats()) {
        SCOPED_TRACE(id.toStdString());
        const FormatPlugin* plugin = PluginRegistry::pluginWithID(id);
        TextButton* chip = titled(view.indentFormatButtons(), plugin->displayName);
        ASSERT_TRUE(chip);
        chip->click();
        EXPECT_TRUE(chip->isOn());
        const Indent d = Settings::defaultIndent(id);
        EXPECT_EQ(shown(view), std::pair(d.width, d.tabs));
        EXPECT_EQ(view.formatWrap()->isChecked(), Settings::defaultWrap(id));
        view.formatWrap()->click();
        EXPECT_EQ(model->settings().wrapFor(id), !Settings::defaultWrap(id));
        EXPECT_EQ(model->settings().wraps.size(), 1);
        view.formatWrap()->click();
        // Back at the default: nothing is kept.
        EXPECT_TRUE(model->settings().wraps.isEmpty());
    }

    titled(view.indentFormatButtons(), QStringLiteral("JSON"))->click();
    titled(view.indentWidthButtons(), QStringLiteral("4"))->click();
    titled(view.indentKindButtons(), QStringLiteral("制表符"))->click();
    EXPECT_EQ(model->settings().indentFor(QStringLiteral("json")), (Indent{4, true}));
    EXPECT_EQ(shown(view), std::pair(4, true));
    // The other formats are untouched.
    EXPECT_EQ(model->settings().indents.size(), 1);
    titled(view.indentFormatButtons(), QStringLiteral("YAML"))->click();
    EXPECT_EQ(shown(view), std::pair(2, false));

    // Back to the default: nothing of JSON's is kept.
    titled(view.indentFormatButtons(), QStringLiteral("JSON"))->click();
    titled(view.indentWidthButtons(), QStringLiteral("2"))->click();
    titled(view.indentKindButtons(), QStringLiteral("空格"))->click();
    EXPECT_TRUE(model->settings().indents.isEmpty());
}

// An open text document without a choice of its own follows its format's wrap.
TEST_F(SettingsFormats, AnOpenDocumentFollowsItsFormatsWrap)
{
    SettingsView view(*model);
    DocPtr d = newDoc(QStringLiteral("正文"));
    EditorController& e = editorFor(d);
    EXPECT_TRUE(e.wrapping());
    titled(view.indentFormatButtons(), PluginRegistry::pluginWithID(d->plugin().id)->displayName)->click();
    view.formatWrap()->click();
    EXPECT_FALSE(e.wrapping());
}

TEST_F(SettingsFormats, TheEvenHanOptionStandsInForTheFamilyChoice)
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
