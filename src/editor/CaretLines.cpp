#include "editor/CaretLines.h"

#include "editor/CodeTextView.h"
#include "editor/LineBreaks.h"
#include "text/UnitCounts.h"

namespace {
using B = QsciScintillaBase;
}

std::optional<QString> CaretLines::range(long from, long to) const
{
    const auto* p = reinterpret_cast<const char*>(view_.SendScintilla(B::SCI_GETRANGEPOINTER, from, to - from));
    if (!p && to > from)
        return std::nullopt;
    QString s = QString::fromUtf8(p, to - from);
    if (UnitCounts::utf8Bytes(s) != to - from)
        return std::nullopt;
    return s;
}

std::optional<CaretLines::Around> CaretLines::aroundSelection() const
{
    Around a;
    a.selStart = view_.SendScintilla(B::SCI_GETSELECTIONSTART);
    a.selEnd = view_.SendScintilla(B::SCI_GETSELECTIONEND);
    a.line = view_.SendScintilla(B::SCI_LINEFROMPOSITION, a.selStart);
    a.lineStart = view_.SendScintilla(B::SCI_POSITIONFROMLINE, a.line);
    a.lineEnd = view_.SendScintilla(B::SCI_GETLINEENDPOSITION, view_.SendScintilla(B::SCI_LINEFROMPOSITION, a.selEnd));
    if (a.selStart - a.lineStart > CodeTextView::longLine || a.lineEnd - a.selEnd > CodeTextView::longLine)
        return std::nullopt;
    auto before = range(a.lineStart, a.selStart);
    auto after = range(a.selEnd, a.lineEnd);
    if (!before || !after)
        return std::nullopt;
    a.before = *before;
    a.after = *after;
    return a;
}

void CaretLines::replace(const Around& a, const LineBreak& b)
{
    const long from = a.lineStart + long(UnitCounts::utf8Bytes(QStringView(a.before).left(b.from)));
    const long to = a.selEnd + long(UnitCounts::utf8Bytes(QStringView(a.after).left(b.eat)));
    const QByteArray bytes = b.text.toUtf8();
    view_.SendScintilla(B::SCI_SETTARGETRANGE, from, to);
    view_.SendScintilla(B::SCI_REPLACETARGET, uintptr_t(bytes.size()), bytes.constData());
    view_.SendScintilla(B::SCI_GOTOPOS, from + long(UnitCounts::utf8Bytes(QStringView(b.text).left(b.caret))));
}

long CaretLines::count() const { return view_.SendScintilla(B::SCI_GETLINECOUNT); }

long CaretLines::caretLine() const
{
    return view_.SendScintilla(B::SCI_LINEFROMPOSITION, view_.SendScintilla(B::SCI_GETCURRENTPOS));
}

std::optional<QString> CaretLines::text(long line) const
{
    const long start = view_.SendScintilla(B::SCI_POSITIONFROMLINE, line);
    const long end = view_.SendScintilla(B::SCI_GETLINEENDPOSITION, line);
    if (end - start > CodeTextView::longLine)
        return std::nullopt;
    return range(start, end);
}

void CaretLines::replaceInLine(long line, const QString& current, qsizetype column, qsizetype length,
                               const QString& with)
{
    const long start = view_.SendScintilla(B::SCI_POSITIONFROMLINE, line);
    const long from = start + long(UnitCounts::utf8Bytes(QStringView(current).left(column)));
    const long to = from + long(UnitCounts::utf8Bytes(QStringView(current).sliced(column, length)));
    const QByteArray bytes = with.toUtf8();
    view_.SendScintilla(B::SCI_SETTARGETRANGE, from, to);
    view_.SendScintilla(B::SCI_REPLACETARGET, uintptr_t(bytes.size()), bytes.constData());
}
