// Syntax colour figures: opening large files with colours on and off (the
// same bytes under a plain-text name), and the lexers' own speed.
//   bench_syntax            all measurements (offscreen)
//   bench_syntax --quick    without the 100 MB file
#include "Samples.h"
#include "core/Preferences.h"
#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"
#include "editor/EditorController.h"
#include "editor/syntax/Lexer.h"
#include "editor/syntax/SyntaxStyler.h"
#include "views/state/WindowModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double rssMB(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// Indented JSON, one member per line.
QByteArray makePrettyJSON(qsizetype bytes)
{
    QByteArray out = "[\n";
    out.reserve(bytes + 256);
    for (int i = 0; out.size() < bytes; ++i)
        out += "  {\n    \"id\": " + QByteArray::number(i) + ",\n    \"名称\": \"条目" + QByteArray::number(i)
            + "\",\n    \"tags\": [\"a\", \"b\"],\n    \"ok\": true,\n    \"v\": " + QByteArray::number(i * 0.5)
            + "\n  },\n";
    out.chop(2);
    out += "\n]\n";
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Open, first paint (which styles what is shown), and the time to show the
// end; milliseconds.
struct Opened {
    double open, end;
    long styled;
    double typing;    // median keystroke in the middle, with its repaint: a letter
    double flipping;  // ... a quote or a brace, which restyles what follows
};

Opened openAndPaint(const QString& path, int keystrokes)
{
    QTemporaryDir dir;
    WindowModel model{std::make_unique<Preferences>(dir.filePath(QStringLiteral("prefs.ini")))};
    QElapsedTimer t;
    t.start();
    auto r = Doc::open(path);
    if (!r) {
        std::printf("cannot open %s\n", qPrintable(path));
        std::exit(1);
    }
    DocPtr d = r.value();
    model.appendDoc(d);
    model.setActiveID(d->id);
    auto* e = new EditorController(d, model, model.view());
    e->widget()->resize(1000, 700);
    e->widget()->show();
    e->widget()->grab();
    const double open = double(t.nsecsElapsed()) / 1e6;
    const long styled = e->textView()->SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED);
    t.restart();
    e->textView()->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    e->widget()->grab();
    const double end = double(t.nsecsElapsed()) / 1e6;
    CodeTextView* v = e->textView();
    v->setCursorPosition(v->lineStart(v->lineCount() / 2) + 3);
    v->SendScintilla(QsciScintillaBase::SCI_SCROLLCARET);
    e->widget()->grab();
    const auto median = [&](const QString& a, const QString& b) {
        std::vector<double> keys;
        for (int i = 0; i < keystrokes; ++i) {
            t.restart();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, i % 2 ? a : b);
            QApplication::sendEvent(v, &press);
            e->widget()->grab();
            keys.push_back(double(t.nsecsElapsed()) / 1e6);
            QApplication::processEvents();
        }
        std::sort(keys.begin(), keys.end());
        return keys[keys.size() / 2];
    };
    const double typing = median(QStringLiteral("x"), QStringLiteral("y"));
    const double flipping = median(QStringLiteral("{"), QStringLiteral("\""));
    delete e;
    return {open, end, styled, typing, flipping};
}

void compare(const QByteArray& bytes, const QString& dir, const QString& label, const QString& colouredName, int runs)
{
    const QString on = dir + QLatin1Char('/') + colouredName;
    const QString off = dir + QStringLiteral("/plain.txt");
    writeFile(on, bytes);
    writeFile(off, bytes);
    // Alternating runs, the best of each: the machine is shared.
    // A line of megabytes takes seconds per keystroke: three are enough.
    const int keys = runs > 1 ? 21 : 3;
    if (runs > 1)
        openAndPaint(off, 1);
    Opened a = openAndPaint(off, keys);
    Opened b = openAndPaint(on, keys);
    for (int run = 1; run < runs; ++run) {
        const Opened a2 = openAndPaint(off, keys);
        const Opened b2 = openAndPaint(on, keys);
        a = {std::min(a.open, a2.open), std::min(a.end, a2.end), a.styled, std::min(a.typing, a2.typing),
             std::min(a.flipping, a2.flipping)};
        b = {std::min(b.open, b2.open), std::min(b.end, b2.end), b.styled, std::min(b.typing, b2.typing),
             std::min(b.flipping, b2.flipping)};
    }
    std::printf("%s: open + first paint, colours off %.0f ms, on %.0f ms (%+.1f %%, %ld bytes styled); "
                "showing the end: off %.0f ms, on %.0f ms; keystroke in the middle, a letter: off %.2f ms, "
                "on %.2f ms; a quote or brace (restyles what follows): off %.2f ms, on %.2f ms; peak RSS %.0f MB\n",
                qPrintable(label), a.open, b.open, (b.open / a.open - 1) * 100, b.styled, a.end, b.end, a.typing,
                b.typing, a.flipping, b.flipping, rssMB("VmHWM:"));
    QFile::remove(on);
    QFile::remove(off);
}

// Styling a whole document through the editor, from nothing, as showing
// its end would (fold levels and line states included).
void styleWhole(const QByteArray& bytes, const QString& dir, const QString& name, const char* label)
{
    const QString path = dir + QLatin1Char('/') + name;
    writeFile(path, bytes);
    QTemporaryDir prefs;
    WindowModel model{std::make_unique<Preferences>(prefs.filePath(QStringLiteral("prefs.ini")))};
    DocPtr d = Doc::open(path).value();
    model.appendDoc(d);
    EditorController e(d, model, model.view());
    CodeTextView* v = e.textView();
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        v->SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, 0ul, 0l);
        QElapsedTimer t;
        t.start();
        e.syntax()->styleTo(v->byteLength());
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
    }
    const bool done = v->SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED) == v->byteLength();
    std::printf("%s: styling all of it in the editor %.1f ms (%s)\n", label, best, done ? "checked" : "INCOMPLETE");
    QFile::remove(path);
}

// Lexer throughput over the whole buffer, styles and line states included.
void lexSpeed(const QByteArray& bytes, Syntax::Language l, const char* label)
{
    std::vector<unsigned char> styles(size_t(bytes.size()));
    std::vector<Syntax::LineInfo> lines;
    QElapsedTimer t;
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        lines.clear();
        t.start();
        Syntax::lexerFor(l)({bytes.constData(), bytes.size(), bytes.size()}, 0, {}, styles.data(), lines);
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("%s: lexing %.1f MB in %.1f ms (%.0f MB/s)\n", label, bytes.size() / 1048576.0, best,
                bytes.size() / 1048576.0 / (best / 1000));
}

}

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppFonts::registerFonts();
    Doc::setAnalysisEnabled(false);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    QTemporaryDir tmp;

    const QByteArray oneLine = makeJSON(8600 * 1024);
    const QByteArray pretty = makePrettyJSON(10 * 1048576);
    lexSpeed(oneLine, Syntax::Language::json, "8.6 MB one-line JSON");
    lexSpeed(pretty, Syntax::Language::json, "10 MB indented JSON");
    {
        const QByteArray text = makeText(10 * 1048576, 175000);
        lexSpeed(text, Syntax::Language::markdown, "10 MB prose as Markdown");
        lexSpeed(text, Syntax::Language::yaml, "10 MB prose as YAML");
    }
    styleWhole(oneLine, tmp.path(), QStringLiteral("one-line.json"), "8.6 MB one-line JSON");
    styleWhole(pretty, tmp.path(), QStringLiteral("ten.json"), "10 MB indented JSON");
    compare(pretty, tmp.path(), QStringLiteral("10 MB indented JSON"), QStringLiteral("ten.json"), 5);
    compare(oneLine, tmp.path(), QStringLiteral("8.6 MB one-line JSON"), QStringLiteral("one-line.json"), 1);
    if (!quick)
        compare(makeText(100 * 1048576, 1750000), tmp.path(), QStringLiteral("100 MB / 1.75M lines as Markdown"),
                QStringLiteral("large.md"), 3);
    return 0;
}
