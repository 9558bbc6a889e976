// 设置 opened from the keyboard in the window: the editor's font family and
// whether blanks show, applied to the open editor at once and stored.
#include "WindowFixture.h"
#include "editor/AppFonts.h"
#include "render/PreviewPage.h"
#include "views/sheets/SettingsView.h"

#include <QCheckBox>
#include <QComboBox>

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

TEST_F(SettingsWindow, ShowingBlanksAppliesToTheEditorAndIsStored)
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
        EXPECT_EQ(model->load<Settings>(AppModel::settingsKey)->showWhitespace, on);
    }
    // An editor made later shows them too.
    window->openFiles({write(QStringLiteral("x.txt"), "x y\n")});
    EXPECT_EQ(viewWS(), QsciScintillaBase::SCWS_VISIBLEALWAYS);
}

TEST_F(SettingsWindow, WebPicturesAreOffUntilTheSwitchIsOnAndTheWholeLabelShows)
{
    SettingsView* settings = openSettings();
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
        EXPECT_EQ(model->load<Settings>(AppModel::settingsKey)->remoteImages, on);
    }
}

TEST_F(SettingsWindow, TheFontFamilyIsChosenWithTheKeyboardAndTheBuiltInComesFirst)
{
    const QStringList installed = AppFonts::monospaceFamilies();
    ASSERT_TRUE(open(QStringLiteral("f.txt"), "abc\n"));
    const QString builtIn = view()->font().family();
    SettingsView* settings = openSettings();
    ASSERT_TRUE(settings);
    QComboBox* families = settings->fontFamilies();
    ASSERT_GE(families->count(), 1);
    EXPECT_EQ(families->itemData(0).toString(), QString());
    EXPECT_EQ(families->currentIndex(), 0);
    if (families->count() < 2)
        GTEST_SKIP() << "no monospace family installed besides the built-in one";
    families->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(focused(), families);
    key(Qt::Key_Down);
    const QString chosen = families->itemData(1).toString();
    ASSERT_TRUE(installed.contains(chosen));
    EXPECT_EQ(model->settings().fontFamily, chosen);
    EXPECT_EQ(view()->font().family(), chosen);
    EXPECT_EQ(model->load<Settings>(AppModel::settingsKey)->fontFamily, chosen);
    key(Qt::Key_Up);
    EXPECT_EQ(model->settings().fontFamily, QString());
    EXPECT_EQ(view()->font().family(), builtIn);
}

TEST_F(SettingsWindow, AFamilyThatIsNotInstalledStaysChosenAndTheBuiltInFaceStandsIn)
{
    Settings s = model->settings();
    s.fontFamily = QStringLiteral("不存在的等宽字体");
    model->setSettings(s);
    ASSERT_TRUE(open(QStringLiteral("g.txt"), "abc\n"));
    EXPECT_EQ(view()->font().family(), AppFonts::mono(13).family());
    SettingsView* settings = openSettings();
    ASSERT_TRUE(settings);
    QComboBox* families = settings->fontFamilies();
    EXPECT_EQ(families->currentData().toString(), s.fontFamily);
    EXPECT_TRUE(families->currentText().contains(QStringLiteral("未安装")));
    EXPECT_EQ(model->settings().fontFamily, s.fontFamily);
}
