#include "plugins/Outline.h"

#include <cmark-gfm.h>

#include <memory>
#include <optional>

namespace Outline {

namespace {

// Titles are one line; very long ones are cut for the list.
constexpr qsizetype maxTitle = 200;

QString oneLine(QString s)
{
    s = s.simplified();
    if (s.size() > maxTitle)
        s = s.left(maxTitle - 1) + QChar(0x2026);
    return s;
}

// The text a reader sees in a heading: literals of text and code, images by
// their alt text, breaks as spaces, raw HTML left out.
void plainText(cmark_node* node, QByteArray& out)
{
    for (cmark_node* c = cmark_node_first_child(node); c; c = cmark_node_next(c)) {
        switch (cmark_node_get_type(c)) {
        case CMARK_NODE_TEXT:
        case CMARK_NODE_CODE: out += cmark_node_get_literal(c); break;
        case CMARK_NODE_SOFTBREAK:
        case CMARK_NODE_LINEBREAK: out += ' '; break;
        case CMARK_NODE_HTML_INLINE: break;
        default: plainText(c, out);
        }
    }
}

struct ParserFree {
    void operator()(cmark_parser* p) const { cmark_parser_free(p); }
};
struct NodeFree {
    void operator()(cmark_node* n) const { cmark_node_free(n); }
};
struct IterFree {
    void operator()(cmark_iter* i) const { cmark_iter_free(i); }
};

}

QList<OutlineEntry> markdown(const QString& text)
{
    // The parser decides, so fenced and indented code, HTML blocks and
    // setext underlines count exactly as they do in the preview.
    const QByteArray utf8 = text.toUtf8();
    std::unique_ptr<cmark_parser, ParserFree> parser(cmark_parser_new(CMARK_OPT_DEFAULT));
    cmark_parser_feed(parser.get(), utf8.constData(), size_t(utf8.size()));
    const std::unique_ptr<cmark_node, NodeFree> root(cmark_parser_finish(parser.get()));
    QList<OutlineEntry> out;
    const std::unique_ptr<cmark_iter, IterFree> it(cmark_iter_new(root.get()));
    for (cmark_event_type ev; (ev = cmark_iter_next(it.get())) != CMARK_EVENT_DONE;) {
        cmark_node* n = cmark_iter_get_node(it.get());
        if (ev != CMARK_EVENT_ENTER || cmark_node_get_type(n) != CMARK_NODE_HEADING)
            continue;
        QByteArray title;
        plainText(n, title);
        out.append(
            {cmark_node_get_heading_level(n), oneLine(QString::fromUtf8(title)), cmark_node_get_start_line(n) - 1});
    }
    return out;
}

namespace {

// The key of a line "key: value" (a colon followed by a blank or the end),
// its quotes removed; none when a comment or a bracket comes first.
std::optional<QString> yamlKey(QStringView line)
{
    if (line.isEmpty() || line[0] == QLatin1Char('[') || line[0] == QLatin1Char('{'))
        return std::nullopt;
    qsizetype k = 0;
    QStringView quoted;
    const QChar q = line[0];
    const bool isQuoted = q == QLatin1Char('"') || q == QLatin1Char('\'');
    if (isQuoted) {
        for (k = 1; k < line.size(); ++k) {
            if (q == QLatin1Char('"') && line[k] == QLatin1Char('\\'))
                ++k;
            else if (line[k] == q && q == QLatin1Char('\'') && k + 1 < line.size() && line[k + 1] == q)
                ++k;
            else if (line[k] == q)
                break;
        }
        if (k >= line.size())
            return std::nullopt;
        quoted = line.mid(1, k - 1);
        ++k;
    }
    for (; k < line.size(); ++k) {
        const bool blankAfter = k + 1 == line.size() || line[k + 1] == QLatin1Char(' ')
            || line[k + 1] == QLatin1Char('\t');
        if (line[k] == QLatin1Char('#') && k > 0 && line[k - 1].isSpace())
            return std::nullopt;
        if (line[k] == QLatin1Char(':') && blankAfter) {
            const QStringView key = isQuoted ? quoted : line.left(k).trimmed();
            if (key.isEmpty())
                return std::nullopt;
            return key.toString();
        }
    }
    return std::nullopt;
}

}

QList<OutlineEntry> yaml(const QString& text)
{
    QList<OutlineEntry> out;
    const QStringList lines = text.split(QLatin1Char('\n'));
    bool rootScalar = false;  // "--- |": the document is a block scalar, its lines are text
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1String("---")) || line.startsWith(QLatin1String("..."))) {
            const QString rest = line.mid(3).trimmed();
            rootScalar = line.startsWith(QLatin1Char('-'))
                && (rest.startsWith(QLatin1Char('|')) || rest.startsWith(QLatin1Char('>')));
            continue;
        }
        if (rootScalar || line.isEmpty() || line[0].isSpace() || line[0] == QLatin1Char('#')
            || line[0] == QLatin1Char('-') || line[0] == QLatin1Char('%'))
            continue;
        if (const auto key = yamlKey(line))
            out.append({1, oneLine(*key), i});
    }
    return out;
}

namespace {

// Reads TOML far enough to know where a line starts outside strings and
// arrays, which is the only place a table header can be.
class TOMLScan {
public:
    explicit TOMLScan(const QString& text) : s_(text) {}

    QList<OutlineEntry> run()
    {
        QList<OutlineEntry> out;
        int line = 0;
        qsizetype i = 0;
        while (i < s_.size()) {
            // At the start of a line.
            if (!inMultiline_ && depth_ == 0) {
                qsizetype j = i;
                while (j < s_.size() && (s_[j] == QLatin1Char(' ') || s_[j] == QLatin1Char('\t')))
                    ++j;
                if (j < s_.size() && s_[j] == QLatin1Char('[')) {
                    if (auto e = header(j, line))
                        out.append(*e);
                    i = skipLine(j);
                    ++line;
                    continue;
                }
            }
            i = scanLine(i);
            ++line;
        }
        return out;
    }

private:
    qsizetype skipLine(qsizetype i) const
    {
        const qsizetype nl = s_.indexOf(QLatin1Char('\n'), i);
        return nl < 0 ? s_.size() : nl + 1;
    }

    // [a . "b.c"] or [[a.b]] starting at i; the title keeps the key as written.
    std::optional<OutlineEntry> header(qsizetype i, int line) const
    {
        const bool array = i + 1 < s_.size() && s_[i + 1] == QLatin1Char('[');
        qsizetype k = i + (array ? 2 : 1);
        QString key;
        int parts = 1;
        QChar quote;
        for (; k < s_.size() && s_[k] != QLatin1Char('\n'); ++k) {
            const QChar c = s_[k];
            if (!quote.isNull()) {
                if (quote == QLatin1Char('"') && c == QLatin1Char('\\') && k + 1 < s_.size()) {
                    key += c;
                    key += s_[++k];
                    continue;
                }
                if (c == quote)
                    quote = QChar();
                key += c;
                continue;
            }
            if (c == QLatin1Char(']'))
                break;
            if (c == QLatin1Char('"') || c == QLatin1Char('\''))
                quote = c;
            else if (c == QLatin1Char('.'))
                ++parts;
            key += c;
        }
        if (k >= s_.size() || s_[k] != QLatin1Char(']'))
            return std::nullopt;
        // "a . b" reads as a.b.
        QStringList segments;
        QString segment;
        quote = QChar();
        for (const QChar c : key) {
            if (quote.isNull() && c == QLatin1Char('.')) {
                segments << segment.trimmed();
                segment.clear();
                continue;
            }
            if (c == QLatin1Char('"') || c == QLatin1Char('\''))
                quote = quote.isNull() ? c : (quote == c ? QChar() : quote);
            segment += c;
        }
        segments << segment.trimmed();
        const QString title = segments.join(QLatin1Char('.'));
        if (title.isEmpty())
            return std::nullopt;
        return OutlineEntry{std::min(parts, maxLevel),
                            oneLine(array ? QStringLiteral("[[") + title + QStringLiteral("]]") : title), line};
    }

    // Past one line of keys and values, keeping string and bracket state.
    qsizetype scanLine(qsizetype i)
    {
        while (i < s_.size()) {
            const QChar c = s_[i];
            if (inMultiline_) {
                if (c == QLatin1Char('\\') && multiQuote_ == QLatin1Char('"')) {
                    i += 2;
                    continue;
                }
                if (c == multiQuote_ && s_.mid(i, 3) == QString(3, multiQuote_)) {
                    inMultiline_ = false;
                    i += 3;
                    // """" and """"": quotes right before the closing ones belong to the string.
                    while (i < s_.size() && s_[i] == multiQuote_)
                        ++i;
                    continue;
                }
                if (c == QLatin1Char('\n'))
                    return i + 1;
                ++i;
                continue;
            }
            if (c == QLatin1Char('\n'))
                return i + 1;
            if (c == QLatin1Char('#'))
                return skipLine(i);
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                if (s_.mid(i, 3) == QString(3, c)) {
                    inMultiline_ = true;
                    multiQuote_ = c;
                    i += 3;
                    continue;
                }
                // A one-line string ends at its quote or, broken, at the line's end.
                ++i;
                while (i < s_.size() && s_[i] != c && s_[i] != QLatin1Char('\n')) {
                    if (c == QLatin1Char('"') && s_[i] == QLatin1Char('\\'))
                        ++i;
                    ++i;
                }
                if (i < s_.size() && s_[i] == c)
                    ++i;
                continue;
            }
            if (c == QLatin1Char('[') || c == QLatin1Char('{'))
                ++depth_;
            else if ((c == QLatin1Char(']') || c == QLatin1Char('}')) && depth_ > 0)
                --depth_;
            ++i;
        }
        return i;
    }

    const QString& s_;
    bool inMultiline_ = false;
    QChar multiQuote_;
    int depth_ = 0;
};

}

QList<OutlineEntry> toml(const QString& text) { return TOMLScan(text).run(); }

QList<OutlineEntry> entries(const QString& formatID, const QString& text)
{
    if (formatID == QLatin1String("markdown"))
        return markdown(text);
    if (formatID == QLatin1String("yaml"))
        return yaml(text);
    if (formatID == QLatin1String("toml"))
        return toml(text);
    return {};
}

int entryAt(const QList<OutlineEntry>& entries, int line)
{
    int found = -1;
    for (int i = 0; i < entries.size() && entries[i].line <= line; ++i)
        found = i;
    return found;
}

}
