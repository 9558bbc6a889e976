// Caret positions, layout and the safe display of long lines.
#include "EditorFixture.h"
#include "WindowFixture.h"
#include "editor/AppFonts.h"
#include "views/pane/NoticeBar.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QLabel>
#include <QTextLayout>

namespace {
struct Layout : EditorFixture {
    // x of the caret before each UTF-16 unit of line 0, from the engine.
    static std::vector<double> engineX(CodeTextView* v, const QString& line)
    {
        std::vector<double> xs;
        const long origin = v->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, 0L);
        for (int i = 0; i <= line.size(); ++i)
            xs.push_back(v->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, long(v->toByte(i))) - origin);
        return xs;
    }
    // The same from one QTextLayout of the whole line in the engine's font.
    static std::vector<double> shapedX(CodeTextView* v, const QString& line)
    {
        char family[256] = {};
        v->SendScintilla(QsciScintillaBase::SCI_STYLEGETFONT, 0UL, family);
        QFont f(QString::fromUtf8(family));
        f.setPointSizeF(v->SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZEFRACTIONAL, 0UL) / 100.0);
        QTextLayout layout(line, f, v->viewport());
        layout.beginLayout();
        const QTextLine l = layout.createLine();
        layout.endLayout();
        std::vector<double> xs;
        for (int i = 0; i <= line.size(); ++i)
            xs.push_back(l.cursorToX(i));
        return xs;
    }
};
}

// Carets must sit between the glyphs the view paints: the advances the
// engine adds up in a fixed pitch font agree with Qt's shaping of the line,
// for ASCII, CJK and full-width punctuation alike, and for text it must
// shape instead (combining marks).
TEST_F(Layout, CaretPositionsMatchTheShapedLine)
{
    AppFonts::registerFonts();
    const QString lines[] = {
        QStringLiteral("{\"名称\":\"条目１２\",\"tags\":[\"a\",\"b\"],\"ok\":true} // 春眠不觉晓，处处闻啼鸟。"),
        QStringLiteral("e\u0301t\u00e9 café naïve 한국어 ｶﾀｶﾅ"),
    };
    for (const QString& line : lines) {
        DocPtr d = newDoc(line + QStringLiteral("\n"));
        EditorController& e = editorFor(d);
        e.widget()->resize(900, 300);
        e.widget()->show();
        CodeTextView* v = e.textView();
        ASSERT_TRUE(waitUntil([&] { return v->isVisible(); }));
        const auto engine = engineX(v, line);
        const auto shaped = shapedX(v, line);
        for (int i = 0; i <= line.size(); ++i) {
            if (i < line.size() && line.at(i).isLowSurrogate())
                continue;
            // Scintilla rounds points to whole pixels.
            EXPECT_NEAR(engine[i], shaped[i], 1.0) << qPrintable(line.left(i)) << " at " << i;
        }
        e.widget()->hide();
    }
}

namespace {
// x of a few byte offsets on line 0, relative to the line start.
std::vector<long> xsAt(CodeTextView* v, const std::vector<long>& bytes)
{
    const long origin = v->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, 0L);
    std::vector<long> xs;
    for (long b : bytes)
        xs.push_back(v->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, b) - origin);
    return xs;
}
}

// Edits in a long line re-measure only around themselves; what they keep
// before and after must land where a fresh layout of the same text puts it:
// typing, deleting and pasting in the middle and at both ends, with wide and
// astral characters, and with a tab after the edit (whose width depends on
// where it starts).
TEST_F(Layout, EditsInALongLineLayOutAsAFreshView)
{
    AppFonts::registerFonts();
    QString text;
    for (int i = 0; text.size() < 60000; ++i)
        text += i % 7 == 3 ? QStringLiteral("春😀\"k\":%1,").arg(i) : QStringLiteral("{\"id\":%1},").arg(i);
    text.insert(45000, QLatin1Char('\t'));
    // One unwrapped line, laid out piece by piece as it scrolls.
    Settings s = model->settings();
    s.wraps.insert(QStringLiteral("text"), false);
    model->setSettings(s);
    DocPtr d = newDoc(text);
    EditorController& e = editorFor(d);
    e.widget()->resize(900, 300);
    e.widget()->show();
    CodeTextView* v = e.textView();
    const auto layOut = [&] {
        v->grab();
        QApplication::processEvents();
    };
    layOut();
    struct Edit {
        int at, remove;
        QString insert;
    };
    const Edit edits[] = {{30000, 0, QStringLiteral("x")},
                          {30001, 0, QStringLiteral("中文")},
                          {10, 3, QString()},
                          {int(v->length()), 0, QStringLiteral("尾")},
                          {50000, 0, QStringLiteral("ab")},
                          {20000, 200, QStringLiteral("😀")},
                          {0, 0, QStringLiteral("\t")},
                          {44990, 20, QString()}};
    for (const Edit& ed : edits) {
        v->setCursorPosition(ed.at);
        v->replaceRange(ed.at, ed.remove, ed.insert);
        layOut();
        const long n = long(v->byteLength());
        const std::vector<long> probes = {1, n / 5, n / 3, n / 2, 2 * n / 3, n - 7, n};
        // The same text in a view that never saw it before.
        DocPtr fresh = newDoc(v->text(), false);
        EditorController& f = editorFor(fresh);
        f.widget()->resize(900, 300);
        f.widget()->show();
        f.textView()->grab();
        const auto kept = xsAt(v, probes), expected = xsAt(f.textView(), probes);
        for (size_t i = 0; i < probes.size(); ++i)
            EXPECT_NEAR(kept[i], expected[i], 1) << "after editing at " << ed.at << ", byte " << probes[i];
        f.widget()->hide();
    }
}

// The caret's column in a line longer than Scintilla's own stepping is
// made for: counted over the bytes on both sides of the buffer's gap.
TEST_F(Layout, CaretColumnsInALongLineCountUTF16Units)
{
    QString text;
    for (int i = 0; text.size() < 50000; ++i)
        text += i % 5 == 0 ? QStringLiteral("😀中") : QStringLiteral("ab%1,").arg(i);
    DocPtr d = newDoc(text + QStringLiteral("\nzweite"));
    EditorController& e = editorFor(d);
    CodeTextView* v = e.textView();
    // Typing moves the buffer's gap into the middle of the line.
    v->setCursorPosition(20001);
    key(v, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
    text.insert(20001, QLatin1Char('q'));
    ASSERT_EQ(v->textIn(0, text.size()), text);
    for (int pos : {0, 5, 4096, 20001, 20002, 33333, int(text.size())}) {
        if (pos < text.size() && text.at(pos).isLowSurrogate())
            ++pos;
        v->setCursorPosition(pos);
        EXPECT_EQ(v->caretPlace().line, 1);
        EXPECT_EQ(v->caretPlace().column, pos + 1) << pos;
        EXPECT_EQ(v->cursorPosition(), pos);
    }
    v->setSelection(100, 40100);
    EXPECT_EQ(v->caretPlace().selected, 40000);
    v->setCursorPosition(text.size() + 4);
    EXPECT_EQ(v->caretPlace().line, 2);
    EXPECT_EQ(v->caretPlace().column, 4);
}

// Positions near the start are converted without the position index and
// the rest through it; both agree with the text, astral characters
// included, before and after the index exists.
TEST_F(Layout, PositionsConvertTheSameWithAndWithoutTheIndex)
{
    const QString line = QStringLiteral("ab😀中\n");  // 11 bytes
    QString text;
    for (qsizetype n = 0; n < 3 * CodeTextView::indexlessSpan; n += 11)
        text += line;
    DocPtr d = newDoc(text);
    CodeTextView* v = editorFor(d).textView();
    const QByteArray bytes = text.toUtf8();
    std::vector<int> units;
    for (qsizetype b :
         {qsizetype(0), qsizetype(7), CodeTextView::indexlessSpan / 4 - 1, CodeTextView::indexlessSpan - 3,
          CodeTextView::indexlessSpan + 11, 2 * CodeTextView::indexlessSpan + 5, bytes.size()}) {
        // Back to the start of a character.
        while (b > 0 && b < bytes.size() && (uchar(bytes[b]) & 0xC0) == 0x80)
            --b;
        units.push_back(int(QString::fromUtf8(bytes.left(b)).size()));
        EXPECT_EQ(v->toUtf16(b), units.back()) << b;
        EXPECT_EQ(v->toByte(units.back()), b) << units.back();
    }
    // The same after something needed the index.
    v->setCursorPosition(int(text.size()) - 3);
    for (int u : units)
        EXPECT_EQ(v->toUtf16(v->toByte(u)), u) << u;
}

// Line starts after inserts with and without carriage returns (the fast
// path for text without them, and a line feed that completes a CR already
// in the buffer).
TEST(EngineLines, InsertedLineFeedsAndCarriageReturnsMakeTheRightLines)
{
    CodeTextView v;
    using B = QsciScintillaBase;
    const auto append = [&](const QByteArray& s) {
        v.SendScintilla(B::SCI_APPENDTEXT, uintptr_t(s.size()), s.constData());
    };
    const auto starts = [&] {
        std::vector<long> out;
        for (long l = 0; l < v.SendScintilla(B::SCI_GETLINECOUNT); ++l)
            out.push_back(v.SendScintilla(B::SCI_POSITIONFROMLINE, static_cast<unsigned long>(l)));
        return out;
    };
    append("ab\ncd");
    EXPECT_EQ(starts(), (std::vector<long>{0, 3}));
    const QByteArray mid = "x\ny\n\nz";
    v.SendScintilla(B::SCI_INSERTTEXT, 1UL, mid.constData());
    // a x \n y \n \n z b \n c d
    EXPECT_EQ(starts(), (std::vector<long>{0, 3, 5, 6, 9}));
    append("\r");
    append("\nlast");
    // The CR and the LF now make one line end.
    EXPECT_EQ(starts(), (std::vector<long>{0, 3, 5, 6, 9, 13}));
    append("q\rr\r\ns");
    EXPECT_EQ(starts(), (std::vector<long>{0, 3, 5, 6, 9, 13, 19, 22}));
}

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
