#include "EditorFixture.h"

#include "editor/AppFonts.h"

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

// A line of megabytes is laid out up to the layout limit: the end of the
// part shown is where the advances put it, and every position past it sits
// there too.
TEST_F(Layout, AVeryLongLineIsLaidOutUpToTheLimit)
{
    AppFonts::registerFonts();
    const QString unit = QStringLiteral("{\"id\":7,\"名称\":\"条目\"},");
    QString text;
    while (text.size() < 400000)
        text += unit;
    DocPtr d = newDoc(text);
    EditorController& e = editorFor(d);
    e.widget()->resize(900, 300);
    e.widget()->show();
    CodeTextView* v = e.textView();
    const auto x = [v](long byte) { return v->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, byte); };
    const double unitWidth = shapedX(v, unit).back();
    const long unitBytes = long(unit.toUtf8().size());
    const long whole = long(CodeTextView::longLine) / unitBytes;
    const long shown = x(whole * unitBytes) - x(0);
    EXPECT_NEAR(double(shown), unitWidth * double(whole), double(whole) * 0.05 + 2);
    const long end = x(long(v->byteLength()));
    EXPECT_GE(end, x(whole * unitBytes));
    EXPECT_LE(double(end - x(whole * unitBytes)), unitWidth + 1);
    EXPECT_EQ(x(long(v->byteLength()) / 2), end);
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
