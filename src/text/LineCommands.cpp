#include "text/LineCommands.h"

#include <QStringList>

#include <functional>
#include <limits>

namespace {

// Lines touched by selections that overlap or sit on adjacent lines: they
// move, join or go away together.
struct Block {
    int first = 0, last = 0;
    std::vector<Span> spans;
};

std::vector<Block> blocksOf(const TextLines& t, std::vector<Span> spans)
{
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start() < b.start(); });
    std::vector<Block> out;
    for (const Span& s : spans) {
        const int first = t.lineOf(s.start());
        int last = t.lineOf(s.end());
        if (!s.empty() && last > first && t.lineStart(last) == s.end())
            --last;
        if (!out.empty() && first <= out.back().last + 1) {
            out.back().last = std::max(out.back().last, last);
            out.back().spans.push_back(s);
        } else {
            out.push_back({first, last, {s}});
        }
    }
    return out;
}

QStringList linesOf(const TextLines& t, int first, int last)
{
    QStringList out;
    for (int l = first; l <= last; ++l)
        out << t.line(l);
    return out;
}

// Offset of a line and column in lines joined by line feeds; lines past the
// end count as empty.
int offsetIn(const QStringList& lines, int line, int column)
{
    int at = 0;
    for (int k = 0; k < line; ++k)
        at += (k < lines.size() ? int(lines[k].size()) : 0) + 1;
    return at + column;
}

int leadingBlanks(const QString& s)
{
    int n = 0;
    while (n < s.size() && (s[n] == u' ' || s[n] == u'\t'))
        ++n;
    return n;
}

// The range [from, to) becomes `text`; the selections in it, relative to
// `from` in the new text.
struct Piece {
    int from = 0, to = 0;
    QString text;
    std::vector<Span> spans;
};

// A position in the new text for a line (relative to `first`) and column of
// the old one; `opening` says it starts a non-empty selection.
using PlaceMap = std::function<int(int line, int column, bool opening)>;

std::vector<Span> mapSpans(const TextLines& t, const Block& b, int first, const PlaceMap& map)
{
    std::vector<Span> out;
    for (const Span& s : b.spans) {
        const auto at = [&](int pos, bool opening) {
            const int line = t.lineOf(pos);
            return map(line - first, pos - t.lineStart(line), opening);
        };
        const bool forward = s.anchor <= s.caret;
        out.push_back({at(s.anchor, !s.empty() && forward), at(s.caret, !s.empty() && !forward)});
    }
    return out;
}

std::optional<EditPlan> assemble(const std::vector<Piece>& pieces)
{
    if (pieces.empty())
        return std::nullopt;
    EditPlan plan;
    int shift = 0;
    for (const Piece& p : pieces) {
        plan.edits.push_back({p.from, p.to - p.from, p.text});
        for (const Span& s : p.spans)
            plan.selections.push_back({s.anchor + p.from + shift, s.caret + p.from + shift});
        shift += int(p.text.size()) - (p.to - p.from);
    }
    auto& sel = plan.selections;
    std::sort(sel.begin(), sel.end(), [](const Span& a, const Span& b) {
        return a.start() != b.start() ? a.start() < b.start() : a.end() < b.end();
    });
    sel.erase(std::unique(sel.begin(), sel.end()), sel.end());
    return plan;
}

// A block of whole lines [first, last] rewritten, the selections following
// the map.
Piece rewrite(const TextLines& t, const Block& b, int first, int last, const QStringList& lines, const PlaceMap& map)
{
    return {t.lineStart(first), t.lineEnd(last), lines.join(u'\n'), mapSpans(t, b, first, map)};
}

Piece commentLines(const TextLines& t, const Block& b, const QString& prefix)
{
    QStringList lines = linesOf(t, b.first, b.last);
    std::vector<int> counted;
    for (int k = 0; k < lines.size(); ++k)
        if (leadingBlanks(lines[k]) < lines[k].size())
            counted.push_back(k);
    if (counted.empty())
        for (int k = 0; k < lines.size(); ++k)
            counted.push_back(k);
    const bool commented = std::all_of(counted.begin(), counted.end(), [&](int k) {
        return QStringView(lines[k]).sliced(leadingBlanks(lines[k])).startsWith(prefix);
    });
    // Per line: where the marker goes or went, and how long it is (negative: removed).
    std::vector<std::pair<int, int>> change(size_t(lines.size()), {0, 0});
    if (commented) {
        for (int k : counted) {
            const int at = leadingBlanks(lines[k]);
            const int after = at + int(prefix.size());
            const int n = int(prefix.size()) + (after < lines[k].size() && lines[k][after] == u' ' ? 1 : 0);
            lines[k].remove(at, n);
            change[size_t(k)] = {at, -n};
        }
    } else {
        int at = std::numeric_limits<int>::max();
        for (int k : counted)
            at = std::min(at, leadingBlanks(lines[k]));
        const QString marker = prefix + u' ';
        for (int k : counted) {
            lines[k].insert(at, marker);
            change[size_t(k)] = {at, int(marker.size())};
        }
    }
    const PlaceMap map = [&](int line, int column, bool opening) {
        if (line >= lines.size())
            return offsetIn(lines, line, column);
        const auto [at, n] = change[size_t(line)];
        int c = column;
        if (n < 0 && column > at)
            c = std::max(at, column + n);
        else if (n > 0 && (column > at || (column == at && !opening)))
            c = column + n;
        return offsetIn(lines, line, c);
    };
    return rewrite(t, b, b.first, b.last, lines, map);
}

Piece commentBlock(const TextLines& t, const Block& b, const QString& open, const QString& close)
{
    const QStringList lines = linesOf(t, b.first, b.last);
    const QString whole = lines.join(u'\n');
    int cs = 0, ce = int(whole.size());
    while (cs < ce && whole[cs].isSpace())
        ++cs;
    while (ce > cs && whole[ce - 1].isSpace())
        --ce;
    const QStringView inner = QStringView(whole).sliced(cs, ce - cs);
    QString text;
    std::function<int(int, bool)> shift;
    if (inner.size() >= open.size() + close.size() && inner.startsWith(open) && inner.endsWith(close)) {
        int ro = int(open.size()), rc = int(close.size());
        if (cs + ro < ce - rc && whole[cs + ro] == u' ')
            ++ro;
        if (ce - rc - 1 >= cs + ro && whole[ce - rc - 1] == u' ')
            ++rc;
        text = whole.left(cs) + whole.mid(cs + ro, ce - rc - cs - ro) + whole.mid(ce);
        shift = [=](int p, bool) {
            if (p <= cs)
                return p;
            if (p < cs + ro)
                return cs;
            if (p <= ce - rc)
                return p - ro;
            return p <= ce ? ce - rc - ro : p - ro - rc;
        };
    } else {
        const QString head = open + u' ', tail = u' ' + close;
        text = whole.left(cs) + head + inner.toString() + tail + whole.mid(ce);
        const int a = int(head.size()), z = int(tail.size());
        shift = [=](int p, bool opening) {
            if (p < cs || (p == cs && opening))
                return p;
            return p <= ce ? p + a : p + a + z;
        };
    }
    const PlaceMap map = [&](int line, int column, bool opening) {
        return shift(offsetIn(lines, line, column), opening);
    };
    return {t.lineStart(b.first), t.lineEnd(b.last), text, mapSpans(t, b, b.first, map)};
}

}

namespace LineCommands {

std::optional<EditPlan> plan(std::vector<Rewrite> rewrites)
{
    std::sort(rewrites.begin(), rewrites.end(), [](const Rewrite& a, const Rewrite& b) { return a.from < b.from; });
    std::vector<Piece> pieces;
    for (const Rewrite& r : rewrites)
        if (pieces.empty() || r.from >= pieces.back().to)
            pieces.push_back({r.from, r.to, r.text, {r.selection}});
    return assemble(pieces);
}

std::optional<EditPlan> duplicate(const TextLines& t, const std::vector<Span>& spans)
{
    std::vector<Piece> pieces;
    for (const Block& b : blocksOf(t, spans)) {
        const QStringList lines = linesOf(t, b.first, b.last);
        const QStringList twice = lines + lines;
        const int n = int(lines.size());
        // The selection goes with the copy below.
        pieces.push_back(rewrite(t, b, b.first, b.last, twice,
                                 [&](int line, int column, bool) { return offsetIn(twice, line + n, column); }));
    }
    return assemble(pieces);
}

std::optional<EditPlan> move(const TextLines& t, const std::vector<Span>& spans, int by)
{
    const std::vector<Block> blocks = blocksOf(t, spans);
    if (blocks.empty() || (by < 0 && blocks.front().first == 0) || (by > 0 && blocks.back().last >= t.lineCount() - 1))
        return std::nullopt;
    std::vector<Piece> pieces;
    for (const Block& b : blocks) {
        // The line the block passes over goes to its other side.
        const int first = by < 0 ? b.first - 1 : b.first;
        const int last = by < 0 ? b.last : b.last + 1;
        QStringList lines = linesOf(t, first, last);
        if (by < 0)
            lines.move(0, lines.size() - 1);
        else
            lines.move(lines.size() - 1, 0);
        pieces.push_back(rewrite(t, b, first, last, lines,
                                 [&](int line, int column, bool) { return offsetIn(lines, line + by, column); }));
    }
    return assemble(pieces);
}

std::optional<EditPlan> remove(const TextLines& t, const std::vector<Span>& spans)
{
    std::vector<Piece> pieces;
    const int count = t.lineCount();
    for (const Block& b : blocksOf(t, spans)) {
        // The caret keeps its column on the line that takes the block's place.
        std::vector<int> columns;
        for (const Span& s : b.spans)
            columns.push_back(s.caret - t.lineStart(t.lineOf(s.caret)));
        Piece p;
        if (b.first == 0 && b.last == count - 1) {
            p = {0, t.lineEnd(b.last), QString(), {}};
            columns.assign(columns.size(), 0);
        } else if (b.last < count - 1) {
            p = {t.lineStart(b.first), t.lineStart(b.last + 1), QString(), {}};
            const int len = int(t.line(b.last + 1).size());
            for (int& c : columns)
                c = std::min(c, len);
        } else {
            p = {t.lineEnd(b.first - 1), t.lineEnd(b.last), QString(), {}};
            const int len = int(t.line(b.first - 1).size());
            for (int& c : columns)
                c = std::min(c, len) - len;
        }
        for (int c : columns)
            p.spans.push_back({c, c});
        pieces.push_back(std::move(p));
    }
    return assemble(pieces);
}

std::optional<EditPlan> join(const TextLines& t, const std::vector<Span>& spans)
{
    std::vector<Piece> pieces;
    for (const Block& b : blocksOf(t, spans)) {
        int last = b.last;
        if (last == b.first) {
            if (last >= t.lineCount() - 1)
                continue;
            ++last;
        }
        const QStringList lines = linesOf(t, b.first, last);
        // Each next line loses its indent and is set off by one space.
        QString out = lines[0];
        std::vector<int> starts{0}, blanks{0};
        int joint = 0;
        for (int k = 1; k < lines.size(); ++k) {
            const int lead = leadingBlanks(lines[k]);
            joint = int(out.size());
            const bool spaced = out.isEmpty() || lead == lines[k].size() || out.back() == u' ' || out.back() == u'\t';
            if (!spaced)
                out += u' ';
            starts.push_back(int(out.size()));
            blanks.push_back(lead);
            out += QStringView(lines[k]).sliced(lead);
        }
        const int n = int(lines.size());
        Block wide = b;
        wide.last = last;
        const PlaceMap map = [&](int line, int column, bool) {
            if (line >= n)
                return int(out.size()) + 1;
            return starts[size_t(line)] + std::max(0, column - blanks[size_t(line)]);
        };
        Piece p = rewrite(t, wide, b.first, last, {out}, map);
        // A plain caret goes to the last joint.
        for (Span& s : p.spans)
            if (s.empty())
                s = {joint, joint};
        pieces.push_back(std::move(p));
    }
    return assemble(pieces);
}

std::optional<EditPlan> toggleComment(const TextLines& t, const std::vector<Span>& spans, const CommentSyntax& syntax)
{
    if (syntax.none())
        return std::nullopt;
    std::vector<Piece> pieces;
    for (const Block& b : blocksOf(t, spans))
        pieces.push_back(syntax.line.isEmpty() ? commentBlock(t, b, syntax.open, syntax.close)
                                               : commentLines(t, b, syntax.line));
    return assemble(pieces);
}

}
