// Exported pages of a hostile corpus, loaded in the real web engine with
// JavaScript on, poked with every kind of event, and checked for any run
// of the marker payload (alert, confirm, prompt, a console marker or a
// title change) and for any request reaching a loopback server the pages
// point at. Zero of both is the only pass.
#include "../oracle/LoopbackServer.h"
#include "../oracle/MermaidVectors.h"
#include "../oracle/RemoteVectors.h"
#include "WaitUntil.h"
#include "plugins/FormatPlugin.h"
#include "plugins/PluginRegistry.h"
#include "plugins/SVGSanitizer.h"
#include "render/PreviewPage.h"
#include "views/webengine/MermaidRenderer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

namespace {

struct Vector {
    const char* file;
    const char* text;
};

// Every payload calls alert(1) or sets the title: both are counted.
const Vector corpus[] = {
    // Markdown: raw HTML
    {"a.md", "<img src=x onerror=alert(1)>"},
    {"a.md", "<script>alert(1)</script>"},
    {"a.md", "<svg onload=alert(1)>"},
    {"a.md", "<svg/onload=alert(1)>"},
    {"a.md", "<body onload=alert(1)>"},
    {"a.md", "<details open ontoggle=alert(1)>x</details>"},
    {"a.md", "<input autofocus onfocus=alert(1)>"},
    {"a.md", "<marquee onstart=alert(1)>x</marquee>"},
    {"a.md", "<audio src=x onerror=alert(1)>"},
    {"a.md", "<video><source onerror=alert(1)></video>"},
    {"a.md", "<b onmouseover=alert(1)>hover</b>"},
    {"a.md", "<x =onclick=alert(1)>click</x>"},
    {"a.md", "<img/src=x/onerror=alert(1)>"},
    {"a.md", "<img src=x onerror\t=\talert(1)>"},
    {"a.md", "<img src=\"x\" alt=\"\"onerror=alert(1)>"},
    {"a.md", "<img src=x onerror=&#97;lert(1)>"},
    {"a.md", "<img src=\"x\nonerror=alert(1)\">"},
    {"a.md", "<img src=x\nonerror=alert(1)>"},
    {"a.md", "<iframe src=\"javascript:alert(1)\"></iframe>"},
    {"a.md", "<iframe srcdoc=\"<script>alert(1)</script>\"></iframe>"},
    {"a.md", "<object data=\"javascript:alert(1)\"></object>"},
    {"a.md", "<object data=\"data:text/html,<script>alert(1)</script>\"></object>"},
    {"a.md", "<embed src=\"javascript:alert(1)\">"},
    {"a.md", "<form><button formaction=javascript:alert(1)>x</button></form>"},
    {"a.md", "<meta http-equiv=\"refresh\" content=\"0;url=javascript:alert(1)\">"},
    {"a.md", "<base href=\"javascript:alert(1)//\">\n\n[x](y)"},
    {"a.md", "<div style=\"background:url(javascript:alert(1))\">x</div>"},
    {"a.md", "<math><mtext><table><mglyph><style><img src=x onerror=alert(1)>"},
    {"a.md", "<svg><style><img src=x onerror=alert(1)></style></svg>"},
    {"a.md", "<noscript><p title=\"</noscript><img src=x onerror=alert(1)>\"></noscript>"},
    {"a.md", "<!--><img src=x onerror=alert(1)>-->"},
    {"a.md", "<!--a--!><img src=x onerror=alert(1)>-->"},
    {"a.md", "<textarea><img src=x onerror=alert(1)></textarea>"},
    {"a.md", "<title><img src=x onerror=alert(1)></title>"},
    {"a.md", "<svg><![CDATA[><img src=x onerror=alert(1)>]]></svg>"},
    {"a.md", "<svg><foreignObject><img src=x onerror=alert(1)></foreignObject></svg>"},
    {"a.md", "<svg><a xlink:href=\"javascript:alert(1)\"><text y=\"20\">x</text></a></svg>"},
    {"a.md", "<svg><animate onbegin=alert(1) attributeName=x dur=1s>"},
    {"a.md", "<svg><a><set attributeName=href to=\"javascript:alert(1)\"/><text y=\"20\">x</text></a></svg>"},
    {"a.md", "<svg><script href=\"data:,alert(1)\"/></svg>"},
    {"a.md", "<math><a xlink:href=\"javascript:alert(1)\">x</a></math>"},
    {"a.md", "<table background=\"javascript:alert(1)\"><tr><td>x</td></tr></table>"},
    {"a.md", "<isindex type=image src=1 onerror=alert(1)>"},
    {"a.md", "<img src=x:alert(1) onerror=eval(src)>"},
    // Markdown: where a hand-written tokenizer and a browser's parser part ways
    {"a.md", "<template><script>alert(1)</script></template><template><img src=x onerror=alert(1)>"},
    {"a.md", "<noscript><style></noscript><img src=x onerror=alert(1)></style></noscript>"},
    {"a.md",
     "<math><mtext><table><mglyph><style><!--</style><img title=\"--&gt;&lt;/mglyph&gt;&lt;img src=1 "
     "onerror=alert(1)&gt;\">"},
    {"a.md", "<svg><p><style><img src=x onerror=alert(1)>"},
    {"a.md", "<svg></p><style><a id=\"</style><img src=1 onerror=alert(1)>\">"},
    {"a.md", "<form><math><mtext></form><form><mglyph><style></math><img src onerror=alert(1)>"},
    {"a.md", "<textarea><img src=x onerror=alert(1)>\n\nafter"},
    {"a.md", "<title><img src=x onerror=alert(1)>\n\nafter"},
    {"a.md", "</p onclick=alert(1)><p>a</p title=\"<img src=x onerror=alert(1)>\">"},
    {"a.md", "<scr\x01ipt>alert(1)</scr\x01ipt><img\x01 src=x onerror=alert(1)>"},
    {"a.md", "<script\r>alert(1)</script\r><img\rsrc=x\ronerror=alert(1)>"},
    {"a.md", "<!-- --!><img src=x onerror=alert(1)>-->"},
    {"a.md", "<![CDATA[><img src=x onerror=alert(1)>]]>"},
    {"a.md", "<math><![CDATA[</math><img src=x onerror=alert(1)>]]>"},
    {"a.md",
     "<a href=\"java&NewLine;script&colon;alert(1)\">x</a><a href=\"&NotNestedLessLess;javascript:alert(1)\">y</a>"},
    {"a.md", "<a href=\"javascript&colon;alert(1)\" title=\"&amp\">x</a><p title=\"&amp=\" onclick=alert(1)>&amp</p>"},
    // Markdown: entity tricks in URLs
    {"a.md", "<a href=\"javascript:alert(1)\">x</a>"},
    {"a.md", "<a href=\"&#00000000106;avascript:alert(1)\">x</a>"},
    {"a.md", "<a href=\"&#0000000000000000106avascript:alert(1)\">x</a>"},
    {"a.md", "<a href=\"&#x000000006A;avascript:alert(1)\">x</a>"},
    {"a.md", "<a href=\"&#x6A;avascript:alert(1)\">x</a>"},
    {"a.md", "<a href=\"jav&#x09;ascript:alert(1)\">x</a>"},
    {"a.md", "<a href=\"jav&Tab;ascript&colon;alert(1)\">x</a>"},
    {"a.md", "<a href=\"javascript&colon;alert(1)\">x</a>"},
    {"a.md", "<a href=\"javas&#99;ript:alert(1)\">x</a>"},
    {"a.md", "<a href=\" &#14;javascript:alert(1)\">x</a>"},
    {"a.md", "<a href=\"&#106&#97&#118&#97&#115&#99&#114&#105&#112&#116&#58alert(1)\">x</a>"},
    {"a.md", "<a href=\"vbscript:alert(1)\">x</a>"},
    {"a.md", "<a\nhref=\"javascript:alert(1)\">x</a>"},
    {"a.md", "<a href=\"javascript:alert(1)\" onclick=alert(1)>x</a>"},
    // Markdown: links, images, autolinks and attribute break-outs
    {"a.md", "[x](javascript:alert(1))"},
    {"a.md", "[x](JaVaScRiPt:alert(1))"},
    {"a.md", "[x](&#106;avascript:alert(1))"},
    {"a.md", "[x](&#00000000106;avascript:alert(1))"},
    {"a.md", "[x](<javascript:alert(1)>)"},
    {"a.md", "[x](data:text/html,<script>alert(1)</script>)"},
    {"a.md", "![x](javascript:alert(1))"},
    {"a.md", "![x](data:image/svg+xml,<svg/onload=alert(1)>)"},
    {"a.md", "![<a title=\"/src=x /onerror=alert(1)//\">](y)"},
    {"a.md", "![x](/http://z/onerror=alert(1)//)"},
    {"a.md", "![x](http://z/onerror=alert(1)//)"},
    {"a.md", "[<img src=x onerror=alert(1)>](http://a)"},
    {"a.md", "![x\" onerror=\"alert(1)](y)"},
    {"a.md", "![x](y\"onerror=\"alert(1))"},
    {"a.md", "[a](http://x\"onmouseover=\"alert(1))"},
    {"a.md", "[x](http://a \"t\\\" onmouseover=\\\"alert(1)\")"},
    {"a.md", "<http://x\" onmouseover=\"alert(1)>"},
    {"a.md", "<javascript:alert(1)>"},
    {"a.md", "http://x/\"onmouseover=\"alert(1)\""},
    {"a.md", "https://a.b/<img/src=x/onerror=alert(1)>"},
    {"a.md", "http://a.b/'onmouseover='alert(1)'"},
    {"a.md", "[![x](y)](javascript:alert(1))"},
    {"a.md", "[x](http://a/_x_\"onmouseover=\"alert(1)_)"},
    {"a.md", "**[x](http://a\"onmouseover=\"alert(1))**"},
    // Markdown: every block step
    {"a.md", "`<img src=x onerror=alert(1)>`"},
    {"a.md", "```\n<img src=x onerror=alert(1)>\n```"},
    {"a.md", "```html\"><img src=x onerror=alert(1)>\nx\n```"},
    {"a.md", "    <img src=x onerror=alert(1)>"},
    {"a.md", "| <img src=x onerror=alert(1)> | b |\n|---|---|\n| [x](javascript:alert(1)) | <svg onload=alert(1)> |"},
    {"a.md", "- [ ] <img src=x onerror=alert(1)>\n- [x] [y](javascript:alert(1))"},
    {"a.md", "> <img src=x onerror=alert(1)>\n> [x](javascript:alert(1))"},
    {"a.md", "# <img src=x onerror=alert(1)>\n## [x](javascript:alert(1))"},
    {"a.md", "**<img src=x onerror=alert(1)>** _<svg onload=alert(1)>_ ~~<b onmouseover=alert(1)>x</b>~~"},
    {"a.md", "1. <img src=x onerror=alert(1)>\n2. ![x](javascript:alert(1))"},
    {"a.md", "<div>\n<img src=x onerror=alert(1)>\n</div>"},
    {"a.md", "<script>\nalert(1)\n</script>"},
    {"a.md", "Setext <img src=x onerror=alert(1)>\n==="},
    // Markdown: formulas (KaTeX, trust off) and coloured code (highlight.js)
    {"a.md", "$\\href{javascript:alert(1)}{x}$"},
    {"a.md", "$\\url{javascript:alert(1)}$ and $$\\href{http://HOST/f1}{x}$$"},
    {"a.md", "$\\htmlClass{x}{y}\\htmlId{a}{b}\\htmlData{onclick=alert(1)}{d}$"},
    {"a.md", "$\\htmlStyle{background:url(http://HOST/f2.png)}{c}$"},
    {"a.md", "$\\includegraphics{http://HOST/f3.png}$"},
    {"a.md", "```math\n\\href{javascript:alert(1)}{x}\\url{http://HOST/f4}\n```"},
    {"a.md", "$</annotation><script>alert(1)</script>$"},
    {"a.md", "$\\text{<img src=x onerror=alert(1)>}$"},
    {"a.md", "$\\frac{<img src=x onerror=alert(1)>$"},
    {"a.md", "| $\\href{javascript:alert(1)}{x}$ | b |\n|---|---|\n| 1 | $\\url{http://HOST/f5}$ |"},
    {"a.md", "```cpp\n// </span><script>alert(1)</script>\n```"},
    {"a.md", "```html\n<img src=x onerror=alert(1)><script>alert(1)</script>\n```"},
    {"a.md", "```xml\n<svg onload=alert(1)><a href=\"javascript:alert(1)\">x</a></svg>\n```"},
    {"a.md", "```js\n'</code></pre><img src=x onerror=alert(1)>'\n```"},
    {"a.md", "```css\n</style><img src=http://HOST/f6.png onerror=alert(1)>\n```"},
    // PlantUML
    {"a.puml", "@startuml\nclass Foo [[javascript:alert(1)]]\n@enduml\n"},
    {"a.puml", "@startuml\nclass Foo [[javascript:alert(1){tip}]]\n@enduml\n"},
    {"a.puml", "@startuml\nA -> B : [[javascript:alert(1) x]]\n@enduml\n"},
    {"a.puml", "@startuml\nurl of A is [[javascript:alert(1)]]\nA -> B\n@enduml\n"},
    {"a.puml", "@startuml\nA -> B : <img src=x onerror=alert(1)>\n@enduml\n"},
    {"a.puml", "@startuml\nparticipant \"<svg onload=alert(1)>\" as P\nP -> P\n@enduml\n"},
    {"a.puml", "@startuml\nnote over A : <script>alert(1)</script>\nA -> B\n@enduml\n"},
    {"a.puml", "@startuml\nA -> B : <img:javascript:alert(1)>\n@enduml\n"},
    {"a.puml", "@startuml\nclass Foo [[http://x\" onmouseover=\"alert(1)]]\n@enduml\n"},
    {"a.puml", "@startuml\ntitle <a href=javascript:alert(1)>t</a>\nA -> B\n@enduml\n"},
    {"a.puml", "@startuml\nA -> B : x\nB --> A : <u:onmouseover=alert(1)>y\n@enduml\n"},
    // JSON, YAML, TOML and CSV values with markup
    {"a.json", "{\"<img src=x onerror=alert(1)>\": \"<script>alert(1)</script>\"}"},
    {"a.json", "[\"\\u003cimg src=x onerror=alert(1)\\u003e\", \"\\\"><svg onload=alert(1)>\"]"},
    {"a.json", "{\"a\": {\"</span><img src=x onerror=alert(1)>\": [1, \"javascript:alert(1)\"]}}"},
    {"a.json", "{\"k\": \"</li></ul></details><img src=x onerror=alert(1)>\"}"},
    {"a.json", "[\"<!--\", \"<img src=x onerror=alert(1)>\", \"-->\"]"},
    {"a.yaml", "<img src=x onerror=alert(1)>: <script>alert(1)</script>\n"},
    {"a.yaml", "a: \"<svg onload=alert(1)>\"\nb: '<img src=x onerror=alert(1)>'\n"},
    {"a.yaml", "list:\n  - <b onmouseover=alert(1)>x</b>\n  - \"\\\"><img src=x onerror=alert(1)>\"\n"},
    {"a.yaml", "text: |\n  </span><img src=x onerror=alert(1)>\n  <script>alert(1)</script>\n"},
    {"a.yml", "\"</li><svg onload=alert(1)>\": javascript:alert(1)\n"},
    {"a.toml", "a = \"<img src=x onerror=alert(1)>\"\n[\"<svg onload=alert(1)>\"]\nb = '<script>alert(1)</script>'\n"},
    {"a.csv", "<img src=x onerror=alert(1)>,b\n<script>alert(1)</script>,2\n"},
    {"a.csv", "a,b\n\"<svg onload=alert(1)>\",\"x\"\"><img src=x onerror=alert(1)>\"\n"},
    {"a.csv", "a,b\n\"multi\n<img src=x onerror=alert(1)>\",1\n"},
    {"a.csv", "\"</th><img src=x onerror=alert(1)>\",\"</td></tr></table><script>alert(1)</script>\"\n1,2\n"},
    {"a.tsv", "<b onmouseover=alert(1)>x</b>\tjavascript:alert(1)\n<img src=x onerror=alert(1)>\t2\n"},
    {"a.csv", "a;b\n<iframe src=javascript:alert(1)>;1\n"},
};

// Records every way the marker payload can show itself.
class CountingPage : public QWebEnginePage {
public:
    explicit CountingPage(QWebEngineProfile* profile) : QWebEnginePage(profile)
    {
        settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
        settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
        // As a browser opening the exported file: remote pictures load.
        settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        connect(this, &QWebEnginePage::titleChanged, this, [this](const QString& t) {
            if (t.contains(QLatin1String("PWNED")))
                ++runs;
        });
    }
    int runs = 0;
    bool loaded = false;

protected:
    void javaScriptAlert(const QUrl&, const QString&) override { ++runs; }
    bool javaScriptConfirm(const QUrl&, const QString&) override
    {
        ++runs;
        return false;
    }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override
    {
        ++runs;
        return false;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int, const QString&) override
    {
        if (message.contains(QLatin1String("PWNED")))
            ++runs;
    }
    // The page itself may not navigate away: links clicked below stay put.
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        return !loaded && isMainFrame && url.isLocalFile();
    }
};

// Pokes every element with every event a user could cause, clicks every
// link, and lets animations and timers run.
const char poke[] = R"JS(
(function(){
  var kinds=['mouseover','mouseenter','mousemove','mouseout','mouseleave','mousedown','mouseup','click','dblclick',
             'contextmenu','pointerover','pointerenter','pointerdown','pointerup','focus','focusin','blur','keydown',
             'keyup','keypress','input','change','select','wheel','scroll','toggle','animationstart','animationend',
             'transitionend','load','error','beforeinput','copy','paste','dragstart','drop','touchstart'];
  var all=document.querySelectorAll('*');
  for(var i=0;i<all.length;i++){
    var e=all[i];
    for(var k=0;k<kinds.length;k++){try{e.dispatchEvent(new MouseEvent(kinds[k],{bubbles:true,cancelable:true}))}catch(x){}}
    try{if(e.focus)e.focus()}catch(x){}
    try{if(e.click)e.click()}catch(x){}
    try{if(e.tagName&&e.tagName.toLowerCase()=='details')e.open=!e.open}catch(x){}
  }
  return all.length;
})()
)JS";

class HostileCorpus : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QWebEngineProfile profile;  // off the record: nothing persists
    LoopbackServer loopback;

    // Counts down to zero, or gives up after a while. Shared with the
    // callbacks, which a page being destroyed still calls.
    struct Countdown {
        explicit Countdown(qsizetype n) : pending(n) {}
        qsizetype pending;
        QEventLoop loop;
        void done()
        {
            if (--pending == 0)
                loop.quit();
        }
        void wait(int ms)
        {
            if (pending <= 0)
                return;
            QTimer::singleShot(ms, &loop, &QEventLoop::quit);
            loop.exec();
        }
    };

    // Loads pages from disk like a browser opening exported files, side by
    // side (most of a page's time is waiting); returns the payload runs seen
    // on each.
    QList<int> runsOf(const QStringList& pages, int n)
    {
        std::vector<std::unique_ptr<CountingPage>> webs;
        auto loads = std::make_shared<Countdown>(pages.size());
        for (const QString& page : pages) {
            const QString path = dir.filePath(QStringLiteral("page%1.html").arg(n++));
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(page.toUtf8());
            f.close();
            auto web = std::make_unique<CountingPage>(&profile);
            CountingPage* w = web.get();
            QObject::connect(w, &QWebEnginePage::loadFinished, w, [w, loads] {
                if (!std::exchange(w->loaded, true))
                    loads->done();
            });
            w->load(QUrl::fromLocalFile(path));
            webs.push_back(std::move(web));
        }
        loads->wait(15000);
        for (const auto& web : webs)
            web->loaded = true;
        // A click that starts a (refused) navigation may swallow the answer,
        // so the wait is bounded rather than required.
        auto pokes = std::make_shared<Countdown>(pages.size());
        for (const auto& web : webs)
            web->runJavaScript(QString::fromLatin1(poke), QWebEngineScript::ApplicationWorld,
                               [pokes](const QVariant&) { pokes->done(); });
        pokes->wait(3000);
        // Timers, animations and error events of the poked pages get their turn.
        settle(300);
        QList<int> runs;
        for (const auto& web : webs)
            runs << web->runs;
        return runs;
    }
    int runsOf(const QString& page, int n) { return runsOf(QStringList{page}, n).front(); }

    // The preview fragment of a vector; SVG vectors are cleaned as PlantUML output is.
    QString fragmentOf(const Vector& v) const
    {
        const QString text = loopback.place(v.text);
        if (QLatin1String(v.file) == QLatin1String("svg"))
            return QStringLiteral("<div class=\"uml\">")
                + SVGSanitizer::clean(svgOpen + text + QStringLiteral("</svg>")) + QStringLiteral("</div>");
        try {
            const FormatPlugin& plugin = PluginRegistry::plugin(QString::fromLatin1(v.file));
            QString html = plugin.previewHTML(text);
            // Diagrams as they reach the page once drawn.
            if (MermaidBlocks::hasRequests()) {
                MermaidRenderer::shared().settle();
                html = plugin.previewHTML(text);
            }
            return html;
        } catch (const PluginError& e) {
            return PreviewPage::fragment(PreviewState::error(e.line, e.message));
        }
    }
    QString exported(const Vector& v) const { return PreviewPage::standalone(fragmentOf(v)); }

    // The script corpus, then every CSS and SVG construct that names a resource.
    static const QList<Vector>& vectors()
    {
        static const QList<Vector> all = [] {
            QList<Vector> list(std::begin(corpus), std::end(corpus));
            for (const char* text : RemoteVectors::markdown)
                list << Vector{"a.md", text};
            for (const char* text : RemoteVectors::svg)
                list << Vector{"svg", text};
            static QList<QByteArray> diagrams;
            for (const char* text : MermaidVectors::diagrams) {
                diagrams << QByteArray("```mermaid\n") + text + "\n```\n";
                list << Vector{"a.md", diagrams.last().constData()};
            }
            return list;
        }();
        return all;
    }

    static inline const QString svgOpen = QStringLiteral(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">");

    // Lets late loads of a page arrive before its requests are counted.
    static void settle(int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
};

}

// The harness itself: markup that runs, on load and on touch, is counted;
// the page's policy alone already stops it.
TEST_F(HostileCorpus, TheHarnessSeesPayloadsThatRun)
{
    const QString bare = QStringLiteral("<!doctype html><meta charset=utf-8><body>%1</body>");
    EXPECT_GE(runsOf(bare.arg(QStringLiteral("<img src=x onerror=alert(1)>")), 0), 1);
    EXPECT_GE(runsOf(bare.arg(QStringLiteral("<b onmouseover=\"document.title='PWNED'\">x</b>")), 1), 1);
    EXPECT_GE(runsOf(bare.arg(QStringLiteral("<a href=\"javascript:console.log('PWNED')\">x</a>")), 2), 1);
    EXPECT_GE(
        runsOf(bare.arg(QStringLiteral("<svg><a xlink:href=\"javascript:alert(1)\"><text y=\"20\">x</text></a></svg>")),
               3),
        1);
    const QString policed = PreviewPage::standalone(
        QStringLiteral("<img src=x onerror=alert(1)><b onmouseover=alert(1)>x</b>"
                       "<a href=\"javascript:alert(1)\">x</a><script>alert(1)</script>"));
    EXPECT_EQ(runsOf(policed, 4), 0);
    // Requests reach the counter, through the page's policy for a picture and
    // without cleaning for a style; the export's allowed path still works.
    // A web picture in an exported page is refused by the page itself unless
    // asked for; the asked-for one, loaded after it, shows that the refused
    // one would have arrived by then.
    const int before = loopback.requests;
    runsOf(PreviewPage::standalone(loopback.place("<img src=\"http://HOST/refused.png\">")), 5);
    PreviewPage::setRemoteImages(true);
    const QString allowed = PreviewPage::standalone(loopback.place("<img src=\"http://HOST/ok.png\">"));
    PreviewPage::setRemoteImages(false);
    runsOf(allowed, 7);
    EXPECT_TRUE(waitUntil([&] { return loopback.requests - before >= 1; }));
    EXPECT_EQ(loopback.requests - before, 1);
    const int styled = loopback.requests;
    runsOf(bare.arg(loopback.place("<div style=\"width:9px;height:9px;background:url(http://HOST/bg.png)\">x</div>")),
           6);
    settle(300);
    EXPECT_GE(loopback.requests - styled, 1);
}

// The editor's own preview page, with JavaScript switched on for the test:
// fragments pushed the way the preview pushes them run nothing either.
TEST_F(HostileCorpus, ThePreviewShellRunsNothingPushedIntoIt)
{
    const QString path = dir.filePath(QStringLiteral("shell.html"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(PreviewPage::shell().toUtf8());
    f.close();
    QEventLoop loop;
    auto result = std::make_shared<QVariant>();
    CountingPage web(&profile);
    QObject::connect(&web, &QWebEnginePage::loadFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    web.load(QUrl::fromLocalFile(path));
    loop.exec();
    web.loaded = true;
    // Each call waits in its own loop, so a late answer or timer cannot end a later wait.
    auto run = [&](const QString& script, quint32 world) {
        auto wait = std::make_shared<QEventLoop>();
        *result = QVariant();
        web.runJavaScript(script, world, [wait, result](const QVariant& v) {
            *result = v;
            wait->quit();
        });
        QTimer::singleShot(3000, wait.get(), &QEventLoop::quit);
        wait->exec();
        return *result;
    };
    int total = 0;
    const int requestsBefore = loopback.requests;
    for (const Vector& v : vectors()) {
        const QString fragment = fragmentOf(v);
        const int before = web.runs;
        // Through the page's own function (allowed by its hash) and through the application's world.
        run(*PreviewPage::renderScript(fragment), QWebEngineScript::MainWorld);
        run(QString::fromLatin1(poke), QWebEngineScript::ApplicationWorld);
        const QByteArray json = QJsonDocument(QJsonArray{fragment}).toJson(QJsonDocument::Compact);
        run(QStringLiteral("document.getElementById('c').innerHTML=") + QString::fromUtf8(json)
                + QStringLiteral("[0];0"),
            QWebEngineScript::ApplicationWorld);
        run(QString::fromLatin1(poke), QWebEngineScript::ApplicationWorld);
        QEventLoop settle;
        QTimer::singleShot(200, &settle, &QEventLoop::quit);
        settle.exec();
        EXPECT_EQ(web.runs - before, 0) << v.file << ": " << v.text;
        total += web.runs - before;
    }
    settle(500);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(loopback.requests - requestsBefore, 0);
    std::printf("preview shell: %lld vectors, %d executions, %d requests\n", qlonglong(vectors().size()), total,
                loopback.requests - requestsBefore);
    // The content did arrive: the policy stops script, not the preview.
    EXPECT_TRUE(
        run(QStringLiteral("document.getElementById('c').innerHTML.length"), QWebEngineScript::ApplicationWorld).toInt()
        > 0);
    run(*PreviewPage::renderScript(QStringLiteral("<p id=\"ok\">好</p>")), QWebEngineScript::MainWorld);
    EXPECT_EQ(
        run(QStringLiteral("document.getElementById('ok').textContent"), QWebEngineScript::ApplicationWorld).toString(),
        QStringLiteral("好"));
}

// Exported pages, with the policy taken out: it is a second wall, and the
// rendered HTML must be harmless without it (the harness test shows that the
// policy alone stops script, so with it nothing can run either).
TEST_F(HostileCorpus, ExportedPagesRunAndLoadNothingEvenWithoutThePolicy)
{
    ASSERT_GE(vectors().size(), 210);
    int total = 0, n = 1000;
    const int requestsBefore = loopback.requests;
    const QList<Vector>& all = vectors();
    constexpr qsizetype side = 8;
    for (qsizetype first = 0; first < all.size(); first += side) {
        const QList<Vector> batch = all.mid(first, side);
        QStringList pages;
        std::string texts;
        for (const Vector& v : batch) {
            QString page = exported(v);
            page.remove(PreviewPage::contentPolicy(false));
            ASSERT_FALSE(page.contains(QLatin1String("Content-Security-Policy")));
            pages << page;
            texts += std::string(v.file) + ": " + v.text + "\n";
        }
        const int before = loopback.requests;
        const QList<int> runs = runsOf(pages, n);
        n += int(pages.size());
        for (qsizetype i = 0; i < batch.size(); ++i) {
            EXPECT_EQ(runs[i], 0) << batch[i].file << ": " << batch[i].text;
            total += runs[i];
        }
        EXPECT_EQ(loopback.requests - before, 0) << "one of\n" << texts;
    }
    settle(500);
    EXPECT_EQ(total, 0) << "over " << vectors().size() << " vectors";
    EXPECT_EQ(loopback.requests - requestsBefore, 0);
    std::printf("without policy: %lld vectors, %d executions, %d requests\n", qlonglong(vectors().size()), total,
                loopback.requests - requestsBefore);
    // The hidden page that drew the corpus' diagrams ran nothing either.
    EXPECT_EQ(MermaidRenderer::shared().scriptDialogs(), 0);
}
