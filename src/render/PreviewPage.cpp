#include "render/PreviewPage.h"

#include "plugins/FormatPlugin.h"
#include "plugins/HTML.h"
#include "render/ExportLinks.h"
#include "render/PrintBreaks.h"
#include "render/RenderingStyle.h"
#include "render/WebFonts.h"
#include "text/Utf8Slices.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <atomic>

namespace PreviewPage {

namespace {
const char cssText[] =
    ":root{--bg:#f7f8f9;--fg:#1f2329;--fg2:#4b525b;--fg3:#5e646e;--line:#dcdfe3;--line2:#e8eaed;--side:#eef0f2;--hover:"
    "#e2e5e9;\n"
    "  --accent:#387068;--danger:#a34a43;--code:#fbfbfa;--s:#5f8a3e;--n:#8a5fb0;--b:#b0703a;"
    "--hk:#6f42c1;--hs:#116329;--hn:#953800;--hc:#5c6670;--ht:#0550ae;--hg:#cf222e;color-scheme:light}\n"
    "@media "
    "(prefers-color-scheme:dark){:root{--bg:#1d2024;--fg:#e3e6ea;--fg2:#a9b0b9;--fg3:#9298a1;--line:#2c3036;--line2:#"
    "262a2f;\n"
    "  "
    "--side:#191b1f;--hover:#262a30;--accent:#6fb2a7;--danger:#e07b70;--code:#1b1e22;--s:#9ac27a;--n:#b99ad6;--b:#"
    "d6a06a;--hk:#d2a8ff;--hs:#9bd8a0;--hn:#ffa657;--hc:#8b949e;--ht:#79c0ff;--hg:#ff7b72;color-scheme:dark}}\n"
    "html,body{margin:0;background:var(--bg);color:var(--fg);font:14px/1.7 \"IBM Plex Sans\",\"Noto Sans CJK "
    "SC\",-apple-system,\"PingFang "
    "SC\",sans-serif}\n"
    "main{padding:22px 28px 48px}\n"
    ".md{max-width:760px}\n"
    ".md h1{font-size:24px;margin:0 0 14px;letter-spacing:-.01em;line-height:1.3}\n"
    ".md h2{font-size:18px;margin:26px 0 10px;padding-bottom:5px;border-bottom:1px solid var(--line2)}\n"
    ".md h3{font-size:15px;margin:22px 0 8px}\n"
    ".md code{font:12.5px \"IBM Plex Mono\",\"Noto Sans Mono CJK SC\",ui-monospace,\"SF Mono\",Menlo,\"PingFang "
    "SC\",monospace;background:var(--hover);padding:1px 5px;border-radius:4px}\n"
    ".md pre{background:var(--code);border:1px solid var(--line2);border-radius:7px;padding:12px 14px;overflow:auto}\n"
    ".md pre code{background:none;padding:0}\n"
    ".md blockquote{margin:0;padding:2px 14px;border-left:3px solid var(--line);color:var(--fg2)}\n"
    ".md table{border-collapse:collapse;font-size:13px;margin:10px 0}\n"
    ".md th,.md td{border:1px solid var(--line);padding:5px 10px;text-align:left}\n"
    ".md th{background:var(--side)}\n"
    ".md a{color:var(--accent)}\n"
    ".md img{max-width:100%}\n"
    ".md hr{border:0;border-top:1px solid var(--line);margin:22px 0}\n"
    ".md li.task{list-style:none;margin-left:-20px}\n"
    ".md li input{accent-color:var(--accent);margin-right:4px}\n"
    ".tree{font:12.5px/1.8 \"IBM Plex Mono\",\"Noto Sans Mono CJK SC\",ui-monospace,\"SF Mono\",Menlo,\"PingFang "
    "SC\",monospace}\n"
    ".tree ul{list-style:none;margin:0;padding-left:18px;border-left:1px dashed var(--line)}\n"
    ".tree>ul{padding-left:0;border:0}\n"
    ".tree .s{color:var(--s)}.tree .num{color:var(--n)}.tree .b{color:var(--b)}.tree .nl{color:var(--fg3)}\n"
    ".tree summary{cursor:pointer;list-style:none}\n"
    ".tree summary::-webkit-details-marker{display:none}\n"
    ".tree summary::before{content:\"▸\";display:inline-block;width:14px;color:var(--fg3);transition:transform .12s}\n"
    ".tree details[open]>summary::before{transform:rotate(90deg)}\n"
    ".tree .meta{color:var(--fg3);font-size:11px;margin-left:6px}\n"
    ".tbl{border-collapse:collapse;font-size:12.5px;font-variant-numeric:tabular-nums}\n"
    ".tbl th{position:sticky;top:0;background:var(--side);font-weight:600;text-align:left}\n"
    ".tbl th,.tbl td{border:1px solid var(--line);padding:5px 12px;white-space:nowrap}\n"
    ".tbl td.r{text-align:right}\n"
    ".tbl tr:hover td{background:var(--hover)}\n"
    ".tbl .idx{color:var(--fg3);text-align:right;background:var(--side)}\n"
    ".cap{font-size:11px;color:var(--fg3);margin-bottom:12px;display:flex;gap:14px;flex-wrap:wrap}\n"
    ".uml svg{max-width:100%;height:auto;font:12px \"IBM Plex Sans\",\"Noto Sans CJK SC\",-apple-system,sans-serif}\n"
    ".uml .life{stroke:var(--line);stroke-dasharray:4 4}\n"
    ".uml .box{fill:var(--side);stroke:var(--line)}\n"
    ".uml .t1{fill:var(--fg)}.uml .t2{fill:var(--fg2)}\n"
    ".uml .msg{stroke:var(--fg2)}.uml .f2{fill:var(--fg2)}"
    // Diagrams share the diagram line.
    ".mermaid{margin:12px 0;overflow-x:auto}.mermaid svg{max-width:100%;height:auto}"
    ".mermaid .err{white-space:pre-wrap;font:12.5px \"IBM Plex Mono\",\"Noto Sans Mono CJK "
    "SC\",ui-monospace,monospace}\n"
    ".err{border:1px solid color-mix(in srgb,var(--danger) "
    "40%,transparent);color:var(--danger);border-radius:8px;padding:12px 14px;font-size:13px}\n"
    ".err .sub{color:var(--fg3)}";
}

const QString& css()
{
    static const QString text = QString::fromUtf8(cssText);
    return text;
}

namespace {
const char renderFunction[] = "function render(h){document.getElementById('c').innerHTML=h}";

std::atomic<bool> webPictures{false};

// Images may come from the page's data and local files, and from the web
// when `web`; fonts and styles only from the page itself; nothing else
// loads, and no form or base URL works.
QString policy(const QString& scriptSource, bool web)
{
    return QStringLiteral("<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; script-src ")
        + scriptSource
        + (web ? QStringLiteral("; img-src data: http: https: file:") : QStringLiteral("; img-src data: file:"))
        + QStringLiteral("; style-src 'unsafe-inline'; font-src data:; form-action 'none'; base-uri 'none'\">");
}
}

void setRemoteImages(bool allowed) { webPictures = allowed; }
bool remoteImages() { return webPictures; }

QString contentPolicy(bool withRenderScript)
{
    // A page that travels holds its rule in itself.
    if (!withRenderScript)
        return policy(QStringLiteral("'none'"), webPictures);
    // The shell's own function is allowed by its hash; injected scripts match no hash.
    const QByteArray hash = QCryptographicHash::hash(QByteArray(renderFunction), QCryptographicHash::Sha256).toBase64();
    // The preview's own shell is made once: its loads follow the rule as it
    // changes (PreviewLoads), so the page itself allows what the rule may.
    return policy(QStringLiteral("'sha256-") + QString::fromLatin1(hash) + QLatin1Char('\''), true);
}

QString shellWith(const QString& fontFaces)
{
    return QStringLiteral("<!doctype html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">") + contentPolicy(true)
        + QStringLiteral("<style>") + fontFaces + css() + RenderingStyle::css() + QStringLiteral("</style>\n<script>")
        + QLatin1String(renderFunction)
        + QStringLiteral("</script></head>\n<body><main id=\"c\"></main></body></html>");
}

const QString& shell()
{
    static const QString text = shellWith(WebFonts::webFontFaces());
    return text;
}

QString fragment(const PreviewState& state)
{
    switch (state.kind) {
    case PreviewState::Kind::html: return state.text;
    case PreviewState::Kind::error: {
        QString out = QStringLiteral("<div class=\"err\">");
        if (state.line)
            out += QStringLiteral("第 ") + QString::number(*state.line) + QStringLiteral(" 行无法解析：");
        HTML::appendEsc(out, state.text);
        out += QStringLiteral("<br><span class=\"sub\">修正后预览自动恢复。</span></div>");
        return out;
    }
    case PreviewState::Kind::none: break;
    }
    return QStringLiteral("<div class=\"cap\"><span>正在渲染…</span></div>");
}

std::optional<QString> renderScript(const QString& html)
{
    const QByteArray json = QJsonDocument(QJsonArray{html}).toJson(QJsonDocument::Compact);
    if (json.isEmpty())
        return std::nullopt;
    return QStringLiteral("render(") + QString::fromUtf8(json) + QStringLiteral("[0])");
}

namespace {
// On paper a heading stays with what follows it and a picture, diagram,
// formula, table row or short code block is not cut in two (.keep: see
// PrintBreaks). Paper does not scroll: a long line of code wraps instead of
// being cut off at the page's edge.
const char printCss[] =
    "@media print{.md h1,.md h2,.md h3,.md h4,.md h5,.md h6,.cap{break-after:avoid;break-inside:avoid}"
    ".keep,.mermaid,.uml,.md img,.md svg,.katex-display,.math-display,.md tr,.tbl tr{break-inside:avoid}"
    ".md pre{overflow:visible;white-space:pre-wrap;overflow-wrap:anywhere}}";

// What goes before the fragment of a standalone page, and after it.
QString standaloneHead(const QString& fragmentHTML, const QString& title)
{
    const QString named = title.isEmpty()
        ? QString()
        : QStringLiteral("<title>") + title.toHtmlEscaped() + QStringLiteral("</title>");
    return QStringLiteral("<!doctype html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">") + named
        + contentPolicy(false) + QStringLiteral("<style>") + WebFonts::webFontFaces() + css()
        + RenderingStyle::css(fragmentHTML.contains(QLatin1String("class=\"katex"))) + QLatin1String(printCss)
        + QStringLiteral("</style></head>\n<body><main id=\"c\">");
}
const char standaloneTail[] = "</main></body></html>\n";
}

QString standalone(const QString& fragmentHTML, const QString& title)
{
    // Same page with the fragment inlined and no script, for export.
    return standaloneHead(fragmentHTML, title) + fragmentHTML + QLatin1String(standaloneTail);
}

namespace {
std::optional<QString> exportFragment(const FormatPlugin& plugin, const TextCopy& text, const QString& what,
                                      QString* error)
{
    if (!plugin.supportsPreview()) {
        *error = QStringLiteral("%1 格式没有预览，无法导出 %2").arg(plugin.displayName, what);
        return std::nullopt;
    }
    try {
        QString html = text.isUtf8() ? plugin.previewHTMLUtf8(text.utf8) : plugin.previewHTML(text.text);
        // Paper from this engine needs boxes to keep a heading with what
        // follows (it ignores break-after:avoid). An .html file keeps the
        // format's own structure: its reader's print style honours that rule.
        if (what != QLatin1String("HTML"))
            html = PrintBreaks::mark(html);
        // What is exported travels: it names no folder of the author's.
        return ExportLinks::withoutLocalTargets(html);
    } catch (const PluginError& e) {
        *error = e.line ? QStringLiteral("第 %1 行无法解析：").arg(*e.line) + e.message : e.message;
        return std::nullopt;
    }
}
}

std::optional<QString> exportPage(const FormatPlugin& plugin, const TextCopy& text, const QString& title,
                                  const QString& what, QString* error)
{
    const std::optional<QString> fragment = exportFragment(plugin, text, what, error);
    if (!fragment)
        return std::nullopt;
    return standalone(*fragment, title);
}

std::optional<QByteArray> exportPageUtf8(const FormatPlugin& plugin, const TextCopy& text, const QString& title,
                                         const QString& what, QString* error)
{
    std::optional<QString> fragment = exportFragment(plugin, text, what, error);
    if (!fragment)
        return std::nullopt;
    QByteArray page = standaloneHead(*fragment, title).toUtf8();
    // Converted a slice at a time, so the fragment and its bytes are the only copies.
    forEachUtf8Slice(*fragment, qsizetype(1) << 20, [&](const QByteArray& bytes) { page += bytes; });
    fragment.reset();
    page += standaloneTail;
    return page;
}

}
