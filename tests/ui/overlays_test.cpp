#include "EditorFixture.h"
#include "views/overlays/DialogLayer.h"
#include "views/overlays/MenuPanel.h"
#include "views/overlays/PopupContent.h"
#include "views/overlays/PopupLayer.h"

#include <QLabel>
#include <QLineEdit>

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
    const auto rows = menu->rows();
    const auto n = TextEncoding::allCases().size();
    ASSERT_EQ(rows.size(), 2 * n);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const TextEncoding e = TextEncoding::allCases()[i % n];
        EXPECT_EQ(rows[i]->item().label, e.rawValue());
        EXPECT_EQ(rows[i]->item().checked, e == d->encoding());
    }

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
