#include "EditorFixture.h"
#include "WindowFixture.h"
#include "views/pane/NoticeBar.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QLabel>

namespace {

using B = QsciScintillaBase;

// One line of JSON of about `bytes` bytes, with CJK text in it.
QByteArray oneLineJSON(qsizetype bytes)
{
    QByteArray out = "[";
    for (int i = 0; out.size() < bytes; ++i)
        out += "{\"id\":" + QByteArray::number(i) + ",\"name\":\"第" + QByteArray::number(i) + "项\"},";
    out.chop(1);
    return out + "]\n";
}

QByteArray prettyJSON(int items)
{
    QByteArray out = "[\n";
    for (int i = 0; i < items; ++i)
        out += "  {\"id\": " + QByteArray::number(i) + ", \"name\": \"第" + QByteArray::number(i) + "项\"},\n";
    return out + "  {}\n]\n";
}

long x(CodeTextView* v, long byte) { return v->SendScintilla(B::SCI_POINTXFROMPOSITION, 0, byte); }

struct LongLines : WindowFixture {
    void SetUp() override
    {
        WindowFixture::SetUp();
        model->setEditorLink(editors.get());
        Settings s = model->settings();
        for (const QString& format : Settings::formats())
            s.wraps.insert(format, true);
        model->setSettings(s);
    }
    EditorController& open(const QString& name, const QByteArray& bytes)
    {
        DocPtr d = model->open(write(name, bytes));
        EXPECT_TRUE(d);
        nextTurn();
        return editors->controller(d);
    }
    NoticeBar* notice() const { return window->docPane()->notice(); }
    QAbstractButton* noticeButton(const QString& title) const
    {
        for (auto* b : notice()->findChildren<QAbstractButton*>())
            if (b->text() == title && b->isVisible())
                return b;
        return nullptr;
    }
};

}

TEST_F(LongLines, AVeryLongLineGetsTheSafeDisplayAndANormalDocumentKeepsItsLook)
{
    EditorController& normal = open(QStringLiteral("pretty.json"), prettyJSON(2000));
    CodeTextView* nv = normal.textView();
    EXPECT_FALSE(normal.safeDisplay());
    EXPECT_TRUE(nv->hasStyleBytes());
    EXPECT_TRUE(nv->wrapping());
    EXPECT_FALSE(notice()->isVisible());
    // Keys are coloured: the lexer ran over the first screen.
    ASSERT_TRUE(waitUntil([&] { return nv->SendScintilla(B::SCI_GETSTYLEAT, 5) != 0; }));

    EditorController& safe = open(QStringLiteral("one-line.json"), oneLineJSON(3 * CodeTextView::longLine));
    CodeTextView* sv = safe.textView();
    EXPECT_TRUE(safe.safeDisplay());
    EXPECT_FALSE(sv->hasStyleBytes());
    EXPECT_FALSE(sv->wrapping());
    EXPECT_FALSE(sv->ruler()->folding());
    ASSERT_TRUE(notice()->isVisible());
    EXPECT_EQ(notice()->message()->text(), EditorController::safeNoticeText());
    EXPECT_TRUE(notice()->message()->text().contains(QStringLiteral("64 KB")));

    // The line is laid out up to the limit only: every position past it
    // sits where the shown part ends, short of the line's full width.
    const long end = sv->SendScintilla(B::SCI_GETLINEENDPOSITION, 0);
    const long cut = x(sv, CodeTextView::longLine);
    EXPECT_GT(cut, x(sv, CodeTextView::longLine / 2));
    EXPECT_EQ(x(sv, end), cut);
    EXPECT_EQ(x(sv, CodeTextView::longLine + 4096), cut);

    // Switching back shows the normal document without the notice.
    model->setActiveID(normal.doc()->id);
    EXPECT_TRUE(waitUntil([&] { return !notice()->isVisible(); }));
    model->setActiveID(safe.doc()->id);
    EXPECT_TRUE(waitUntil([&] { return notice()->isVisible(); }));
    // "知道了" closes it for this document.
    QAbstractButton* ok = noticeButton(QStringLiteral("知道了"));
    ASSERT_TRUE(ok);
    ok->click();
    EXPECT_FALSE(notice()->isVisible());
    EXPECT_TRUE(safe.safeDisplay());
}

TEST_F(LongLines, TypingPastTheShownPartEditsTheTextAndAPastedLongLineTurnsTheSafeDisplayOn)
{
    EditorController& safe = open(QStringLiteral("one-line.json"), oneLineJSON(2 * CodeTextView::longLine));
    const DocPtr d = safe.doc();
    ASSERT_EQ(QApplication::focusWidget(), safe.textView());
    key(Qt::Key_End, Qt::ControlModifier);
    type(QStringLiteral("xy"));
    EXPECT_TRUE(d->text().endsWith(QStringLiteral("]\nxy")));
    // End goes to the end of the shown part first, then to the line's end.
    key(Qt::Key_Home, Qt::ControlModifier);
    key(Qt::Key_End);
    CodeTextView* sv = safe.textView();
    const long atCut = sv->SendScintilla(B::SCI_GETCURRENTPOS);
    EXPECT_LE(atCut, CodeTextView::longLine);
    EXPECT_GT(atCut, CodeTextView::longLine - 4);
    key(Qt::Key_End);
    type(QStringLiteral("z"));
    EXPECT_TRUE(d->text().endsWith(QStringLiteral("}]z\nxy"))) << qPrintable(d->text().right(20));

    EditorController& normal = open(QStringLiteral("short.json"), prettyJSON(20));
    ASSERT_FALSE(normal.safeDisplay());
    ASSERT_EQ(QApplication::focusWidget(), normal.textView());
    EXPECT_FALSE(notice()->isVisible());
    QApplication::clipboard()->setText(QString::fromUtf8(oneLineJSON(CodeTextView::longLine + 100)).trimmed());
    key(Qt::Key_End, Qt::ControlModifier);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(normal.safeDisplay());
    EXPECT_FALSE(normal.textView()->wrapping());
    EXPECT_TRUE(notice()->isVisible());
    EXPECT_EQ(notice()->message()->text(), EditorController::safeNoticeText());
}

TEST(LongLineScan, CountsBytesNotUnits)
{
    const qsizetype limit = CodeTextView::longLine;
    EXPECT_FALSE(CodeTextView::hasLongLine(QString(limit, QLatin1Char('a'))));
    EXPECT_TRUE(CodeTextView::hasLongLine(QString(limit + 1, QLatin1Char('a'))));
    // A third as many CJK characters take as many bytes.
    EXPECT_FALSE(CodeTextView::hasLongLine(QString(limit / 3, QChar(0x4E2D))));
    EXPECT_TRUE(CodeTextView::hasLongLine(QStringLiteral("短\n") + QString(limit / 3 + 1, QChar(0x4E2D)) + "\n短"));
    EXPECT_FALSE(CodeTextView::hasLongLine(QString(limit, QLatin1Char('a')) + "\n" + QString(limit, QLatin1Char('b'))));
}
