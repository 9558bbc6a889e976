#include "plugins/MathRender.h"

#include "plugins/HTML.h"
#include "plugins/RenderCache.h"
#include "plugins/RenderedHTML.h"
#include "plugins/ScriptHost.h"

#include <atomic>

namespace MathRender {

namespace {

// KaTeX's macros can expand for long; a formula still running then is cut off.
constexpr std::chrono::milliseconds callLimit{500};

std::atomic<quint64> runs{0};

QString failed(const QString& source, bool display, const QString& reason)
{
    // Spans either way: a display formula may stand inside a paragraph.
    QString out = display ? QStringLiteral("<span class=\"math-err display\"><code>")
                          : QStringLiteral("<span class=\"math-err\"><code>");
    HTML::appendEsc(out, source);
    out += QStringLiteral("</code> <span class=\"sub\">公式错误：");
    HTML::appendEsc(out, reason);
    out += QStringLiteral("</span></span>");
    return out;
}

QString render(const QString& source, bool display)
{
    if (source.size() > maxSource)
        return failed(source, display, QStringLiteral("公式超过 %1 个字符，不予渲染").arg(maxSource));
    ++runs;
    const auto result = ScriptHost::call(QStringLiteral("lorvaneMath"),
                                         {source, display ? QStringLiteral("display") : QStringLiteral("inline")},
                                         callLimit);
    if (!result || result->isEmpty())
        return failed(source, display, QStringLiteral("无法渲染（公式组件缺失或超时）"));
    if (result->front() == u'E')
        return failed(source, display, result->mid(1));
    return RenderedHTML::cleanMath(result->mid(1));
}

}

QString html(const QString& source, bool display)
{
    static RenderCache cache(16 * 1024 * 1024);
    const QString key = (display ? u'D' : u'I') + source;
    if (auto hit = cache.find(key))
        return *hit;
    const QString out = render(source, display);
    cache.insert(key, out);
    return out;
}

quint64 scriptRuns() { return runs; }

}
