#include "EditorFixture.h"
#include "views/controls/Controls.h"
#include "views/sheets/NewFileSheet.h"
#include "views/sheets/SettingsView.h"
#include "views/sheets/SheetParts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace {

using SheetTest = EditorFixture;

PluginRegistry::Entry entry(const QString& id)
{
    for (const auto& e : PluginRegistry::catalog())
        if (e.id == id)
            return e;
    return {};
}

}

TEST(NewFileNaming, FormatTapsSwapOrDropTheExtension)
{
    const auto md = entry(QStringLiteral("markdown"));
    ASSERT_FALSE(md.ext.isEmpty());
    EXPECT_EQ(nameAfterFormatTap(QStringLiteral("会议.txt"), md, false), QStringLiteral("会议.md"));
    EXPECT_EQ(nameAfterFormatTap(QStringLiteral("a.b.txt"), md, false), QStringLiteral("a.b.md"));
    EXPECT_EQ(nameAfterFormatTap(QString(), md, false), QStringLiteral(".md"));
    EXPECT_EQ(nameAfterFormatTap(QStringLiteral("会议.md"), md, true), QStringLiteral("会议"));
}

TEST_F(SheetTest, ChoosingAFormatTwiceLeavesNoFormatAndNoExtension)
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
    sheet.tapFormat(QStringLiteral("no-such-format"));
    EXPECT_EQ(sheet.name(), QStringLiteral("日记"));
}

TEST_F(SheetTest, CreatingUsesTheFormAndClosesTheSheet)
{
    model->setShowNewFile(true);
    NewFileSheet sheet(*model);
    // Chips follow the workspace's tags as they change.
    model->setTags(
        {Tag{QStringLiteral("t1"), QStringLiteral("工作"), 0}, Tag{QStringLiteral("t2"), QStringLiteral("生活"), 1}});
    EXPECT_EQ(sheet.findChildren<SheetParts::Chip*>().size(), 2);
    const QString tag = model->tags().first().id;
    sheet.tapTag(tag);
    sheet.tapTag(tag);
    sheet.tapTag(tag);
    EXPECT_EQ(sheet.tags(), QStringList{tag});
    sheet.show();
    sheet.setName(QStringLiteral("  周报.md "));
    QTest::keyClick(sheet.nameField(), Qt::Key_Return);
    EXPECT_FALSE(model->showNewFile());
    ASSERT_TRUE(model->active());
    EXPECT_EQ(model->active()->name(), QStringLiteral("周报.md"));
    EXPECT_EQ(model->active()->tags(), QStringList{tag});
}

TEST_F(SheetTest, AnEmptyNameIsNamedAutomaticallyAlsoWithAFormat)
{
    NewFileSheet sheet(*model);
    sheet.create();
    ASSERT_TRUE(model->active());
    EXPECT_EQ(model->active()->name(), QStringLiteral("未命名"));

    // The tap leaves ".json" in the field; that must not become a hidden
    // plain-text file called ".json".
    sheet.reset();
    EXPECT_TRUE(sheet.name().isEmpty());
    EXPECT_FALSE(sheet.plugin());
    sheet.tapFormat(QStringLiteral("json"));
    EXPECT_EQ(sheet.name(), QStringLiteral(".json"));
    sheet.create();
    ASSERT_TRUE(model->active());
    EXPECT_EQ(model->active()->name(), QStringLiteral("未命名.json"));
    EXPECT_EQ(model->active()->plugin().id, QStringLiteral("json"));
    EXPECT_EQ(model->docs().size(), 2);
}

TEST_F(SheetTest, CancelCreatesNothing)
{
    model->setShowNewFile(true);
    NewFileSheet sheet(*model);
    sheet.setName(QStringLiteral("x.md"));
    sheet.cancel();
    EXPECT_FALSE(model->showNewFile());
    EXPECT_TRUE(model->docs().isEmpty());
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
    QObject::connect(model.get(), &AppModel::settingsChanged, [&] { sizes << model->settings().fontSize; });
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
