#include "WaitUntil.h"
#include "views/controls/Controls.h"
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

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
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(26, 24));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(b.toolTip(), QStringLiteral("查找"));
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

    int clicked = 0;
    TextButton tb(QStringLiteral("全部替换"), {}, [&] { ++clicked; });
    tb.show();
    QTest::mouseClick(&tb, Qt::LeftButton);
    EXPECT_EQ(clicked, 1);
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
