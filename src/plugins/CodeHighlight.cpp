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

Colouring colour(const QString& language, const QString& code)
{
    if (!plausibleLanguage(language))
        return {};
    if (code.size() > maxCode)
        return {{}, true};
    static RenderCache cache(16 * 1024 * 1024);
    const QString key = language.toLower() + u'\n' + code;
    // Cached with a mark: '+' coloured HTML follows, '-' plain, '!' plain for its length.
    if (const auto hit = cache.find(key)) {
        if (hit->startsWith(u'+'))
            return {hit->mid(1)};
        return {{}, hit->startsWith(u'!')};
    }
    ++runs;
    bool overran = false;
    Colouring out;
    if (const auto coloured = ScriptHost::call(QStringLiteral("lorvaneHighlight"), {language.toLower(), code},
                                               callLimit, &overran))
        out.html = RenderedHTML::cleanCode(*coloured);
    out.tooLong = out.html.isNull() && overran;
    cache.insert(key, out.html.isNull() ? QString(out.tooLong ? u'!' : u'-') : u'+' + out.html);
    return out;
}

quint64 scriptRuns() { return runs; }

}
