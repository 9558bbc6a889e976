#include "plugins/MarkdownEdits.h"

#include <QRegularExpression>

namespace {

// Asterisks right before or after a position on its line.
int starsBefore(const TextLines& t, int pos)
{
    const int line = t.lineOf(pos);
    const QString s = t.line(line);
    int i = pos - t.lineStart(line), n = 0;
    while (i - n > 0 && s[i - n - 1] == u'*')
        ++n;
    return n;
}

int starsAfter(const TextLines& t, int pos)
{
    const int line = t.lineOf(pos);
    const QString s = t.line(line);
    const int i = pos - t.lineStart(line);
    int n = 0;
    while (i + n < s.size() && s[i + n] == u'*')
        ++n;
    return n;
}

// Whether a run of asterisks holds the marker: ** is in runs of two or
// three, * in runs of one or three (bold and italic together).
bool holds(int run, int marker) { return marker == 2 ? run >= 2 : run % 2 == 1; }

int leadingStars(QStringView s)
{
    int n = 0;
    while (n < s.size() && s[n] == u'*')
        ++n;
    return n;
}

int trailingStars(QStringView s)
{
    int n = 0;
    while (n < s.size() && s[s.size() - 1 - n] == u'*')
        ++n;
    return n;
}

QString selected(const TextLines& t, const Span& s)
{
    QString out;
    for (int line = t.lineOf(s.start()), last = t.lineOf(s.end()); line <= last; ++line) {
        const int start = t.lineStart(line);
        const QString text = t.line(line);
        const int from = std::max(0, s.start() - start);
        const int to = std::min(int(text.size()), s.end() - start);
        if (line > t.lineOf(s.start()))
            out += u'\n';
        out += text.mid(from, to - from);
    }
    return out;
}

}

namespace MarkdownEdits {

std::optional<EditPlan> toggleEmphasis(const TextLines& t, const std::vector<Span>& spans, const QString& marker)
{
    const int m = int(marker.size());
    std::vector<LineCommands::Rewrite> out;
    for (const Span& s : spans) {
        const QString inner = selected(t, s);
        const int n = int(inner.size());
        if (n >= 2 * m && holds(leadingStars(inner), m) && holds(trailingStars(inner), m)) {
            out.push_back({s.start(), s.end(), inner.mid(m, n - 2 * m), {0, n - 2 * m}});
        } else if (holds(starsBefore(t, s.start()), m) && holds(starsAfter(t, s.end()), m)) {
            out.push_back({s.start() - m, s.end() + m, inner, {0, n}});
        } else {
            out.push_back({s.start(), s.end(), marker + inner + marker, {m, m + n}});
        }
        // The selection keeps its direction.
        if (s.caret < s.anchor)
            std::swap(out.back().selection.anchor, out.back().selection.caret);
    }
    return LineCommands::plan(std::move(out));
}

std::optional<EditPlan> link(const TextLines& t, const std::vector<Span>& spans, const QString& url)
{
    std::vector<LineCommands::Rewrite> out;
    for (const Span& s : spans) {
        const QString text = selected(t, s);
        const QString made = u'[' + text + QStringLiteral("](") + url + u')';
        int caret = int(made.size());
        if (url.isEmpty())
            caret = int(made.size()) - 1;
        else if (text.isEmpty())
            caret = 1;
        out.push_back({s.start(), s.end(), made, {caret, caret}});
    }
    return LineCommands::plan(std::move(out));
}

bool isURL(const QString& text)
{
    static const QRegularExpression address(QStringLiteral(R"(^(https?://|ftp://|mailto:|www\.)\S+$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return address.match(text.trimmed()).hasMatch();
}

}
