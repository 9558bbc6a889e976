#include "editor/syntax/SyntaxStyler.h"

#include "editor/CodeTextView.h"
#include "editor/EditorScheme.h"
#include "editor/LineNumberRuler.h"

#include <QScopedValueRollback>

#include <algorithm>
#include <cstddef>

using namespace Syntax;

namespace {

// Lexing runs in pieces of whole lines of about this size, so a jump to the
// end of a large file needs no buffer of its size.
constexpr qsizetype piece = 4 << 20;
// What one request for the screen may lex: a jump to the end of a large
// file is styled a step per turn, its screen plain for a moment, instead of
// the window freezing for the whole pass (70 ms for each 22 MB of JSON here).
qsizetype screenStep = 4 << 20;
// How far a look-ahead may read past the styled lines.
constexpr qsizetype lookAhead = 64 << 10;
// How many blank lines styling backs up over to the line a look-ahead
// decided.
constexpr long backUpLines = 256;

// The engine's own message (third_party/qscintilla, patch 0011) and its
// Sci_LineStates: the states and levels of many lines at once. Debian's
// engine lacks it and gets a message per line.
#ifdef LORVANE_SYSTEM_QSCINTILLA
constexpr bool bulkLines = false;
constexpr unsigned sciSetLineStatesAndLevels = 0;
#else
constexpr bool bulkLines = true;
constexpr unsigned sciSetLineStatesAndLevels = QsciScintillaBase::SCI_SETLINESTATESANDLEVELS;
#endif
struct LineStates {
    std::ptrdiff_t first, count;
    const int* states;
    const int* levels;
};

long bgr(const QColor& c) { return long(c.red()) | long(c.green()) << 8 | long(c.blue()) << 16; }

}

SyntaxStyler::SyntaxStyler(CodeTextView* view) : QObject(view), view_(view), nextStep_(new QTimer(this))
{
    nextStep_->setSingleShot(true);
    // The next paint asks for the styles still missing on screen.
    connect(nextStep_, &QTimer::timeout, view_->viewport(), qOverload<>(&QWidget::update));
    connect(view, &QsciScintillaBase::SCN_STYLENEEDED, this, [this](int position) { styleTo(position); });
}

long SyntaxStyler::send(unsigned msg, unsigned long w, long l) const { return view_->SendScintilla(msg, w, l); }

Language SyntaxStyler::languageOf(const QString& pluginId) { return languageFor(pluginId); }

void SyntaxStyler::setFormat(const QString& pluginId, const QString& fileName)
{
    const Language l = languageOf(pluginId);
    const std::optional<char> fixed = l == Language::csv
            && fileName.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive)
        ? std::optional<char>('\t')
        : std::nullopt;
    if (l == language_ && fixed == fixedSeparator_)
        return;
    const bool folded = folds(language_);
    language_ = l;
    lex_ = lexerFor(l);
    fixedSeparator_ = fixed;
    separator_ = fixed.value_or(',');
    if (!view_->hasStyleBytes())
        return;
    send(QsciScintillaBase::SCI_SETLEXER, QsciScintillaBase::SCLEX_CONTAINER);
    // Lines hidden in a fold open when an edit or the caret reaches them,
    // and a fold whose head stops being one opens.
    send(QsciScintillaBase::SCI_SETAUTOMATICFOLD,
         QsciScintillaBase::SC_AUTOMATICFOLD_SHOW | QsciScintillaBase::SC_AUTOMATICFOLD_CHANGE);
    send(QsciScintillaBase::SCI_FOLDDISPLAYTEXTSETSTYLE, QsciScintillaBase::SC_FOLDDISPLAYTEXT_STANDARD);
    view_->ruler()->setFolding(folds(l));
    if (folded) {
        // The old folds go: every line shown, every level flat.
        send(QsciScintillaBase::SCI_FOLDALL, QsciScintillaBase::SC_FOLDACTION_EXPAND);
        const long lines = send(QsciScintillaBase::SCI_GETLINECOUNT);
        for (long line = 0; line < lines; ++line)
            send(QsciScintillaBase::SCI_SETFOLDLEVEL, line, foldBase);
    }
    if (!lex_ && !allPlain_) {
        // Plain from here on: the old colours go at once, everywhere, so
        // that no pass has to write plain styles again.
        const long length = send(QsciScintillaBase::SCI_GETLENGTH);
        send(QsciScintillaBase::SCI_STARTSTYLING, 0, 0);
        send(QsciScintillaBase::SCI_SETSTYLING, length, plain);
        allPlain_ = true;
    }
    restyle();
}

qsizetype SyntaxStyler::paintStep() { return screenStep; }

void SyntaxStyler::setPaintStep(qsizetype bytes) { screenStep = bytes; }

bool SyntaxStyler::onScreen(qsizetype position) const
{
    using B = QsciScintillaBase;
    const auto [first, last] = view_->shownLines();
    return position >= send(B::SCI_POSITIONFROMLINE, first) && position <= send(B::SCI_GETLINEENDPOSITION, last) + 2;
}

void SyntaxStyler::restyle()
{
    send(QsciScintillaBase::SCI_STARTSTYLING, 0, 0);
    view_->viewport()->update();
}

QColor SyntaxStyler::colorFor(Style s, const EditorScheme& scheme, bool dark)
{
    const EditorScheme::Tokens& t = scheme.tokens;
    switch (s) {
    case key:
    case column1:
    case table: return t.key.resolve(dark);
    case string:
    case code:
    case column2: return t.string.resolve(dark);
    case number:
    case date: return t.number.resolve(dark);
    case literal:
    case keyword:
    case listMark:
    case marker:
    case column3: return t.keyword.resolve(dark);
    case comment:
    case quote: return t.comment.resolve(dark);
    case punct: return t.dim.resolve(dark);
    case heading: return t.heading.resolve(dark);
    case Syntax::link: return t.link.resolve(dark);
    case tag: return t.tag.resolve(dark);
    case plain:
    case emphasis:
    case strong:
    case styleCount: break;
    }
    return scheme.foreground.resolve(dark);
}

void SyntaxStyler::applyColors(const EditorScheme& scheme, bool dark)
{
    if (!view_->hasStyleBytes())
        return;
    const long back = bgr(scheme.background.resolve(dark));
    for (int s = 0; s < styleCount; ++s) {
        send(QsciScintillaBase::SCI_STYLESETFORE, s, bgr(colorFor(Style(s), scheme, dark)));
        send(QsciScintillaBase::SCI_STYLESETBACK, s, back);
        const bool bold = s == heading || s == strong || s == marker || s == table;
        // The mono face has a medium weight and no bold: the medium face
        // keeps every advance equal.
        send(QsciScintillaBase::SCI_STYLESETWEIGHT, s, bold ? 500 : 400);
        send(QsciScintillaBase::SCI_STYLESETITALIC, s, s == emphasis || s == quote);
    }
    send(QsciScintillaBase::SCI_STYLESETFORE, QsciScintillaBase::STYLE_FOLDDISPLAYTEXT,
         bgr(scheme.tokens.dim.resolve(dark)));
    send(QsciScintillaBase::SCI_STYLESETBACK, QsciScintillaBase::STYLE_FOLDDISPLAYTEXT, back);
    view_->viewport()->update();
}

void SyntaxStyler::styleTo(qsizetype position)
{
    using B = QsciScintillaBase;
    // A new fold head makes Scintilla look for its fold's end, which asks
    // for styles further on while this pass writes them; a nested pass would
    // clobber this one's buffers and, a line at a time, overflow the stack.
    if (!view_->hasStyleBytes() || styling_)
        return;
    const QScopedValueRollback<bool> nested(styling_, true);
    const qsizetype length = send(B::SCI_GETLENGTH);
    position = std::min(position, length);
    qsizetype from = send(B::SCI_GETENDSTYLED);
    const qsizetype endStyled = from;
    if (!lex_) {
        if (position <= from)
            return;
        // Scintilla writes styles a byte at a time: a key typed into a line
        // of megabytes would have the rest of the line written again on every
        // paint. Plain bytes need no writing, only to be counted as styled.
        if (allPlain_) {
            send(B::SCI_STARTSTYLING, position, 0);
            return;
        }
        send(B::SCI_STARTSTYLING, from, 0);
        send(B::SCI_SETSTYLING, position - from, plain);
        return;
    }
    allPlain_ = false;
    if (language_ == Language::csv && !fixedSeparator_) {
        const qsizetype firstLine = std::min<qsizetype>(send(B::SCI_GETLINEENDPOSITION, 0), lookAhead);
        const auto* p = reinterpret_cast<const char*>(send(B::SCI_GETRANGEPOINTER, 0, firstLine));
        const char sep = p ? detectSeparator(p, firstLine) : ',';
        if (sep != separator_) {
            separator_ = sep;
            from = 0;
        }
    }
    if (position <= from)
        return;
    // The screen asks (painting, scrolling, a caret moved there): far past
    // the styled text, it gets a step now and the next ones in later turns.
    // Requests for what is not shown (folds, wrapping) are met at once.
    if (position - from > screenStep && onScreen(position)) {
        position = from + screenStep;
        nextStep_->start(0);
    }
    long line = send(B::SCI_LINEFROMPOSITION, from);
    if (looksAhead(language_) && line > 0) {
        // The line above may have been styled by looking at this one.
        --line;
        for (long n = 0; line > 0 && n < backUpLines; ++n, --line)
            if (send(B::SCI_GETLINEENDPOSITION, line) > send(B::SCI_POSITIONFROMLINE, line))
                break;
        // A Markdown paragraph is styled from its first line, which looks for an underline below.
        if (language_ == Language::markdown)
            for (long n = 0; line > 0 && n < backUpLines
                 && send(B::SCI_GETLINEENDPOSITION, line - 1) > send(B::SCI_POSITIONFROMLINE, line - 1);
                 ++n)
                --line;
    }
    from = send(B::SCI_POSITIONFROMLINE, line);
    int state = line > 0 ? int(send(B::SCI_GETLINESTATE, line - 1)) : 0;
    const long lastLine = send(B::SCI_LINEFROMPOSITION, position);
    const long lineCount = send(B::SCI_GETLINECOUNT);
    const bool folding = folds(language_);
    Options options;
    options.separator = separator_;
    // With nothing folded away a changed fold needs no care from Scintilla,
    // whose care walks every line of the old fold.
    const long automaticFold = send(B::SCI_GETAUTOMATICFOLD);
    const bool quietFolds = folding && send(B::SCI_GETALLLINESVISIBLE);
    if (quietFolds)
        send(B::SCI_SETAUTOMATICFOLD, automaticFold & ~B::SC_AUTOMATICFOLD_CHANGE);
    while (line <= lastLine) {
        const long endLine = std::clamp<long>(send(B::SCI_LINEFROMPOSITION, from + piece), line, lastLine);
        const qsizetype to = endLine + 1 >= lineCount ? length : send(B::SCI_POSITIONFROMLINE, endLine + 1);
        if (to <= from)
            break;
        const qsizetype available = looksAhead(language_) ? std::min(length, to + lookAhead) : to;
        const auto* text = reinterpret_cast<const char*>(send(B::SCI_GETRANGEPOINTER, from, available - from));
        if (!text)
            break;
        styles_.resize(size_t(to - from));
        lines_.clear();
        const Chunk chunk{text, to - from, available - from};
        // Styles before the first edit since the last pass are still in the
        // buffer, and are what the last pass lexed (`lastStyles_`). Only
        // what the lexer now sees differently is written again: Scintilla
        // sets styles a byte at a time, and a minified file is one line of
        // megabytes.
        const qsizetype known = from == lastFrom_
            ? std::clamp<qsizetype>(endStyled - from, 0, qsizetype(std::min<qsizetype>(lastStyles_.size(), to - from)))
            : 0;
        JSONResume start{0, state >> 1, state >> 1, bool(state & 1)};
        nextMarks_.clear();
        if (language_ == Language::json)
            for (const JSONResume& m : lastMarks_) {
                if (m.at > known)
                    break;
                start = m;
                nextMarks_.push_back(m);
            }
        qsizetype write = from;
        if (start.at > 0) {
            // In a long first line, lexing resumes at the last point before
            // the edit, over the last pass's styles: those before it stand.
            lastStyles_.resize(size_t(to - from));
            lexJSONFrom(chunk, start, lastStyles_.data(), lines_, &nextMarks_);
            write = from + start.at;
        } else {
            if (language_ == Language::json)
                lexJSONFrom(chunk, start, styles_.data(), lines_, &nextMarks_);
            else
                lex_(chunk, state, options, styles_.data(), lines_);
            write = from
                + (std::mismatch(styles_.begin(), styles_.begin() + known, lastStyles_.begin()).first
                   - styles_.begin());
            lastStyles_.swap(styles_);
        }
        send(B::SCI_STARTSTYLING, write, 0);
        view_->SendScintilla(B::SCI_SETSTYLINGEX, to - write,
                             reinterpret_cast<const char*>(lastStyles_.data() + (write - from)));
        lastFrom_ = from;
        lastMarks_.swap(nextMarks_);
        // Scintilla compares both values itself and reports only changes.
        if (bulkLines && (!folding || quietFolds)) {
            // One message for the piece: a message per line redrew the view each time.
            lineStates_.resize(lines_.size());
            lineLevels_.resize(lines_.size());
            for (size_t k = 0; k < lines_.size(); ++k) {
                lineStates_[k] = lines_[k].state;
                lineLevels_[k] = lines_[k].level;
            }
            const LineStates bulk{line, std::ptrdiff_t(lines_.size()), lineStates_.data(),
                                  folding ? lineLevels_.data() : nullptr};
            view_->SendScintilla(sciSetLineStatesAndLevels, 0UL, reinterpret_cast<long>(&bulk));
        } else {
            // Hidden lines follow their fold's changes, which Scintilla sees a line at a time.
            for (size_t k = 0; k < lines_.size(); ++k) {
                const long l = line + long(k);
                send(B::SCI_SETLINESTATE, l, lines_[k].state);
                if (folding)
                    send(B::SCI_SETFOLDLEVEL, l, lines_[k].level);
            }
        }
        if (!lines_.empty())
            state = lines_.back().state;
        line = endLine + 1;
        from = to;
    }
    if (quietFolds)
        send(B::SCI_SETAUTOMATICFOLD, automaticFold);
    // Chevrons of new fold heads; the ruler may have painted before the text.
    if (folding)
        view_->ruler()->update();
    // Large pieces may shrink again; a long line that is being edited keeps
    // its room.
    if (lastStyles_.capacity() > size_t(piece) * 8) {
        std::vector<unsigned char>().swap(styles_);
        std::vector<unsigned char>().swap(lastStyles_);
        lastMarks_.clear();
        lastFrom_ = -1;
    }
}
