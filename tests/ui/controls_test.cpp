// Controls, icons and overlays.
#include "EditorFixture.h"
#include "WaitUntil.h"
#include "views/controls/Controls.h"
#include "views/icons/Icons.h"
#include "views/overlays/DialogLayer.h"
#include "views/overlays/MenuPanel.h"
#include "views/overlays/PopupContent.h"
#include "views/overlays/PopupLayer.h"
#include "views/window/AppIcon.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
QIcon squareIcon()
{
    QPixmap pm(13, 13);
    pm.fill(Qt::black);
    return QIcon(pm);
}
}

TEST(Controls, IconButtonClickRunsActionAndOnWinsOverHover)
{
    int calls = 0;
    IconButton b(squareIcon(), QStringLiteral("查找"), [&] { ++calls; });
    b.show();
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(26, 24));
    EXPECT_EQ(calls, 1);
    ControlColors c;
    EXPECT_EQ(b.symbolColor(), c.fg2);
    b.setOn(true);
    b.setAttribute(Qt::WA_UnderMouse, true);
    EXPECT_EQ(b.symbolColor(), c.accent);
    EXPECT_EQ(b.backgroundColor().rgb(), c.accent.rgb());
    b.setOn(false);
    EXPECT_EQ(b.symbolColor(), c.fg);
}

TEST(Controls, ToggleFlipsAndFieldBoxShowsInvalid)
{
    Toggle2 t(QStringLiteral("Aa"), QStringLiteral("区分大小写"));
    t.show();
    EXPECT_FALSE(t.isChecked());
    QTest::mouseClick(&t, Qt::LeftButton);
    EXPECT_TRUE(t.isChecked());
    QTest::mouseClick(&t, Qt::LeftButton);
    EXPECT_FALSE(t.isChecked());

    FieldBox box(new QWidget);
    ControlColors c;
    EXPECT_EQ(box.borderColor(), c.line);
    box.setInvalid(true);
    EXPECT_EQ(box.borderColor(), c.danger);
}

TEST(Controls, MultilineFieldReturnSubmitsShiftReturnGrows)
{
    MultilineField f;
    f.resize(200, 26);
    f.show();
    int submits = 0, escapes = 0;
    QString bound;
    f.onSubmit = [&] { ++submits; };
    f.onEscape = [&] { ++escapes; };
    f.onTextChanged = [&](const QString& s) { bound = s; };
    EXPECT_EQ(f.wantedHeight(), 26);
    QTest::keyClicks(&f, QStringLiteral("ab"));
    EXPECT_EQ(bound, QStringLiteral("ab"));
    QTest::keyClick(&f, Qt::Key_Return);
    EXPECT_EQ(submits, 1);
    EXPECT_EQ(f.toPlainText(), QStringLiteral("ab"));
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_EQ(escapes, 1);
    int prev = f.wantedHeight();
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(&f, Qt::Key_Return, Qt::ShiftModifier);
        int h = f.wantedHeight();
        EXPECT_GE(h, prev);
        prev = h;
    }
    EXPECT_EQ(f.toPlainText().count(QLatin1Char('\n')), 12);
    EXPECT_EQ(f.wantedHeight(), 96);
    EXPECT_TRUE(waitUntil([&] { return same(f.height(), 96); }));
}

TEST(Controls, MultilineFieldBoundTextAndFocusToken)
{
    QWidget w;
    auto* other = new QWidget(&w);
    other->setFocusPolicy(Qt::StrongFocus);
    auto* f = new MultilineField(&w);
    f->move(0, 40);
    w.show();
    f->setBoundText(QStringLiteral("需要"));
    EXPECT_EQ(f->toPlainText(), QStringLiteral("需要"));
    f->setFocusToken(1);
    EXPECT_TRUE(waitUntil([&] { return f->hasFocus(); }));
    EXPECT_EQ(f->textCursor().selectedText(), QStringLiteral("需要"));
    other->setFocus();
    f->setFocusToken(1);
    nextTurn();
    EXPECT_FALSE(f->hasFocus());
    f->setFocusToken(2);
    EXPECT_TRUE(waitUntil([&] { return f->hasFocus(); }));
}

namespace {

using OverlayTest = EditorFixture;

const QRect window(0, 0, 1180, 760);

}

TEST(PopupPlacement, BelowUpperControlsAboveStatusBarAlwaysInside)
{
    const QSize panel(220, 180);
    // A sidebar row near the top: the popup opens below it, left-aligned.
    const QRect row(20, 100, 200, 28);
    EXPECT_EQ(placePopup(panel, row, window), QRect(QPoint(20, 132), panel));
    // A status bar control at the bottom: above it.
    const QRect status(900, 736, 60, 20);
    const QRect up = placePopup(panel, status, window);
    EXPECT_EQ(up.bottom(), status.top() - 5);
    EXPECT_TRUE(window.contains(up));
    // Near the right edge the panel is pulled back inside.
    const QRect corner = placePopup(panel, QRect(1150, 40, 24, 24), window);
    EXPECT_LE(corner.right(), window.right() - 8);
    EXPECT_GE(corner.top(), 64);
    // An upper control without room below still stays on screen.
    const QRect tall = placePopup(QSize(220, 700), QRect(10, 300, 30, 20), window);
    EXPECT_TRUE(window.contains(tall));
    // Bigger than the window: the top-left corner remains visible.
    const QRect huge = placePopup(QSize(2000, 2000), QRect(500, 300, 30, 20), window);
    EXPECT_EQ(huge.topLeft(), QPoint(8, 8));
}

TEST_F(OverlayTest, MenuRowClosesThePopupBeforeItsActionRuns)
{
    model->setPopup(Popup::format());
    std::optional<bool> popupOpenDuringAction;
    MenuItem item;
    item.label = QStringLiteral("自定义后缀…");
    item.action = [&] { popupOpenDuringAction = model->popup().has_value(); };
    MenuPanel panel(*model, {MenuSection{QUuid::createUuid(), QStringLiteral("切换格式（自动调整后缀）"), {item}}});
    ASSERT_EQ(panel.rows().size(), 1);
    panel.show();
    QTest::mouseClick(panel.rows().front(), Qt::LeftButton);
    ASSERT_TRUE(popupOpenDuringAction.has_value());
    EXPECT_FALSE(*popupOpenDuringAction);
    EXPECT_FALSE(model->popup());
}

TEST_F(OverlayTest, LayerShowsContentAtItsAnchorAndAClickOutsideCloses)
{
    QWidget win;
    win.resize(1180, 760);
    auto* control = new QWidget(&win);
    control->setGeometry(900, 736, 60, 20);
    int built = 0;
    PopupLayer layer(
        *model,
        [&](const Popup& p) -> QWidget* {
            ++built;
            if (p.kind() != Popup::Kind::eol)
                return nullptr;
            auto* w = new QWidget;
            w->setFixedSize(200, 120);
            return w;
        },
        &win);
    layer.setAnchor(QStringLiteral("eol"), control);
    win.show();

    model->setPopup(Popup::eol());
    ASSERT_TRUE(layer.isVisible());
    ASSERT_TRUE(layer.panel());
    EXPECT_EQ(built, 1);
    const QRect g = layer.panel()->geometry();
    EXPECT_LT(g.bottom(), control->geometry().top());
    EXPECT_TRUE(win.rect().contains(g));

    // Clicking inside the panel keeps it; outside closes.
    QTest::mouseClick(&layer, Qt::LeftButton, {}, g.center());
    EXPECT_TRUE(model->popup());
    QTest::mouseClick(&layer, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(model->popup());
    EXPECT_FALSE(layer.isVisible());

    // A popup without content shows nothing and catches nothing.
    model->setPopup(Popup::feature());
    EXPECT_FALSE(layer.isVisible());
}

TEST_F(OverlayTest, EncodingAndLineEndingPopupsOfferEveryCaseAndCheckTheCurrentOne)
{
    DocPtr d = model->createDoc(QStringLiteral("a.txt"), std::nullopt, {});
    d->setSavedText(d->text());
    std::unique_ptr<QWidget> panel(PopupContent::build(*model, Popup::encoding()));
    auto* menu = qobject_cast<MenuPanel*>(panel.get());
    ASSERT_TRUE(menu);
    // Reopen in and save as each encoding: the current one checked in both.
    const auto rows = menu->rows();
    const auto n = TextEncoding::allCases().size();
    ASSERT_EQ(rows.size(), 2 * n);
    for (qsizetype i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i]->item().checked, TextEncoding::allCases()[i % n] == d->encoding()) << i;

    std::unique_ptr<QWidget> eol(PopupContent::build(*model, Popup::eol()));
    auto* eolMenu = qobject_cast<MenuPanel*>(eol.get());
    ASSERT_TRUE(eolMenu);
    // Choosing the line ending the document already has leaves it clean.
    for (MenuRow* r : eolMenu->rows())
        if (r->item().checked)
            r->choose();
    EXPECT_FALSE(d->isDirty());
    EXPECT_FALSE(d->metaDirty());
}

// A long message wraps onto several lines; the card grows to show all of
// them instead of clipping the first and last.
TEST_F(OverlayTest, DialogCardFitsAWrappedMultiLineMessage)
{
    QWidget window;
    window.resize(1180, 760);
    DialogLayer layer(*model, &window);
    QString message;
    for (int i = 0; i < 6; ++i)
        message += QStringLiteral("无法写入文件：/home/用户/文档/一个很长很长的目录名/另一个很长的目录名/文件.json\n");
    model->alert(QStringLiteral("标题"), message.trimmed());
    layer.sync();
    window.show();
    QApplication::processEvents();
    ASSERT_TRUE(layer.card());
    QLabel* shown = nullptr;
    for (QLabel* l : layer.card()->findChildren<QLabel*>())
        if (l->text().startsWith(QStringLiteral("无法写入")))
            shown = l;
    ASSERT_TRUE(shown);
    EXPECT_GE(shown->height(), shown->heightForWidth(shown->width()));
    EXPECT_TRUE(layer.card()->rect().contains(shown->geometry()));
}

// Every symbol of the map is embedded and draws, so a moved or installed
// binary shows the same icons as the one in the build folder.
TEST(Icons, EveryMappedSymbolIsEmbeddedAndDrawnAndUnknownOnesAreNull)
{
    QFile map(QStringLiteral(LORVANE_ICON_MAP));
    ASSERT_TRUE(map.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(map.readAll());
    const QRegularExpression row(QStringLiteral("^ICON\\(\"([^\"]+)\", *\"([^\"]+)\"\\)"),
                                 QRegularExpression::MultilineOption);
    int rows = 0;
    for (auto it = row.globalMatch(text); it.hasNext(); ++rows) {
        const auto m = it.next();
        SCOPED_TRACE(m.captured(1).toStdString());
        EXPECT_EQ(Icons::lucideName(m.captured(1)), m.captured(2));
        const QIcon icon = Icons::icon(m.captured(1));
        ASSERT_FALSE(icon.isNull());
        const QImage img = icon.pixmap(13, 13).toImage();
        int inked = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                inked += qAlpha(img.pixel(x, y)) > 0;
        EXPECT_GT(inked, 4) << "rendered blank";
    }
    EXPECT_GT(rows, 10);
    EXPECT_TRUE(Icons::icon(QStringLiteral("no.such.symbol")).isNull());
}

TEST(AppIcon, IsDrawnAtEverySizeAPanelAsksFor)
{
    const QIcon icon = AppIcon::icon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48, 256}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 200;
        // A drawn icon, not a blank square.
        EXPECT_GT(opaque, size * size / 4) << size;
    }
}
