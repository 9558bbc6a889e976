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
            xs.push_back(v->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, long(v->toByte(i)))
                         - origin);
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
        ASSERT_TRUE(waitFor([&] { return v->isVisible(); }));
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

// A line of megabytes lays out in one go, and its end is where the
// advances put it.
TEST_F(Layout, AVeryLongLineReachesItsEnd)
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
    const double unitWidth = shapedX(v, unit).back();
    const long origin = v->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, 0L);
    const long end = v->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, long(v->byteLength()));
    const double units = double(text.size()) / unit.size();
    EXPECT_NEAR(double(end - origin), unitWidth * units, units * 0.05 + 2);
}
