#include "plugins/Regex.h"

#include "plugins/AnalysisBudget.h"

#include <memory>
#include <unicode/uregex.h>
#include <unordered_map>

namespace Regex {

namespace {

struct Closer {
    void operator()(URegularExpression* re) const { uregex_close(re); }
};
using Compiled = std::unique_ptr<URegularExpression, Closer>;

struct Hash {
    size_t operator()(const QString& s) const { return qHash(s); }
};

// A compiled matcher is stateful, so each thread keeps its own; a failed
// compilation is remembered as null.
URegularExpression* compiled(const QString& pattern)
{
    thread_local std::unordered_map<QString, Compiled, Hash> cache;
    auto it = cache.find(pattern);
    if (it == cache.end()) {
        UErrorCode status = U_ZERO_ERROR;
        UParseError pe;
        URegularExpression* re = uregex_open(reinterpret_cast<const UChar*>(pattern.utf16()), int32_t(pattern.size()),
                                             0, &pe, &status);
        if (U_FAILURE(status)) {
            if (re)
                uregex_close(re);
            re = nullptr;
        }
        // Patterns come from plugin code, not users, so the cache stays small;
        // bound it anyway.
        if (cache.size() > 256)
            cache.clear();
        it = cache.emplace(pattern, Compiled(re)).first;
    }
    return it->second.get();
}

QStringList groupsOf(URegularExpression* re, const QString& text, UErrorCode& status)
{
    const int32_t count = uregex_groupCount(re, &status);
    QStringList groups;
    groups.reserve(count + 1);
    for (int32_t g = 0; g <= count; ++g) {
        const int32_t s = uregex_start(re, g, &status);
        const int32_t e = uregex_end(re, g, &status);
        groups << (s < 0 || U_FAILURE(status) ? QString() : text.mid(s, e - s));
    }
    return groups;
}

// Binds text for the duration of one operation and unbinds afterwards so
// the cached matcher never points at a freed buffer.
struct Binding {
    URegularExpression* re;
    Binding(URegularExpression* r, const QString& text, UErrorCode& status) : re(r)
    {
        uregex_setText(re, reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()), &status);
    }
    ~Binding()
    {
        static const UChar empty[1] = {0};
        UErrorCode s = U_ZERO_ERROR;
        uregex_setText(re, empty, 0, &s);
    }
};

// Inside a background analysis a long match stops at the analysis deadline:
// ICU calls back every few thousand steps and gives up when told to.
UBool U_CALLCONV keepMatching(const void*, int32_t)
{
    try {
        AnalysisBudget::pollNow();
    } catch (const AnalysisBudget::Expired&) {
        return false;
    }
    return true;
}

struct Watch {
    URegularExpression* re;
    bool on;
    explicit Watch(URegularExpression* r) : re(r), on(AnalysisBudget::active())
    {
        if (on) {
            UErrorCode s = U_ZERO_ERROR;
            uregex_setMatchCallback(re, keepMatching, nullptr, &s);
        }
    }
    ~Watch()
    {
        if (on) {
            UErrorCode s = U_ZERO_ERROR;
            uregex_setMatchCallback(re, nullptr, nullptr, &s);
        }
    }
    // A match stopped by the deadline ends the analysis rather than reading as "no match".
    static void rethrow(UErrorCode status)
    {
        if (status == U_REGEX_STOPPED_BY_CALLER)
            AnalysisBudget::pollNow();
    }
};

}

std::optional<QStringList> firstMatch(const QString& text, const QString& pattern)
{
    URegularExpression* re = compiled(pattern);
    if (!re)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    Binding bind(re, text, status);
    Watch watch(re);
    const bool found = U_SUCCESS(status) && uregex_find(re, 0, &status);
    Watch::rethrow(status);
    if (!found || U_FAILURE(status))
        return std::nullopt;
    QStringList groups = groupsOf(re, text, status);
    if (U_FAILURE(status))
        return std::nullopt;
    return groups;
}

bool reMatches(const QString& text, const QString& pattern) { return firstMatch(text, pattern).has_value(); }

QString reReplace(const QString& text, const QString& pattern,
                  const std::function<QString(const QStringList&)>& transform)
{
    URegularExpression* re = compiled(pattern);
    if (!re)
        return text;
    UErrorCode status = U_ZERO_ERROR;
    Binding bind(re, text, status);
    if (U_FAILURE(status))
        return text;
    Watch watch(re);
    QString out;
    int32_t copied = 0;
    bool any = false;
    while (uregex_findNext(re, &status) && U_SUCCESS(status)) {
        AnalysisBudget::poll();
        const int32_t s = uregex_start(re, 0, &status);
        const int32_t e = uregex_end(re, 0, &status);
        if (U_FAILURE(status))
            break;
        if (!any) {
            out.reserve(text.size());
            any = true;
        }
        out.append(QStringView(text).mid(copied, s - copied));
        out += transform(groupsOf(re, text, status));
        copied = e;
    }
    Watch::rethrow(status);
    if (!any)
        return text;
    out.append(QStringView(text).mid(copied));
    return out;
}

}
