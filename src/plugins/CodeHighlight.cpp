#include "plugins/CodeHighlight.h"

#include "plugins/RenderCache.h"
#include "plugins/RenderedHTML.h"
#include "plugins/ScriptHost.h"

#include <atomic>

namespace CodeHighlight {

namespace {

// A slow grammar on hostile input is cut off here and the block stays plain.
constexpr std::chrono::milliseconds callLimit{250};

bool plausibleLanguage(const QString& language)
{
    if (language.isEmpty() || language.size() > 32)
        return false;
    for (QChar c : language)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'_' && c != u'+' && c != u'#'
            && c != u'.')
            return false;
    return true;
}

std::atomic<quint64> runs{0};

}

QString html(const QString& language, const QString& code)
{
    if (!plausibleLanguage(language) || code.size() > maxCode)
        return {};
    static RenderCache cache(16 * 1024 * 1024);
    const QString key = language.toLower() + u'\n' + code;
    if (auto hit = cache.find(key))
        return *hit;
    QString out;  // null: stays plain
    ++runs;
    if (const auto coloured = ScriptHost::call(QStringLiteral("lorvaneHighlight"), {language.toLower(), code},
                                               callLimit))
        out = RenderedHTML::cleanCode(*coloured);
    cache.insert(key, out);
    return out;
}

quint64 scriptRuns() { return runs; }

}
