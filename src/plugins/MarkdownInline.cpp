#include "plugins/Markdown.h"

#include "plugins/HTML.h"
#include "plugins/HTMLSanitizer.h"
#include "plugins/MarkdownChars.h"
#include "plugins/MarkdownFinder.h"

#include <QHash>
#include <vector>

// Inline Markdown as a fixed sequence of single forward scans over one
// block's text. Code spans and raw HTML are set aside first; links, images,
// bare URLs and autolinks become opaque pieces of generated markup before
// emphasis runs, so no later step ever looks inside a URL or an attribute.
// The pieces are written out last, with their attribute values escaped.
namespace Markdown {

namespace {

using namespace MarkdownChars;

// In the working text a set-aside piece is mark, decimal index, mark.
constexpr char16_t codeMark = 1;   // a rendered code span
constexpr char16_t rawMark = 2;    // sanitised raw HTML, an entity or a control character
constexpr char16_t tagMark = 3;    // generated markup
constexpr char16_t tagEndsLine = 4; // generated markup holding a line break, which "." never spans

// Bits for the characters steps start from: the marks and ` < & > " ] ( ! : * _ ~.
constexpr bool special(char16_t u)
{
    return (u >= codeMark && u <= tagEndsLine) || u == u'`' || u == u'<' || u == u'&' || u == u'>' || u == u'"'
           || u == u']' || u == u'(' || u == u'!' || u == u':' || u == u'*' || u == u'_' || u == u'~';
}

constexpr unsigned bit(char16_t u)
{
    switch (u) {
    case u'`': return 1u << 5;
    case u'<': return 1u << 6;
    case u'&': return 1u << 7;
    case u'>': return 1u << 8;
    case u'"': return 1u << 9;
    case u']': return 1u << 10;
    case u'(': return 1u << 11;
    case u'!': return 1u << 12;
    case u':': return 1u << 13;
    case u'*': return 1u << 14;
    case u'_': return 1u << 15;
    case u'~': return 1u << 16;
    default: return 1u << u;  // the marks, 1 to 4
    }
}

bool isMark(QChar c) { return c.unicode() >= codeMark && c.unicode() <= tagEndsLine; }
bool isTagMark(QChar c) { return c.unicode() == tagMark || c.unicode() == tagEndsLine; }
bool blank(QStringView s, qsizetype i) { return isSpace(s[i].unicode()); }

void appendSlot(QString& out, char16_t mark, qsizetype index)
{
    out += QChar(mark);
    out += QString::number(index);
    out += QChar(mark);
}

// The index of the slot whose first mark is at i; end is set past its closing mark.
qsizetype slotAt(QStringView s, qsizetype i, qsizetype& end)
{
    qsizetype k = i + 1, v = 0;
    while (k < s.size() && s[k] != s[i])
        v = v * 10 + (s[k++].unicode() - u'0');
    end = k + 1;
    return v;
}

struct Tag {
    enum Kind { image, link, url, autolink } kind;
    QString first;  // image alt, link href, the URL
    QString second; // image src
};

class Renderer {
public:
    void render(QString& out, QStringView view)
    {
        // Which of the characters the steps start from occur at all; a step
        // whose character is absent would change nothing, and none of the
        // steps adds one of them.
        unsigned present = 0;
        for (QChar c : view) {
            const char16_t u = c.unicode();
            if (u < 128 && special(u))
                present |= bit(u);
        }
        if (!present) {
            out += view;
            return;
        }
        QString s = view.toString();
        if (present & (bit(codeMark) | bit(rawMark))) {
            // The slot marks are invisible control characters; typed ones
            // must not pull stored pieces into the wrong place.
            s.remove(QChar(codeMark));
            s.remove(QChar(rawMark));
        }
        if (present & bit(u'`'))
            s = codeSpans(s);
        if (present & (bit(u'<') | bit(u'&') | bit(u'>') | bit(u'"') | bit(tagMark) | bit(tagEndsLine)))
            s = rawAndEscape(s);
        if ((present & bit(u']')) && (present & bit(u'('))) {
            if (present & bit(u'!'))
                s = bracketed(s, true);
            s = bracketed(s, false);
        }
        if (present & bit(u':'))
            s = bareURLs(s);
        if (present & bit(u'*'))
            s = doubled(s, u'*', "strong");
        if (present & bit(u'_'))
            s = doubled(s, u'_', "strong");
        if (present & bit(u'*'))
            s = flanked(s, u'*');
        if (present & bit(u'_'))
            s = flanked(s, u'_');
        if (present & bit(u'~'))
            s = doubled(s, u'~', "del");
        out.reserve(out.size() + s.size() + s.size() / 4);
        write(out, s, false);
    }

private:
    QStringList code, raw;
    std::vector<Tag> tags;
    // The same tag is often repeated (<br>, </b>); it is cleaned once.
    QHash<QString, QString> cleaned;

    // `text` with one or more characters other than a backtick.
    QString codeSpans(const QString& text)
    {
        QString out;
        qsizetype copied = 0;
        for (qsizetype p = text.indexOf(u'`'); p >= 0;) {
            const qsizetype q = text.indexOf(u'`', p + 1);
            if (q < 0)
                break;
            if (q == p + 1) {
                p = q;
                continue;
            }
            out += QStringView(text).mid(copied, p - copied);
            code << QStringLiteral("<code>") + HTML::esc(text.mid(p + 1, q - p - 1)) + QStringLiteral("</code>");
            appendSlot(out, codeMark, code.size() - 1);
            copied = q + 1;
            p = text.indexOf(u'`', copied);
        }
        if (copied == 0)
            return text;
        out += QStringView(text).mid(copied);
        return out;
    }

    // Comments, tags and character references are kept (sanitised); <http…>
    // autolinks become generated links; everything else is escaped.
    QString rawAndEscape(const QString& text)
    {
        const QStringView s(text);
        const qsizetype n = s.size();
        auto commentClose = markdownFinder(s, [s](qsizetype j) { return s.mid(j, 3) == QLatin1String("-->"); });
        auto angle = markdownFinder(s, [s](qsizetype j) { return s[j] == u'<' || s[j] == u'>'; });
        QString out;
        out.reserve(n + n / 8);
        qsizetype run = 0;
        const auto keep = [&](qsizetype from, qsizetype to, char16_t mark, bool clean) {
            out += s.mid(run, from - run);
            const QString piece = text.mid(from, to - from);
            if (!clean) {
                raw << piece;
            } else {
                auto it = cleaned.find(piece);
                if (it == cleaned.end())
                    it = cleaned.insert(piece, sanitize(piece));
                raw << *it;
            }
            appendSlot(out, mark, raw.size() - 1);
            run = to;
        };
        for (qsizetype i = 0; i < n;) {
            const char16_t c = s[i].unicode();
            if (c == u'<') {
                if (s.mid(i, 4) == QLatin1String("<!--")) {
                    const qsizetype close = commentClose(i + 4);
                    if (close < n) {
                        keep(i, close + 3, rawMark, true);
                        i = close + 3;
                        continue;
                    }
                }
                if (const qsizetype end = autolinkEnd(s, i); end > 0) {
                    out += s.mid(run, i - run);
                    tags.push_back({Tag::autolink, text.mid(i + 1, end - i - 2), {}});
                    appendSlot(out, tagMark, qsizetype(tags.size()) - 1);
                    run = i = end;
                    continue;
                }
                if (const qsizetype end = tagEnd(s, i, angle); end > 0) {
                    keep(i, end, rawMark, true);
                    i = end;
                    continue;
                }
            } else if (c == u'&') {
                if (const qsizetype end = referenceEnd(s, i); end > 0) {
                    // A reference alone holds no markup, so it needs no cleaning.
                    keep(i, end, rawMark, false);
                    i = end;
                    continue;
                }
            } else if (c == tagMark || c == tagEndsLine) {
                // Typed control characters that look like our marks travel as raw pieces.
                keep(i, i + 1, rawMark, false);
                ++i;
                continue;
            } else if (c != u'>' && c != u'"') {
                ++i;
                continue;
            }
            out += s.mid(run, i - run);
            out += c == u'<' ? QLatin1String("&lt;") : c == u'&' ? QLatin1String("&amp;")
                 : c == u'>' ? QLatin1String("&gt;") : QLatin1String("&quot;");
            run = ++i;
        }
        out += s.mid(run);
        return out;
    }

    static qsizetype autolinkEnd(QStringView s, qsizetype i)
    {
        qsizetype j = i + 1;
        const auto lower = [&](qsizetype k) { return k < s.size() ? QChar(s[k]).toLower() : QChar(); };
        if (lower(j) != u'h' || lower(j + 1) != u't' || lower(j + 2) != u't' || lower(j + 3) != u'p')
            return -1;
        j += 4;
        if (lower(j) == u's')
            ++j;
        if (s.mid(j, 3) != QLatin1String("://"))
            return -1;
        j += 3;
        const qsizetype start = j;
        while (j < s.size() && s[j] != u'>' && s[j] != u'<' && s[j].unicode() > 0x20 && s[j].unicode() != 0x7F && !blank(s, j))
            ++j;
        return j > start && j < s.size() && s[j] == u'>' ? j + 1 : -1;
    }

    // An opening, closing or self-closing tag: </?name then ">" or "/>", or a
    // blank and anything up to the next ">" with no "<" before it.
    template <class Angle>
    static qsizetype tagEnd(QStringView s, qsizetype i, Angle& angle)
    {
        const qsizetype n = s.size();
        qsizetype j = i + 1;
        if (j < n && s[j] == u'/')
            ++j;
        const auto letter = [&](qsizetype k) {
            const char16_t c = s[k].unicode();
            return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        };
        if (j >= n || !letter(j))
            return -1;
        ++j;
        while (j < n && (letter(j) || (s[j] >= u'0' && s[j] <= u'9') || s[j] == u'-'))
            ++j;
        if (j >= n)
            return -1;
        if (blank(s, j)) {
            const qsizetype k = angle(j + 1);
            return k < n && s[k] == u'>' ? k + 1 : -1;
        }
        if (s[j] == u'>')
            return j + 1;
        return s[j] == u'/' && j + 1 < n && s[j + 1] == u'>' ? j + 2 : -1;
    }

    static qsizetype referenceEnd(QStringView s, qsizetype i)
    {
        const qsizetype n = s.size();
        qsizetype j = i + 1;
        const auto letter = [&](qsizetype k) {
            const char16_t c = s[k].unicode();
            return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        };
        if (j < n && letter(j)) {
            while (j < n && (letter(j) || (s[j] >= u'0' && s[j] <= u'9')))
                ++j;
            return j < n && s[j] == u';' ? j + 1 : -1;
        }
        if (j >= n || s[j] != u'#')
            return -1;
        ++j;
        const qsizetype digits = j;
        while (j < n && isDigit(at(s, j)))
            j += width(at(s, j));
        if (j > digits)
            return j < n && s[j] == u';' ? j + 1 : -1;
        if (j >= n || s[j] != u'x')
            return -1;
        const qsizetype hex = ++j;
        while (j < n && s[j].unicode() < 128 && isxdigit(s[j].unicode()))
            ++j;
        return j > hex && j < n && s[j] == u';' ? j + 1 : -1;
    }

    // A URL is judged with its character references back in place: they were
    // set aside as raw pieces and would otherwise hide "javascript:".
    QString checkedURL(const QString& u) const
    {
        QString plain;
        const QStringView v(u);
        for (qsizetype i = 0; i < v.size();) {
            if (v[i] == QChar(rawMark)) {
                qsizetype end;
                plain += raw[slotAt(v, i, end)];
                i = end;
            } else {
                plain += v[i++];
            }
        }
        return HTMLSanitizer::safeURL(plain) == QLatin1String("#") ? QStringLiteral("#") : u;
    }

    // Images ![alt](src "title") and links [text](href "title"); the title is dropped.
    QString bracketed(const QString& text, bool images)
    {
        const QStringView s(text);
        const qsizetype n = s.size();
        auto closeBracket = markdownFinder(s, [s](qsizetype j) { return s[j] == u']'; });
        auto urlEnd = markdownFinder(s, [s](qsizetype j) { return s[j] == u')' || isTagMark(s[j]) || blank(s, j); });
        auto nextAmp = markdownFinder(s, [s](qsizetype j) { return s[j] == u'&'; });
        auto nonBlank = markdownFinder(s, [s](qsizetype j) { return !blank(s, j); });
        const QLatin1String quot("&quot;");
        QString out;
        qsizetype copied = 0;
        const char16_t lead = images ? u'!' : u'[';
        for (qsizetype p = s.indexOf(QChar(lead)); p >= 0 && p < n; p = s.indexOf(QChar(lead), p)) {
            const qsizetype open = images ? p + 1 : p;
            if (open + 1 >= n || s[open] != u'[' || (!images && s[open + 1] == u']')) {
                ++p;
                continue;
            }
            const qsizetype q = closeBracket(open + 1);
            if (q >= n)
                break;
            qsizetype end = -1, r = -1;
            if (q + 1 < n && s[q + 1] == u'(') {
                r = urlEnd(q + 2);
                if (r > q + 2 && r < n) {
                    if (s[r] == u')') {
                        end = r + 1;
                    } else if (!isTagMark(s[r])) {
                        const qsizetype t = nonBlank(r);
                        if (s.mid(t, 6) == quot) {
                            const qsizetype a = nextAmp(t + 6);
                            if (s.mid(a, 6) == quot && a + 6 < n && s[a + 6] == u')')
                                end = a + 7;
                        }
                    }
                }
            }
            if (end < 0) {
                ++p;
                continue;
            }
            out += s.mid(copied, p - copied);
            const QString label = text.mid(open + 1, q - open - 1);
            const QString target = checkedURL(text.mid(q + 2, r - q - 2));
            if (images) {
                bool breaks = false;
                for (QChar c : label)
                    breaks = breaks || c.unicode() == tagEndsLine || isLineEnd(c.unicode());
                tags.push_back({Tag::image, label, target});
                appendSlot(out, breaks ? tagEndsLine : tagMark, qsizetype(tags.size()) - 1);
            } else {
                tags.push_back({Tag::link, target, {}});
                appendSlot(out, tagMark, qsizetype(tags.size()) - 1);
                out += label;
                out += QLatin1String("</a>");
            }
            copied = p = end;
        }
        if (copied == 0)
            return text;
        out += s.mid(copied);
        return out;
    }

    // http:// and https:// addresses not glued to a word, a quote or "=";
    // the last character is not sentence punctuation or ")".
    QString bareURLs(const QString& text)
    {
        const QStringView s(text);
        const qsizetype n = s.size();
        auto runEnd = markdownFinder(s, [s](qsizetype j) { return s[j] == u'<' || isTagMark(s[j]) || blank(s, j); });
        QString out;
        qsizetype copied = 0;
        for (qsizetype p = s.indexOf(QLatin1String("http")); p >= 0; p = s.indexOf(QLatin1String("http"), p)) {
            qsizetype a = p + 4;
            if (a < n && s[a] == u's')
                ++a;
            if (s.mid(a, 3) != QLatin1String("://")) {
                ++p;
                continue;
            }
            a += 3;
            if (p > 0) {
                const char32_t b = before(s, p);
                if (b == u'"' || b == u'=' || isWord(b)) {
                    ++p;
                    continue;
                }
            }
            qsizetype m = -1;
            for (qsizetype k = runEnd(a); k > a;) {
                const char32_t c = before(s, k);
                const qsizetype start = k - width(c);
                if (start <= a)
                    break;
                if (!(c == u'.' || c == u',' || c == u';' || c == u':' || c == u'!' || c == u'?' || c == u')')) {
                    m = k;
                    break;
                }
                k = start;
            }
            if (m < 0) {
                ++p;
                continue;
            }
            out += s.mid(copied, p - copied);
            tags.push_back({Tag::url, text.mid(p, m - p), {}});
            appendSlot(out, tagMark, qsizetype(tags.size()) - 1);
            copied = p = m;
        }
        if (copied == 0)
            return text;
        out += s.mid(copied);
        return out;
    }

    // "." stops at line breaks and at generated markup holding one.
    static bool breaksLine(QChar c) { return c.unicode() == tagEndsLine || isLineEnd(c.unicode()); }

    // mark mark (non-blank) … (non-blank) mark mark, shortest first.
    static QString doubled(const QString& text, char16_t mark, const char* tag)
    {
        const QStringView s(text);
        const qsizetype n = s.size();
        const QChar m(mark);
        const char16_t pair[2] = {mark, mark};
        if (!s.contains(QStringView(pair, 2)))
            return text;
        auto closer = markdownFinder(s, [s, m, n](qsizetype e) {
            return s[e] == m && e + 1 < n && s[e + 1] == m && e > 0 && !blank(s, e - 1);
        });
        auto lineBreak = markdownFinder(s, [s](qsizetype j) { return breaksLine(s[j]); });
        const QString open = u'<' + QLatin1String(tag) + u'>', close = QStringLiteral("</") + QLatin1String(tag) + u'>';
        QString out;
        qsizetype copied = 0;
        for (qsizetype p = s.indexOf(m); p >= 0 && p + 2 < n; p = s.indexOf(m, p)) {
            if (s[p + 1] != m || blank(s, p + 2)) {
                ++p;
                continue;
            }
            const qsizetype e = closer(p + 3);
            if (e >= n || lineBreak(p + 2) < e) {
                ++p;
                continue;
            }
            out += s.mid(copied, p - copied);
            out += open;
            out += s.mid(p + 2, e - p - 2);
            out += close;
            copied = p = e + 2;
        }
        if (copied == 0)
            return text;
        out += s.mid(copied);
        return out;
    }

    // A single mark not touching another mark or a word character outside,
    // non-blank inside: <em>.
    static QString flanked(const QString& text, char16_t mark)
    {
        const QStringView s(text);
        const qsizetype n = s.size();
        const QChar m(mark);
        const auto outside = [&](char32_t c) { return c != mark && !isWord(c); };
        auto closer = markdownFinder(s, [s, m, n, outside](qsizetype e) {
            return s[e] == m && !blank(s, e - 1) && (e + 1 >= n || outside(at(s, e + 1)));
        });
        auto lineBreak = markdownFinder(s, [s](qsizetype j) { return breaksLine(s[j]); });
        QString out;
        qsizetype copied = 0;
        for (qsizetype p = s.indexOf(m); p >= 0 && p + 1 < n; p = s.indexOf(m, p)) {
            if ((p > 0 && !outside(before(s, p))) || blank(s, p + 1)) {
                ++p;
                continue;
            }
            const qsizetype e = closer(p + 2);
            if (e >= n || lineBreak(p + 1) < e) {
                ++p;
                continue;
            }
            out += s.mid(copied, p - copied);
            out += QLatin1String("<em>");
            out += s.mid(p + 1, e - p - 1);
            out += QLatin1String("</em>");
            copied = p = e + 1;
        }
        if (copied == 0)
            return text;
        out += s.mid(copied);
        return out;
    }

    // Set-aside pieces back in place. Inside an attribute value the double
    // quote is escaped last, so nothing restored can end the attribute.
    void write(QString& out, QStringView s, bool attribute) const
    {
        const qsizetype from = out.size();
        qsizetype run = 0;
        for (qsizetype i = 0; i < s.size();) {
            if (!isMark(s[i])) {
                ++i;
                continue;
            }
            out += s.mid(run, i - run);
            qsizetype end;
            const qsizetype k = slotAt(s, i, end);
            switch (s[i].unicode()) {
            case codeMark: out += code[k]; break;
            case rawMark: restoreCode(out, raw[k]); break;
            default: writeTag(out, tags[size_t(k)], attribute); break;
            }
            run = i = end;
        }
        out += s.mid(run);
        if (attribute && out.indexOf(u'"', from) >= 0) {
            QString value = out.mid(from);
            value.replace(u'"', QLatin1String("&quot;"));
            out.truncate(from);
            out += value;
        }
    }

    // Raw pieces may hold code spans (a tag's attribute can be one) but
    // nothing else of ours: their other control characters are the user's.
    void restoreCode(QString& out, QStringView s) const
    {
        qsizetype run = 0;
        for (qsizetype i = s.indexOf(QChar(codeMark)); i >= 0; i = s.indexOf(QChar(codeMark), run)) {
            out += s.mid(run, i - run);
            qsizetype end;
            out += code[slotAt(s, i, end)];
            run = end;
        }
        out += s.mid(run);
    }

    void writeTag(QString& out, const Tag& tag, bool attribute) const
    {
        switch (tag.kind) {
        case Tag::image:
            out += QLatin1String("<img alt=\"");
            write(out, tag.first, true);
            out += QLatin1String("\" src=\"");
            write(out, tag.second, true);
            out += QLatin1String("\">");
            return;
        case Tag::link:
            out += QLatin1String("<a href=\"");
            write(out, tag.first, true);
            out += QLatin1String("\">");
            return;
        case Tag::url:
            out += QLatin1String("<a href=\"");
            write(out, tag.first, true);
            out += QLatin1String("\">");
            write(out, tag.first, false);
            out += QLatin1String("</a>");
            return;
        case Tag::autolink:
            if (attribute) {
                HTML::appendEsc(out, tag.first);
                return;
            }
            out += QLatin1String("<a href=\"");
            HTML::appendEsc(out, tag.first);
            out += QLatin1String("\">");
            HTML::appendEsc(out, tag.first);
            out += QLatin1String("</a>");
            return;
        }
    }
};

}

void appendInline(QString& out, QStringView text)
{
    Renderer().render(out, text);
}

QString inlineHTML(const QString& text)
{
    QString out;
    appendInline(out, text);
    return out;
}

}
