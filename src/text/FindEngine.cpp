#include "text/FindEngine.h"

#include <unicode/uregex.h>

FindExpression::FindExpression(FindExpression&& o) noexcept
    : state_(o.state_), pattern_(std::move(o.pattern_)), re_(o.re_), stop_(o.stop_)
{
    o.re_ = nullptr;
    o.state_ = State::empty;
}

FindExpression& FindExpression::operator=(FindExpression&& o) noexcept
{
    if (this != &o) {
        if (re_)
            uregex_close(re_);
        state_ = o.state_;
        pattern_ = std::move(o.pattern_);
        re_ = o.re_;
        stop_ = o.stop_;
        o.re_ = nullptr;
        o.state_ = State::empty;
    }
    return *this;
}

FindExpression::~FindExpression()
{
    if (re_)
        uregex_close(re_);
}

namespace {
const UChar* u16(const QString& s) { return reinterpret_cast<const UChar*>(s.utf16()); }
// Empty strings have no buffer guarantee in every Qt version; ICU wants one.
const UChar emptyBuffer[1] = {0};
const UChar* u16OrEmpty(const QString& s) { return s.isEmpty() ? emptyBuffer : u16(s); }
}

void FindExpression::listenForStop() const
{
    if (!stop_)
        return;
    // ICU asks now and then during one long find; false ends it.
    UErrorCode status = U_ZERO_ERROR;
    uregex_setFindProgressCallback(
        re_,
        [](const void* flag, int64_t) -> UBool {
            return !static_cast<const std::atomic<bool>*>(flag)->load(std::memory_order_relaxed);
        },
        stop_, &status);
}

std::vector<TextRange> FindExpression::matches(const QString& text) const
{
    std::vector<TextRange> out;
    if (!re_)
        return out;
    listenForStop();
    UErrorCode status = U_ZERO_ERROR;
    uregex_setText(re_, u16OrEmpty(text), int32_t(text.size()), &status);
    while (U_SUCCESS(status) && !stopped() && uregex_findNext(re_, &status)) {
        const int32_t s = uregex_start(re_, 0, &status);
        const int32_t e = uregex_end(re_, 0, &status);
        if (U_FAILURE(status))
            break;
        if (e > s)
            out.push_back({int(s), int(e - s)});
    }
    UErrorCode reset = U_ZERO_ERROR;
    uregex_setText(re_, emptyBuffer, 0, &reset);
    return out;
}

namespace {
// Expands an ICU replacement template for the current match: "\c" is the
// character c, "$n" capture group n (digits taken while the number names a
// group), "${name}" a named group; any other "$" is literal.
void appendExpanded(QString& out, URegularExpression* re, const QString& text, const QString& tmpl, int32_t groups)
{
    UErrorCode status = U_ZERO_ERROR;
    auto group = [&](int32_t g) {
        const int32_t s = uregex_start(re, g, &status);
        const int32_t e = uregex_end(re, g, &status);
        if (U_SUCCESS(status) && s >= 0)
            out.append(QStringView(text).mid(s, e - s));
        status = U_ZERO_ERROR;
    };
    const int n = int(tmpl.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = tmpl.at(i);
        if (c == QLatin1Char('\\') && i + 1 < n) {
            out.append(tmpl.at(++i));
        } else if (c == QLatin1Char('$') && i + 1 < n && tmpl.at(i + 1).isDigit() && tmpl.at(i + 1).unicode() < 128) {
            int32_t g = tmpl.at(i + 1).unicode() - '0';
            int j = i + 2;
            while (j < n && tmpl.at(j).unicode() >= '0' && tmpl.at(j).unicode() <= '9') {
                const int32_t next = g * 10 + (tmpl.at(j).unicode() - '0');
                if (next > groups)
                    break;
                g = next;
                ++j;
            }
            if (g <= groups)
                group(g);
            i = j - 1;
        } else if (c == QLatin1Char('$') && i + 1 < n && tmpl.at(i + 1) == QLatin1Char('{')) {
            const int close = tmpl.indexOf(QLatin1Char('}'), i + 2);
            if (close < 0) {
                out.append(c);
                continue;
            }
            const QString name = tmpl.mid(i + 2, close - i - 2);
            const int32_t g = uregex_groupNumberFromName(re, u16OrEmpty(name), int32_t(name.size()), &status);
            if (U_SUCCESS(status))
                group(g);
            else
                out.append(QStringView(tmpl).mid(i, close - i + 1));
            status = U_ZERO_ERROR;
            i = close;
        } else {
            out.append(c);
        }
    }
}
}

std::vector<FindExpression::Replacement> FindExpression::replacements(const QString& text, const QString& tmpl) const
{
    std::vector<Replacement> out;
    if (!re_)
        return out;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t groups = uregex_groupCount(re_, &status);
    listenForStop();
    uregex_setText(re_, u16OrEmpty(text), int32_t(text.size()), &status);
    while (U_SUCCESS(status) && !stopped() && uregex_findNext(re_, &status)) {
        const int32_t s = uregex_start(re_, 0, &status);
        const int32_t e = uregex_end(re_, 0, &status);
        if (U_FAILURE(status) || e <= s)
            continue;
        Replacement r{{int(s), int(e - s)}, QString()};
        appendExpanded(r.text, re_, text, tmpl, groups);
        out.push_back(std::move(r));
    }
    UErrorCode reset = U_ZERO_ERROR;
    uregex_setText(re_, emptyBuffer, 0, &reset);
    return out;
}

QString FindExpression::replaceAll(const QString& text, const QString& tmpl) const
{
    // Empty matches are never counted, so they are never replaced either.
    return apply(text, replacements(text, tmpl));
}

QString FindExpression::apply(const QString& text, const std::vector<Replacement>& reps)
{
    if (reps.empty())
        return text;
    QString out;
    out.reserve(text.size() + 16);
    int last = 0;
    for (const Replacement& r : reps) {
        out.append(QStringView(text).mid(last, r.range.start - last));
        out.append(r.text);
        last = r.range.end();
    }
    out.append(QStringView(text).mid(last));
    return out;
}

namespace FindEngine {

QString unescape(const QString& s)
{
    QString out;
    out.reserve(s.size());
    const int n = int(s.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = s.at(i);
        if (c != QLatin1Char('\\') || i + 1 == n) {
            out.append(c);
            continue;
        }
        const QChar d = s.at(i + 1);
        switch (d.unicode()) {
        case 'n': out.append(QLatin1Char('\n')); break;
        case 'r': out.append(QLatin1Char('\r')); break;
        case 't': out.append(QLatin1Char('\t')); break;
        case '\\': out.append(QLatin1Char('\\')); break;
        default: out.append(c).append(d); break;
        }
        ++i;
    }
    return out;
}

QString literalPattern(const QString& s)
{
    // ICU treats a backslash before any non-letter, non-digit ASCII
    // character as that character; quoting all of them is always safe,
    // also where \Q…\E would end early on a literal "\E".
    QString out;
    out.reserve(s.size() * 2);
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u < 128 && u > 32 && !c.isLetterOrNumber())
            out.append(QLatin1Char('\\'));
        out.append(c);
    }
    return out;
}

QString literalTemplate(const QString& s)
{
    QString out;
    out.reserve(s.size() + 8);
    for (QChar c : s) {
        if (c == QLatin1Char('$') || c == QLatin1Char('\\'))
            out.append(QLatin1Char('\\'));
        out.append(c);
    }
    return out;
}

QString patternFor(const FindOptions& o)
{
    if (o.query.isEmpty())
        return QString();
    QString p = o.useRegex ? o.query : literalPattern(unescape(o.query));
    if (o.wholeWord)
        p = QStringLiteral("\\b(?:") + p + QStringLiteral(")\\b");
    return p;
}

}

FindExpression buildExpression(const FindOptions& o)
{
    FindExpression x;
    x.pattern_ = FindEngine::patternFor(o);
    if (x.pattern_.isEmpty())
        return x;
    uint32_t flags = UREGEX_MULTILINE;
    if (!o.caseSensitive)
        flags |= UREGEX_CASE_INSENSITIVE;
    UErrorCode status = U_ZERO_ERROR;
    UParseError pe;
    URegularExpression* re = uregex_open(u16(x.pattern_), int32_t(x.pattern_.size()), flags, &pe, &status);
    if (U_FAILURE(status)) {
        if (re)
            uregex_close(re);
        x.state_ = FindExpression::State::invalid;
        return x;
    }
    x.re_ = re;
    x.state_ = FindExpression::State::ready;
    return x;
}

namespace FindEngine {

FindExpression regex(const FindOptions& o) { return buildExpression(o); }

QString replaceTemplate(const QString& replaceText, bool useRegex)
{
    QString t = unescape(replaceText);
    if (useRegex) {
        t.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        return t;
    }
    return literalTemplate(t);
}

}
