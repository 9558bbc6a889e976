// The new-file and settings sheets.
#include "EditorFixture.h"
#include "WindowFixture.h"
#include "core/JSONCodec.h"
#include "core/StoredJSON.h"
#include "editor/AppFonts.h"
#include "plugins/PluginRegistry.h"
#include "render/PreviewPage.h"
#include "views/controls/Controls.h"
#include "views/sheets/NewFileSheet.h"
#include "views/sheets/SettingsView.h"
#include "views/sheets/SheetParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <gtest/gtest.h>

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

// Each format's chip shows its own indent and wrap; a change keeps only what
// differs from the default, and an open document follows its format's wrap.
TEST_F(SettingsFormats, EachFormatShowsAndChangesItsOwnIndentAndWrap)
{
    SettingsView view(*model);
    ASSERT_EQ(view.indentFormatButtons().size(), Settings::formats().size());
    for (const QString& id : Settings::formats()) {
        SCOPED_TRACE(id.toStdString());
        TextButton* chip = titled(view.indentFormatButtons(), PluginRegistry::pluginWithID(id)->displayName);
        ASSERT_TRUE(chip);
        chip->click();
        EXPECT_TRUE(chip->isOn());
        const Indent d = Settings::defaultIndent(id);
        EXPECT_EQ(shown(view), std::pair(d.width, d.tabs));
        EXPECT_EQ(view.formatWrap()->isChecked(), Settings::defaultWrap(id));
    }

    titled(view.indentFormatButtons(), QStringLiteral("JSON"))->click();
    titled(view.indentWidthButtons(), QStringLiteral("4"))->click();
    titled(view.indentKindButtons(), QStringLiteral("制表符"))->click();
    EXPECT_EQ(model->settings().indentFor(QStringLiteral("json")), (Indent{4, true}));
    EXPECT_EQ(shown(view), std::pair(4, true));
    EXPECT_EQ(model->settings().indents.size(), 1);
    titled(view.indentFormatButtons(), QStringLiteral("YAML"))->click();
    EXPECT_EQ(shown(view), std::pair(2, false));
    // Back to the default: nothing of JSON's is kept.
    titled(view.indentFormatButtons(), QStringLiteral("JSON"))->click();
    titled(view.indentWidthButtons(), QStringLiteral("2"))->click();
    titled(view.indentKindButtons(), QStringLiteral("空格"))->click();
    EXPECT_TRUE(model->settings().indents.isEmpty());

    DocPtr d = newDoc(QStringLiteral("正文"));
    EditorController& e = editorFor(d);
    EXPECT_TRUE(e.wrapping());
    titled(view.indentFormatButtons(), PluginRegistry::pluginWithID(d->plugin().id)->displayName)->click();
    view.formatWrap()->click();
    EXPECT_EQ(model->settings().wraps.size(), 1);
    EXPECT_FALSE(e.wrapping());
    view.formatWrap()->click();
    EXPECT_TRUE(model->settings().wraps.isEmpty());
    EXPECT_TRUE(e.wrapping());

    // The even-Han option stands in for the family choice.
    view.evenHan()->click();
    EXPECT_TRUE(model->settings().hanDoubleWidth);
    EXPECT_FALSE(view.fontFamilies()->isEnabled());
    view.evenHan()->click();
    EXPECT_TRUE(view.fontFamilies()->isEnabled());
}

namespace {

std::optional<Settings> read(const char* json) { return JSONCodec<Settings>::decode(*StoredJSON::read(json)); }

}

// Changed indents go to the file and come back; settings from before indents,
// or with entries that are no indent, load with each format's default.
TEST(SettingsIndent, ChangedIndentsAreStoredAndWhatIsNoIndentKeepsTheDefault)
{
    Settings s;
    s.indents.insert(QStringLiteral("json"), Indent{4, true});
    s.indents.insert(QStringLiteral("markdown"), Indent{2, false});
    EXPECT_EQ(JSONCodec<Settings>::decode(*StoredJSON::read(StoredJSON::write(JSONCodec<Settings>::encode(s)))), s);
    const auto old = read(R"({"appearance":1,"scheme":"paper","fontSize":14,"wordWrap":true})");
    ASSERT_TRUE(old);
    EXPECT_TRUE(old->indents.isEmpty());

    const auto odd = read(R"({"appearance":0,"scheme":"g","fontSize":13,"wordWrap":false,"indents":{)"
                          R"("json":{"width":0,"tabs":false},"yaml":{"width":3},"toml":"wide",)"
                          R"("text":{"width":99,"tabs":true},"csv":{"width":1.5,"tabs":true},)"
                          R"("markdown":{"width":8,"tabs":true}}})");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->indents.keys(), QStringList{QStringLiteral("markdown")});
    EXPECT_EQ(odd->indentFor(QStringLiteral("markdown")), (Indent{8, true}));
    EXPECT_EQ(odd->indentFor(QStringLiteral("json")), (Indent{2, false}));
    EXPECT_TRUE(read(R"({"appearance":0,"scheme":"g","fontSize":13,"wordWrap":false,"indents":7})"));
}

namespace {

struct SettingsWindow : WindowFixture {
    SettingsView* openSettings()
    {
        key(Qt::Key_Comma, Qt::ControlModifier);
        const bool shown = waitUntil([this] {
            auto* v = window->findChild<SettingsView*>();
            return v && v->isVisible();
        });
        return shown ? window->findChild<SettingsView*>() : nullptr;
    }
    CodeTextView* view() const { return editors->controller(model->active()).textView(); }
    long viewWS() const { return view()->SendScintilla(QsciScintillaBase::SCI_GETVIEWWS); }
};

}

TEST_F(SettingsWindow, ShowingBlanksAndWebPicturesApplyAtOnceAndAreStored)
{
    ASSERT_TRUE(open(QStringLiteral("w.txt"), "a b\tc\n"));
    EXPECT_EQ(viewWS(), QsciScintillaBase::SCWS_INVISIBLE);
    SettingsView* settings = openSettings();
    ASSERT_TRUE(settings);
    for (bool on : {true, false, true}) {
        SCOPED_TRACE(on);
        // On the box itself: the row is wider than what answers clicks.
        QTest::mouseClick(settings->whitespace(), Qt::LeftButton, {}, QPoint(8, settings->whitespace()->height() / 2));
        EXPECT_EQ(model->settings().showWhitespace, on);
        EXPECT_EQ(viewWS(), on ? QsciScintillaBase::SCWS_VISIBLEALWAYS : QsciScintillaBase::SCWS_INVISIBLE);
        EXPECT_EQ(model->load<Settings>(WindowModel::settingsKey)->showWhitespace, on);
    }
    // An editor made later shows them too.
    window->openFiles({write(QStringLiteral("x.txt"), "x y\n")});
    EXPECT_EQ(viewWS(), QsciScintillaBase::SCWS_VISIBLEALWAYS);

    // Web pictures are off until their switch is on; every switch shows its whole label.
    model->setPopup(std::nullopt);
    settings = openSettings();
    ASSERT_TRUE(settings);
    QCheckBox* web = settings->webPictures();
    EXPECT_FALSE(web->isChecked());
    EXPECT_FALSE(PreviewPage::remoteImages());
    // Every switch shows its whole label inside the sheet.
    for (QCheckBox* box : {settings->whitespace(), settings->evenHan(), web}) {
        SCOPED_TRACE(box->text().toStdString());
        EXPECT_GE(box->width(), box->sizeHint().width());
        EXPECT_LE(box->mapTo(settings, QPoint(box->width(), 0)).x(), settings->width());
    }
    for (bool on : {true, false}) {
        SCOPED_TRACE(on);
        QTest::mouseClick(web, Qt::LeftButton, {}, QPoint(8, web->height() / 2));
        EXPECT_EQ(model->settings().remoteImages, on);
        EXPECT_EQ(PreviewPage::remoteImages(), on);
        EXPECT_EQ(model->load<Settings>(WindowModel::settingsKey)->remoteImages, on);
    }
}

// A family that is not installed stays chosen while the built-in face stands
// in; the built-in comes first and a family is chosen with the keyboard.
TEST_F(SettingsWindow, TheFontFamilyIsChosenWithTheKeyboardAndAMissingOneStaysChosen)
{
    Settings s = model->settings();
    s.fontFamily = QStringLiteral("不存在的等宽字体");
    model->setSettings(s);
    ASSERT_TRUE(open(QStringLiteral("f.txt"), "abc\n"));
    const QString builtIn = AppFonts::mono(13).family();
    EXPECT_EQ(view()->font().family(), builtIn);
    SettingsView* settings = openSettings();
    ASSERT_TRUE(settings);
    QComboBox* families = settings->fontFamilies();
    EXPECT_EQ(families->currentData().toString(), s.fontFamily);
    EXPECT_TRUE(families->currentText().contains(QStringLiteral("未安装")));
    EXPECT_EQ(model->settings().fontFamily, s.fontFamily);

    model->setPopup(std::nullopt);
    s.fontFamily.clear();
    model->setSettings(s);
    settings = openSettings();
    ASSERT_TRUE(settings);
    families = settings->fontFamilies();
    EXPECT_EQ(families->itemData(0).toString(), QString());
    EXPECT_EQ(families->currentIndex(), 0);
    if (families->count() < 2)
        GTEST_SKIP() << "no monospace family installed besides the built-in one";
    families->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(focused(), families);
    key(Qt::Key_Down);
    const QString chosen = families->itemData(1).toString();
    ASSERT_TRUE(AppFonts::monospaceFamilies().contains(chosen));
    EXPECT_EQ(model->settings().fontFamily, chosen);
    EXPECT_EQ(view()->font().family(), chosen);
    EXPECT_EQ(model->load<Settings>(WindowModel::settingsKey)->fontFamily, chosen);
    key(Qt::Key_Up);
    EXPECT_EQ(model->settings().fontFamily, QString());
    EXPECT_EQ(view()->font().family(), builtIn);
}

namespace {

using SheetTest = EditorFixture;

}

// A second tap of a format takes it and its extension off; only the last
// extension is swapped; an empty name, or one a tap left as ".json", is
// named automatically; the chips follow the workspace's tags.
TEST_F(SheetTest, FormatTapsSwapTheExtensionAndAnEmptyNameIsNamedAutomatically)
{
    NewFileSheet sheet(*model);
    sheet.setName(QStringLiteral("日记"));
    sheet.tapFormat(QStringLiteral("json"));
    EXPECT_EQ(sheet.name(), QStringLiteral("日记.json"));
    EXPECT_EQ(sheet.plugin(), QStringLiteral("json"));
    sheet.tapFormat(QStringLiteral("yaml"));
    EXPECT_EQ(sheet.name(), QStringLiteral("日记.yaml"));
    sheet.tapFormat(QStringLiteral("yaml"));
    EXPECT_EQ(sheet.name(), QStringLiteral("日记"));
    EXPECT_FALSE(sheet.plugin());
    sheet.setName(QStringLiteral("a.b.txt"));
    sheet.tapFormat(QStringLiteral("markdown"));
    EXPECT_EQ(sheet.name(), QStringLiteral("a.b.md"));

    sheet.reset();
    sheet.create();
    ASSERT_TRUE(model->active());
    EXPECT_EQ(model->active()->name(), QStringLiteral("未命名"));
    sheet.reset();
    EXPECT_TRUE(sheet.name().isEmpty());
    EXPECT_FALSE(sheet.plugin());
    sheet.tapFormat(QStringLiteral("json"));
    EXPECT_EQ(sheet.name(), QStringLiteral(".json"));
    sheet.create();
    EXPECT_EQ(model->active()->name(), QStringLiteral("未命名.json"));
    EXPECT_EQ(model->active()->plugin().id, QStringLiteral("json"));
    EXPECT_EQ(model->docs().size(), 2);

    model->setTags(
        {Tag{QStringLiteral("t1"), QStringLiteral("工作"), 0}, Tag{QStringLiteral("t2"), QStringLiteral("生活"), 1}});
    EXPECT_EQ(sheet.findChildren<SheetParts::Chip*>().size(), 2);
}

TEST_F(SheetTest, SettingsApplyEachChangeAndKeepTheOtherFields)
{
    Settings start = model->settings();
    start.scheme = QStringLiteral("paper");
    start.fontSize = 13;
    model->setSettings(start);
    SettingsView view(*model);
    EXPECT_EQ(view.fontCaption()->text(), QStringLiteral("13 px"));

    QList<double> sizes;
    QObject::connect(&model->session(), &SessionStore::settingsChanged, [&] { sizes << model->settings().fontSize; });
    view.fontSlider()->setValue(14);
    view.fontSlider()->setValue(15);
    view.fontSlider()->setValue(99);
    EXPECT_EQ(sizes, QList<double>({14, 15, 18}));
    EXPECT_EQ(view.fontCaption()->text(), QStringLiteral("18 px"));

    view.appearanceButtons()[2]->click();
    EXPECT_EQ(model->settings().appearance, 2);
    EXPECT_EQ(model->settings().scheme, QStringLiteral("paper"));
    EXPECT_EQ(model->settings().fontSize, 18);
    EXPECT_TRUE(view.appearanceButtons()[2]->isOn());
    EXPECT_FALSE(view.appearanceButtons()[0]->isOn());

    const auto tiles = view.findChildren<SheetParts::Tile*>();
    ASSERT_EQ(tiles.size(), 3);
    for (auto* t : tiles)
        if (t->objectName() == QStringLiteral("night")) {
            t->show();
            QTest::mouseClick(t, Qt::LeftButton);
        }
    EXPECT_EQ(model->settings().scheme, QStringLiteral("night"));
    for (auto* t : tiles)
        EXPECT_EQ(t->isSelected(), t->objectName() == QStringLiteral("night"));
}
