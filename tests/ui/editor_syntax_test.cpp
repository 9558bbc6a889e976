// Colours, folds and line numbers through a real editor view.
#include "Contrast.h"
#include "EditorFixture.h"
#include "editor/AppFonts.h"
#include "editor/EditorScheme.h"
#include "editor/Palette.h"
#include "editor/syntax/SyntaxStyler.h"

#include <QScrollBar>

using B = QsciScintillaBase;
using namespace Syntax;

namespace {

QColor fromBgr(long v) { return QColor(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff)); }

struct EditorSyntax : EditorFixture {
    EditorController& open(const QString& name, const QString& text)
    {
        DocPtr d = makeDoc(QUuid::createUuid(), name, text, std::nullopt, TextEncoding(), LineEnding(), {});
        model->appendDoc(d);
        model->setActiveID(d->id);
        EditorController& e = editorFor(d);
        e.widget()->show();
        e.widget()->grab();
        return e;
    }
    // A JSON array of 20000 objects, a line each; the last is object 19999.
    EditorController& openObjects()
    {
        QString text = QStringLiteral("[\n");
        for (int i = 0; i < 20000; ++i)
            text += QStringLiteral("  {\"id\": %1, \"name\": \"条目\", \"ok\": true},\n").arg(i);
        text += QStringLiteral("  {}\n]\n");
        return open(QStringLiteral("big.json"), text);
    }
    // The style Scintilla holds for the first byte of `needle`.
    static int styleAt(EditorController& e, const QString& needle, int nth = 0)
    {
        const QByteArray text = e.textView()->text().toUtf8();
        qsizetype at = text.indexOf(needle.toUtf8());
        while (nth-- > 0 && at >= 0)
            at = text.indexOf(needle.toUtf8(), at + 1);
        EXPECT_GE(at, 0) << needle.toStdString();
        return int(e.textView()->SendScintilla(B::SCI_GETSTYLEAT, static_cast<unsigned long>(at)));
    }
    static QColor foreOf(EditorController& e, int style)
    {
        return fromBgr(e.textView()->SendScintilla(B::SCI_STYLEGETFORE, style));
    }
    void TearDown() override
    {
        Palette::setAppearance(std::nullopt);
        EditorFixture::TearDown();
    }
};

}

// Each format's file name picks its lexer, and the view shows each style in
// its token's colour; plain text keeps the ordinary colour throughout.
TEST_F(EditorSyntax, EachFormatIsColouredInTheView)
{
    Palette::setAppearance(false);
    const EditorScheme::Tokens& g = EditorScheme::graphite().tokens;
    struct Case {
        const char* name;
        const char* text;
        const char* needle;
        Style style;
        const DynamicColor& color;
    };
    const Case cases[] = {
        {"a.json", "{\n  \"名称\": \"值\", \"n\": 3\n}\n", "\"名称\"", Syntax::key, g.key},
        {"a.yml", "base: &b\n  x: 1\n", "&b", tag, g.tag},
        {"a.toml", "[s]\nwhen = 2024-01-02\n", "2024", date, g.number},
        {"a.csv", "a;b;c\n1;2,5;3\n", "2,5", column1, g.key},  // the first line's separator
        {"a.tsv", "a,x\tb\n", "\t", punct, g.dim},
        {"a.md", "# 标题\n正文 `代码`\n", "`代码`", code, g.string},
        {"a.puml", "@startuml\nA -> B : 你好\n@enduml\n", "@startuml", marker, g.keyword},
        {"a.txt", "{\"k\": 1} # x\n", "\"k\"", plain, EditorScheme::graphite().foreground},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditorController& e = open(QString::fromUtf8(c.name), QString::fromUtf8(c.text));
        const int s = styleAt(e, QString::fromUtf8(c.needle));
        EXPECT_EQ(s, c.style);
        EXPECT_EQ(foreOf(e, s), c.color.resolve(false));
    }
}

TEST_F(EditorSyntax, ColoursFollowTheAppearanceAndTheScheme)
{
    Palette::setAppearance(false);
    EditorController& e = open(QStringLiteral("a.json"), QStringLiteral("{\"k\": \"v\"}\n"));
    const EditorScheme& g = EditorScheme::graphite();
    EXPECT_EQ(foreOf(e, Syntax::key), g.tokens.key.resolve(false));
    Palette::setAppearance(true);
    EXPECT_EQ(foreOf(e, Syntax::key), g.tokens.key.resolve(true));
    EXPECT_EQ(fromBgr(e.textView()->SendScintilla(B::SCI_STYLEGETBACK, Syntax::key)), g.background.resolve(true));
    Settings s = model->settings();
    s.scheme = QStringLiteral("paper");
    model->setSettings(s);
    EXPECT_EQ(foreOf(e, string), EditorScheme::paper().tokens.string.resolve(false));
    EXPECT_EQ(fromBgr(e.textView()->SendScintilla(B::SCI_STYLEGETBACK, string)),
              EditorScheme::paper().background.resolve(false));
    // A new font size resets every style; the colours come back.
    s.fontSize = 17;
    model->setSettings(s);
    EXPECT_EQ(foreOf(e, string), EditorScheme::paper().tokens.string.resolve(false));
}

// Tokens, line numbers and error lines' numbers (in the danger colour) on
// every scheme as it shows in either appearance.
TEST(EditorSchemeColours, TokensAndLineNumbersAreReadableOnEveryScheme)
{
    for (const EditorScheme& s : EditorScheme::all()) {
        for (bool dark : {false, true}) {
            const bool shown = s.appearance.value_or(dark);
            const QColor bg = s.background.resolve(shown);
            SCOPED_TRACE(s.id.toStdString() + (dark ? " dark" : " light"));
            for (int st = 0; st < styleCount; ++st) {
                const QColor c = SyntaxStyler::colorFor(Style(st), s, shown);
                EXPECT_GE(contrast(c, bg), 4.5) << " style " << st << " " << c.name().toStdString();
            }
            EXPECT_GE(contrast(s.gutter.resolve(shown), bg), 4.5);
            EXPECT_GE(contrast(Palette::danger().resolve(shown), bg), 4.5);
        }
    }
}

// Only what is shown is styled. A jump far past the styled text does not lex
// it all in one turn: the screen gets a step, and the rest follows with the
// state carried through.
TEST_F(EditorSyntax, OnlyWhatIsShownIsStyledAndAJumpAStepPerTurn)
{
    const qsizetype step = 64 << 10;
    struct Restore {
        qsizetype before = SyntaxStyler::paintStep();
        ~Restore() { SyntaxStyler::setPaintStep(before); }
    } restore;
    SyntaxStyler::setPaintStep(step);
    EditorController& e = openObjects();
    CodeTextView* v = e.textView();
    const long before = v->SendScintilla(B::SCI_GETENDSTYLED);
    EXPECT_GT(before, 0);
    EXPECT_LT(before, v->byteLength() / 50);
    key(v, Qt::Key_End, Qt::ControlModifier);
    e.widget()->grab();
    const long after = v->SendScintilla(B::SCI_GETENDSTYLED);
    EXPECT_GT(after, before);
    // A step and the rest of its last line (a grab may paint twice).
    EXPECT_LE(after - before, 2 * step + 200);
    ASSERT_TRUE(waitUntil([&] { return v->SendScintilla(B::SCI_GETENDSTYLED) == v->byteLength(); }));
    EXPECT_EQ(styleAt(e, QStringLiteral("\"name\""), 19999), Syntax::key);
    EXPECT_EQ(styleAt(e, QStringLiteral("true"), 19999), literal);
    // What is not on screen is styled at once when asked for.
    v->SendScintilla(B::SCI_DOCUMENTSTART);
    e.widget()->grab();
    v->SendScintilla(B::SCI_STARTSTYLING, 0UL, 0L);
    e.syntax()->styleTo(v->byteLength());
    EXPECT_EQ(v->SendScintilla(B::SCI_GETENDSTYLED), v->byteLength());
}

TEST_F(EditorSyntax, EditsRestyleWhatTheyChange)
{
    EditorController& e = open(QStringLiteral("a.md"), QStringLiteral("intro\n\n# 标题\n正文\n"));
    CodeTextView* v = e.textView();
    EXPECT_EQ(styleAt(e, QStringLiteral("标题")), heading);
    // An opened fence turns the heading below into code.
    v->setCursorPosition(0);
    type(v, QStringLiteral("```\n"));
    e.widget()->grab();
    EXPECT_EQ(styleAt(e, QStringLiteral("标题")), code);
    // "===" typed under a paragraph turns all its lines into a heading.
    EditorController& s = open(QStringLiteral("b.md"), QStringLiteral("Intro\n\nTitle\nplain\n"));
    EXPECT_EQ(styleAt(s, QStringLiteral("Title")), plain);
    s.textView()->setCursorPosition(s.textView()->length());
    type(s.textView(), QStringLiteral("==="));
    s.widget()->grab();
    EXPECT_EQ(styleAt(s, QStringLiteral("plain")), heading);
    EXPECT_EQ(styleAt(s, QStringLiteral("Title")), heading);
    EXPECT_EQ(styleAt(s, QStringLiteral("Intro")), plain);
}

TEST_F(EditorSyntax, LargePlainTextKeepsNoStyleBytes)
{
    const QString big(CodeTextView::quietThreshold + 10, QLatin1Char('x'));
    EditorController& e = open(QStringLiteral("big.txt"), big);
    EXPECT_FALSE(e.textView()->hasStyleBytes());
    EXPECT_EQ(e.textView()->text().size(), big.size());
    EditorController& small = open(QStringLiteral("small.txt"), QStringLiteral("x"));
    EXPECT_TRUE(small.textView()->hasStyleBytes());
}

// ---- Folding ----

namespace {

long sci(EditorController& e, unsigned msg, unsigned long w = 0, long l = 0)
{
    return e.textView()->SendScintilla(msg, w, l);
}

bool isHeader(EditorController& e, int line) { return sci(e, B::SCI_GETFOLDLEVEL, line) & B::SC_FOLDLEVELHEADERFLAG; }
long lastChild(EditorController& e, int line) { return sci(e, B::SCI_GETLASTCHILD, line, -1); }

// Clicks the ruler's chevron of a line on screen.
bool clickChevron(EditorController& e, int line)
{
    LineNumberRuler* r = e.ruler();
    for (const auto& l : r->visibleLabels()) {
        if (l.line != line + 1)
            continue;
        if (l.fold == LineNumberRuler::Fold::none)
            return false;
        const QPoint at(r->width() - LineNumberRuler::foldColumn / 2, int(l.y) + e.textView()->lineHeight() / 2);
        QTest::mouseClick(r, Qt::LeftButton, Qt::NoModifier, at);
        return true;
    }
    return false;
}

QList<int> numbers(EditorController& e)
{
    QList<int> out;
    for (const auto& l : e.ruler()->visibleLabels())
        out << l.line;
    return out;
}

}

// The lexer's fold levels reach the view: heads with the last line each
// folds, a # inside a fence heads nothing, a line with its fold's head.
TEST_F(EditorSyntax, FoldRangesReachTheView)
{
    EditorController& e = open(
        QStringLiteral("a.md"),
        QStringLiteral("# A\ntext\n## A.1\n```\n# code\n```\n### A.1.1\nx\n## A.2\ny\n# B\nz\n"));
    for (const auto& [line, last] : {std::pair{0, 9}, {2, 7}, {6, 7}, {8, 9}}) {
        EXPECT_TRUE(isHeader(e, line)) << line;
        EXPECT_EQ(lastChild(e, line), last) << line;
    }
    EXPECT_TRUE(isHeader(e, 10));
    EXPECT_FALSE(isHeader(e, 4));
    EXPECT_EQ(sci(e, B::SCI_GETFOLDPARENT, 7), 6);
}

TEST_F(EditorSyntax, ChevronFoldsAndTheTextStaysWhole)
{
    const QString text = QStringLiteral("{\n  \"a\": {\n    \"b\": 1,\n    \"c\": 2\n  },\n  \"d\": 3\n}\n");
    EditorController& e = open(QStringLiteral("a.json"), text);
    EXPECT_TRUE(e.ruler()->folding());
    EXPECT_EQ(numbers(e), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(clickChevron(e, 1));
    EXPECT_FALSE(sci(e, B::SCI_GETLINEVISIBLE, 2));
    EXPECT_FALSE(sci(e, B::SCI_GETLINEVISIBLE, 3));
    EXPECT_TRUE(sci(e, B::SCI_GETLINEVISIBLE, 4));
    // The ruler numbers only what is shown, and the folded head says so.
    EXPECT_EQ(numbers(e), (QList<int>{1, 2, 5, 6, 7, 8}));
    EXPECT_EQ(e.ruler()->visibleLabels()[1].fold, LineNumberRuler::Fold::folded);
    // Folding hides lines only: the document and the saved file are whole.
    EXPECT_EQ(e.doc()->text(), text);
    const QString path = dir.filePath(QStringLiteral("saved.json"));
    ASSERT_FALSE(e.doc()->write(path).has_value());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), text);
    // A second click unfolds.
    ASSERT_TRUE(clickChevron(e, 1));
    EXPECT_TRUE(sci(e, B::SCI_GETLINEVISIBLE, 2));
    EXPECT_EQ(numbers(e).size(), 8);
    // Plain text has no fold column.
    EditorController& t = open(QStringLiteral("a.txt"), text);
    EXPECT_FALSE(t.ruler()->folding());
    EXPECT_EQ(t.ruler()->width(), LineNumberRuler::thickness);
}

TEST_F(EditorSyntax, HiddenLinesOpenWhenReached)
{
    const QString text = QStringLiteral("# A\none\ntwo\n# B\nthree\n");
    EditorController& e = open(QStringLiteral("a.md"), text);
    CodeTextView* v = e.textView();
    ASSERT_TRUE(clickChevron(e, 0));
    ASSERT_FALSE(sci(e, B::SCI_GETLINEVISIBLE, 2));
    // Going to a hidden line (find, go to line) unfolds it.
    v->setCursorPosition(v->lineStart(2));
    EXPECT_TRUE(sci(e, B::SCI_GETLINEVISIBLE, 2));

    ASSERT_TRUE(clickChevron(e, 0));
    ASSERT_FALSE(sci(e, B::SCI_GETLINEVISIBLE, 1));
    v->revealRange(v->lineStart(1), 3);
    EXPECT_TRUE(sci(e, B::SCI_GETLINEVISIBLE, 1));

    // Replacing text inside a fold (find and replace, undo) shows it.
    ASSERT_TRUE(clickChevron(e, 0));
    ASSERT_FALSE(sci(e, B::SCI_GETLINEVISIBLE, 2));
    v->replaceRange(v->lineStart(2), 3, QStringLiteral("TWO"));
    EXPECT_TRUE(sci(e, B::SCI_GETLINEVISIBLE, 2));
    v->undo();
    EXPECT_EQ(v->text(), text);

    // A head that stops being one gives its lines back.
    ASSERT_TRUE(clickChevron(e, 0));
    ASSERT_FALSE(sci(e, B::SCI_GETLINEVISIBLE, 1));
    v->setCursorPosition(0);
    key(v, Qt::Key_Delete);
    e.widget()->grab();
    EXPECT_EQ(v->text(), text.mid(1));
    EXPECT_TRUE(sci(e, B::SCI_GETLINEVISIBLE, 1));
    EXPECT_TRUE(sci(e, B::SCI_GETLINEVISIBLE, 2));
}

TEST_F(EditorSyntax, FoldingAnUnstyledBlockStylesItsEnd)
{
    QString text = QStringLiteral("[\n");
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("  {\"id\": %1},\n").arg(i);
    text += QStringLiteral("  {}\n]\n");
    EditorController& e = open(QStringLiteral("a.json"), text);
    ASSERT_LT(sci(e, B::SCI_GETENDSTYLED), e.textView()->byteLength() / 10);
    ASSERT_TRUE(clickChevron(e, 0));
    EXPECT_EQ(lastChild(e, 0), 5001);
    EXPECT_FALSE(sci(e, B::SCI_GETLINEVISIBLE, 5001));
    EXPECT_TRUE(sci(e, B::SCI_GETLINEVISIBLE, 5002));
    EXPECT_EQ(numbers(e).mid(0, 2), (QList<int>{1, 5003}));
}

TEST_F(EditorSyntax, LargeNestedFilesStyleToTheirEnd)
{
    // Several lexing pieces of fold heads, pasted into an empty, already
    // styled document: its blank line's level is what the new lines start
    // with, and each new head makes Scintilla look for its fold's end, which
    // asks for styles further on while a pass is writing them.
    QString json = QStringLiteral("[\n");
    QString yaml;
    for (int i = 0; i < 120000; ++i) {
        json += QStringLiteral("  {\n    \"id\": %1,\n    \"tags\": [\"a\", \"b\"],\n    \"name\": \"item\"\n  },\n")
                    .arg(i);
        yaml += QStringLiteral("item%1:\n  id: %1\n  tags:\n    - a\n    - b\n").arg(i);
    }
    json += QStringLiteral("  {}\n]\n");
    for (const auto& [name, text] : {std::pair{QStringLiteral("big.json"), json}, {QStringLiteral("big.yaml"), yaml}}) {
        EditorController& e = open(name, QString());
        const QByteArray utf8 = text.toUtf8();
        sci(e, B::SCI_SETFOLDLEVEL, 0, B::SC_FOLDLEVELBASE | B::SC_FOLDLEVELWHITEFLAG);
        e.textView()->SendScintilla(B::SCI_ADDTEXT, utf8.size(), utf8.constData());
        const long length = e.textView()->byteLength();
        ASSERT_EQ(length, utf8.size()) << name.toStdString();
        sci(e, B::SCI_DOCUMENTEND);
        e.widget()->grab();
        sci(e, B::SCI_COLOURISE, 0, -1);
        EXPECT_EQ(sci(e, B::SCI_GETENDSTYLED), length) << name.toStdString();
        const long lines = sci(e, B::SCI_GETLINECOUNT);
        // The last object's head, in the last piece, folds its lines (a
        // JSON fold stops before the closing bracket, a YAML one takes the
        // blank last line).
        const bool isJSON = name.endsWith(QLatin1String(".json"));
        const int head = isJSON ? int(lines - 8) : int(lines - 6);
        EXPECT_TRUE(isHeader(e, head)) << name.toStdString();
        EXPECT_EQ(lastChild(e, head), head + (isJSON ? 3 : 5)) << name.toStdString();
        EXPECT_TRUE(isHeader(e, 0)) << name.toStdString();
        EXPECT_EQ(styleAt(e, QStringLiteral("id"), 119999), int(Syntax::key)) << name.toStdString();
    }
}

namespace {
struct SyntaxEdits : EditorSyntax {
    EditorController& open(const QString& text) { return EditorSyntax::open(QStringLiteral("one-line.json"), text); }
    // Every style byte of the buffer, styled up to its end.
    static QByteArray styles(CodeTextView* v)
    {
        const long n = long(v->byteLength());
        v->SendScintilla(B::SCI_COLOURISE, 0UL, n);
        QByteArray out(n, '\0');
        for (long i = 0; i < n; ++i)
            out.data()[i] = char(v->SendScintilla(B::SCI_GETSTYLEAT, static_cast<unsigned long>(i)));
        return out;
    }
};
}

TEST_F(SyntaxEdits, ALongLineKeepsTheColoursAFreshViewGives)
{
    // Long enough for the lexer to resume inside the line (every 64 KB).
    QString text = QStringLiteral("[");
    for (int i = 0; text.size() < 300000; ++i)
        text += QStringLiteral("{\"id\":%1,\"名称\":\"条目\",\"ok\":true},").arg(i);
    text += QStringLiteral("\"tail\"]");
    EditorController& e = open(text);
    CodeTextView* v = e.textView();
    struct Edit {
        int at, remove;
        QString insert;
    };
    const int tail = int(v->length()) - 1;
    // Typing at the end, a colon that turns the string before it into a
    // key, a quote that opens a string over the rest of the line and its
    // removal, brackets that change the line's fold level, and edits just
    // before and after the places lexing resumes at.
    const Edit edits[] = {{tail, 0, QStringLiteral(",1")},         {tail + 2, 0, QStringLiteral(":")},
                          {150000, 0, QStringLiteral("\"")},       {150000, 1, QString()},
                          {5, 4, QStringLiteral("null")},          {200000, 0, QStringLiteral("]]]")},
                          {66000, 0, QStringLiteral("/*")},        {66000, 2, QString()},
                          {131070, 6, QStringLiteral("[{\"k\":")}, {tail - 3, 0, QStringLiteral("[[")}};
    for (const Edit& ed : edits) {
        v->replaceRange(ed.at, ed.remove, ed.insert);
        v->grab();
        const QByteArray kept = styles(v);
        EditorController& fresh = open(v->text());
        const QByteArray expected = styles(fresh.textView());
        ASSERT_EQ(kept.size(), expected.size());
        const auto diff = std::mismatch(kept.begin(), kept.end(), expected.begin());
        EXPECT_TRUE(diff.first == kept.end())
            << "after editing at " << ed.at << ", first differing byte " << (diff.first - kept.begin());
        EXPECT_EQ(v->SendScintilla(B::SCI_GETFOLDLEVEL, 0UL), fresh.textView()->SendScintilla(B::SCI_GETFOLDLEVEL, 0UL))
            << "after editing at " << ed.at;
        EXPECT_EQ(v->SendScintilla(B::SCI_GETLINESTATE, 0UL), fresh.textView()->SendScintilla(B::SCI_GETLINESTATE, 0UL))
            << "after editing at " << ed.at;
        fresh.widget()->hide();
    }
}

// Plain text writes no styles, yet a text that was coloured loses every
// colour when its format goes plain, and what is typed afterwards stays plain;
// named back, it is coloured again.
TEST_F(SyntaxEdits, RenamingChangesTheColoursAndPlainLeavesNoneAnywhere)
{
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("{\"id\": %1, \"名称\": \"条目\", \"ok\": true}\n").arg(i);
    EditorController& e = open(text);
    CodeTextView* v = e.textView();
    const QByteArray coloured = styles(v);
    ASSERT_GT(coloured.count('\0'), 0);
    ASSERT_LT(coloured.count('\0'), coloured.size());

    e.doc()->setName(QStringLiteral("one-line.txt"));
    v->grab();
    EXPECT_EQ(styles(v), QByteArray(coloured.size(), '\0'));
    // Typed at the start, in the middle and at the end, then shown and styled to the end.
    v->replaceRange(0, 0, QStringLiteral("{\"k\": 1}"));
    v->replaceRange(int(v->length()) / 2, 0, QStringLiteral("\"x\""));
    v->replaceRange(int(v->length()), 0, QStringLiteral("[true]"));
    v->grab();
    EXPECT_EQ(styles(v), QByteArray(v->byteLength(), '\0'));

    e.doc()->setName(QStringLiteral("one-line.json"));
    v->grab();
    EXPECT_EQ(styleAt(e, QStringLiteral("\"k\"")), Syntax::key);
}

namespace {
using Ruler = EditorSyntax;
}

TEST_F(Ruler, NumbersIncludeTheEmptyLastLine)
{
    DocPtr d = newDoc(QString());
    EditorController& e = editorFor(d);
    e.widget()->show();
    EXPECT_EQ(numbers(e), QList<int>({1}));
    d->setText(QStringLiteral("a\n"));
    EXPECT_EQ(numbers(e), QList<int>({1, 2}));
    EXPECT_EQ(e.ruler()->width(), LineNumberRuler::thickness);
    d->setText(QString(200000, QLatin1Char('\n')));
    e.textView()->verticalScrollBar()->setValue(e.textView()->verticalScrollBar()->maximum());
    const QList<int> n = numbers(e);
    ASSERT_FALSE(n.isEmpty());
    EXPECT_EQ(n.last(), 200001);
    // Six digits widen the gutter so that neither number nor dot is cut.
    const QFontMetricsF fm(AppFonts::mono(e.textView()->font().pixelSize()));
    const double left = e.ruler()->width() - LineNumberRuler::rightMargin
        - fm.horizontalAdvance(QStringLiteral("200001"));
    EXPECT_GE(left - 9, 0);
    EXPECT_GT(e.ruler()->width(), LineNumberRuler::thickness);
    EXPECT_EQ(e.textView()->viewport()->geometry().left(), e.ruler()->width());
    d->setText(QStringLiteral("a"));
    EXPECT_EQ(e.ruler()->width(), LineNumberRuler::thickness);
}

TEST_F(Ruler, AWrappedLineIsNumberedOnceOnItsFirstVisualLine)
{
    DocPtr d = newDoc(QString());
    EditorController& e = editorFor(d);
    Settings s = model->settings();
    s.wraps.insert(d->plugin().id, true);
    model->setSettings(s);
    e.widget()->resize(300, 200);
    e.widget()->show();
    QString text;
    for (int i = 1; i <= 30; ++i)
        text += (i == 10 ? QString(300, QLatin1Char('w')) : QStringLiteral("line %1").arg(i)) + QLatin1Char('\n');
    d->setText(text);
    QApplication::processEvents();
    CodeTextView* v = e.textView();
    v->grab();  // lays out and wraps the visible lines
    ASSERT_GE(v->SendScintilla(QsciScintillaBase::SCI_WRAPCOUNT, 9), 3);
    // All of the long line on screen: one number for its visual lines.
    v->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE,
                     v->SendScintilla(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, 9));
    QApplication::processEvents();
    EXPECT_EQ(numbers(e).value(0), 10);
    EXPECT_EQ(numbers(e).count(10), 1);

    // Scroll so that only the long line's last visual line is on screen.
    v->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE,
                     v->SendScintilla(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, 9)
                         + v->SendScintilla(QsciScintillaBase::SCI_WRAPCOUNT, 9) - 1);
    QApplication::processEvents();
    const auto labels = e.ruler()->visibleLabels();
    ASSERT_GE(labels.size(), 2);
    EXPECT_EQ(labels[0].line, 10);
    EXPECT_LT(labels[0].y, 0);  // drawn at its first visual line, off the top
    EXPECT_EQ(labels[1].line, 11);
    EXPECT_GT(labels[1].y, 0);
    EXPECT_EQ(numbers(e).count(10), 1);
}

TEST_F(Ruler, ErrorLinesFollowTheDiagnostics)
{
    DocPtr d = newDoc(QStringLiteral("a\nb\nc\nd"));
    EditorController& e = editorFor(d);
    e.widget()->show();
    d->setDiagnostics({{3, QStringLiteral("bad")}});
    const auto labels = e.ruler()->visibleLabels();
    ASSERT_EQ(labels.size(), 4);
    EXPECT_TRUE(labels[2].error);
    EXPECT_FALSE(labels[1].error);
    d->setDiagnostics({});
    EXPECT_FALSE(e.ruler()->visibleLabels()[2].error);
}
