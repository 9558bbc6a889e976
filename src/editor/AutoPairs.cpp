#include "editor/AutoPairs.h"

#include "editor/CodeTextView.h"

namespace {

using B = QsciScintillaBase;

// Marks the closers inserted with their openers; it moves with the text.
constexpr int closerIndicator = 12;

QChar closerOf(QChar c)
{
    switch (c.unicode()) {
    case u'(': return u')';
    case u'[': return u']';
    case u'{': return u'}';
    default: return c;  // quotes, backtick, emphasis marks
    }
}

bool isQuote(QChar c) { return c == u'"' || c == u'\'' || c == u'`'; }

bool isCloser(QChar c) { return c == u')' || c == u']' || c == u'}' || isQuote(c); }

// The character that ends at or starts at a byte position, or none at a line's end.
QChar charBefore(const CodeTextView& v, long pos)
{
    if (pos <= v.SendScintilla(B::SCI_POSITIONFROMLINE, v.SendScintilla(B::SCI_LINEFROMPOSITION, pos)))
        return {};
    const long start = v.SendScintilla(B::SCI_POSITIONBEFORE, pos);
    const auto* p = reinterpret_cast<const char*>(v.SendScintilla(B::SCI_GETRANGEPOINTER, start, pos - start));
    const QString s = p ? QString::fromUtf8(p, pos - start) : QString();
    return s.isEmpty() ? QChar() : s.back();
}

QChar charAt(const CodeTextView& v, long pos)
{
    const long end = v.SendScintilla(B::SCI_POSITIONAFTER, pos);
    if (end <= pos || pos >= v.SendScintilla(B::SCI_GETLINEENDPOSITION, v.SendScintilla(B::SCI_LINEFROMPOSITION, pos)))
        return {};
    const auto* p = reinterpret_cast<const char*>(v.SendScintilla(B::SCI_GETRANGEPOINTER, pos, end - pos));
    const QString s = p ? QString::fromUtf8(p, end - pos) : QString();
    return s.isEmpty() ? QChar() : s.front();
}

bool insertedCloserAt(const CodeTextView& v, long pos)
{
    return v.SendScintilla(B::SCI_INDICATORVALUEAT, closerIndicator, pos) != 0;
}

// VS Code's default autoCloseBefore: a closer is added only before these.
bool closesBefore(QChar next) { return next.isNull() || next.isSpace() || QStringLiteral(";:.,=}])>").contains(next); }

// Inside a string when the line before the caret holds an odd number of the quote.
bool insideString(const CodeTextView& v, long pos, QChar quote)
{
    const long start = v.SendScintilla(B::SCI_POSITIONFROMLINE, v.SendScintilla(B::SCI_LINEFROMPOSITION, pos));
    if (pos - start > CodeTextView::longLine)
        return true;
    const auto* p = reinterpret_cast<const char*>(v.SendScintilla(B::SCI_GETRANGEPOINTER, start, pos - start));
    const QByteArrayView line(p, p ? pos - start : 0);
    return line.count(char(quote.unicode())) % 2 == 1;
}

void replace(CodeTextView& v, long from, long to, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    v.SendScintilla(B::SCI_SETTARGETRANGE, from, to);
    v.SendScintilla(B::SCI_REPLACETARGET, uintptr_t(bytes.size()), bytes.constData());
}

bool wrap(CodeTextView& v, QChar c)
{
    const long anchor = v.SendScintilla(B::SCI_GETANCHOR);
    const long caret = v.SendScintilla(B::SCI_GETCURRENTPOS);
    const long from = std::min(anchor, caret), to = std::max(anchor, caret);
    const QByteArray open = QString(c).toUtf8(), close = QString(closerOf(c)).toUtf8();
    v.SendScintilla(B::SCI_BEGINUNDOACTION);
    v.SendScintilla(B::SCI_INSERTTEXT, to, close.constData());
    v.SendScintilla(B::SCI_INSERTTEXT, from, open.constData());
    v.SendScintilla(B::SCI_ENDUNDOACTION);
    // The wrapped text stays selected, the same way round.
    const long shift = open.size();
    v.SendScintilla(B::SCI_SETSEL, anchor + shift, caret + shift);
    return true;
}

}

namespace AutoPairs {

QString openers(const QString& format)
{
    if (format == QLatin1String("json"))
        return QStringLiteral("{[\"");
    if (format == QLatin1String("yaml") || format == QLatin1String("toml"))
        return QStringLiteral("{[(\"'");
    if (format == QLatin1String("markdown"))
        return QStringLiteral("{[(`");
    if (format == QLatin1String("plantuml"))
        return QStringLiteral("{[(\"");
    return QStringLiteral("{[(");
}

QString wrappers(const QString& format)
{
    if (format == QLatin1String("markdown"))
        return QStringLiteral("*_\"'");
    return QStringLiteral("\"'`");
}

void install(CodeTextView& view) { view.SendScintilla(B::SCI_INDICSETSTYLE, closerIndicator, B::INDIC_HIDDEN); }

bool type(CodeTextView& v, QChar c, const QString& format)
{
    const QString pairs = openers(format);
    const long caret = v.SendScintilla(B::SCI_GETCURRENTPOS);
    if (caret != v.SendScintilla(B::SCI_GETANCHOR)) {
        const bool multiLine = v.SendScintilla(B::SCI_LINEFROMPOSITION, caret)
            != v.SendScintilla(B::SCI_LINEFROMPOSITION, v.SendScintilla(B::SCI_GETANCHOR));
        if (pairs.contains(c) || (wrappers(format).contains(c) && !multiLine))
            return wrap(v, c);
        return false;
    }
    const QChar next = charAt(v, caret);
    // Over a closer put in with its opener.
    if (next == c && isCloser(c) && insertedCloserAt(v, caret)) {
        v.SendScintilla(B::SCI_SETINDICATORCURRENT, closerIndicator);
        v.SendScintilla(B::SCI_INDICATORCLEARRANGE, caret, 1);
        v.SendScintilla(B::SCI_GOTOPOS, caret + 1);
        return true;
    }
    if (!pairs.contains(c) || !closesBefore(next))
        return false;
    if (isQuote(c)) {
        const QChar previous = charBefore(v, caret);
        // "don't", "it's", a closing quote, or a quote inside a string.
        if (previous.isLetterOrNumber() || previous == u'_' || previous == c || insideString(v, caret, c))
            return false;
    }
    const QString text = QString(c) + closerOf(c);
    v.SendScintilla(B::SCI_BEGINUNDOACTION);
    replace(v, caret, caret, text);
    v.SendScintilla(B::SCI_ENDUNDOACTION);
    v.SendScintilla(B::SCI_SETINDICATORCURRENT, closerIndicator);
    v.SendScintilla(B::SCI_INDICATORFILLRANGE, caret + 1, 1);
    v.SendScintilla(B::SCI_GOTOPOS, caret + 1);
    return true;
}

bool deleteBack(CodeTextView& v)
{
    const long caret = v.SendScintilla(B::SCI_GETCURRENTPOS);
    if (caret != v.SendScintilla(B::SCI_GETANCHOR) || caret == 0 || !insertedCloserAt(v, caret))
        return false;
    const QChar opener = charBefore(v, caret);
    if (opener.isNull() || charAt(v, caret) != closerOf(opener) || !QStringLiteral("([{\"'`").contains(opener))
        return false;
    v.SendScintilla(B::SCI_BEGINUNDOACTION);
    replace(v, caret - 1, caret + 1, QString());
    v.SendScintilla(B::SCI_ENDUNDOACTION);
    return true;
}

}
