#include "views/webengine/MermaidRenderer.h"

#include "editor/Palette.h"
#include "plugins/FormatPlugin.h"
#include "plugins/SVGSanitizer.h"
#include "render/PreviewPage.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

namespace {

// Nothing the page asks for is ever fetched.
class RefuseAll : public QWebEngineUrlRequestInterceptor {
public:
    RefuseAll(int* count, QObject* parent) : QWebEngineUrlRequestInterceptor(parent), count_(count) {}
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        info.block(true);
        ++*count_;
    }

private:
    int* count_;
};

const QString& mermaidSource()
{
    static const QString text = [] {
        QFile f(QStringLiteral(":/scripts/mermaid.min.js"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }();
    return text;
}

// Runs in the application's world after the library: one diagram at a time,
// its answer picked up by polling. Directives inside a diagram cannot lift
// the settings named in `secure`.
const char driver[] = R"JS(
(function () {
  var done = null;
  var secure = ['secure', 'securityLevel', 'startOnLoad', 'maxTextSize', 'maxEdges', 'suppressErrorRendering',
                'htmlLabels', 'themeCSS', 'dompurifyConfig', 'deterministicIds'];
  // The library writes HTML; the sanitiser reads XML. An inert document parses it.
  function asXML(svg) {
    var root = new DOMParser().parseFromString(svg, 'text/html').querySelector('svg');
    return root ? new XMLSerializer().serializeToString(root) : '';
  }
  function clean(id) { var left = document.getElementById('d' + id); if (left) left.remove(); }
  window.lorvaneDraw = function (id, text, dark) {
    done = null;
    clean(id);
    try {
      mermaid.initialize({startOnLoad: false, securityLevel: 'strict', theme: dark ? 'dark' : 'default',
                          htmlLabels: false, flowchart: {htmlLabels: false}, suppressErrorRendering: true,
                          deterministicIds: true, secure: secure});
      mermaid.render(id, text).then(function (r) { done = {id: id, svg: asXML(r.svg)}; },
                                    function (e) { done = {id: id, error: String((e && e.message) || e)}; })
        .finally(function () { clean(id); });
    } catch (e) {
      done = {id: id, error: String((e && e.message) || e)};
    }
    return true;
  };
  window.lorvaneTake = function () { var d = done; done = null; return d; };
})();
)JS";

// The page's own policy: no script of its own, nothing loads, styles only inline.
const char policy[] = "var m=document.createElement('meta');m.httpEquiv='Content-Security-Policy';"
                      "m.content=\"default-src 'none'; style-src 'unsafe-inline'\";"
                      "document.head.appendChild(m);true";

QString jsonString(const QString& s)
{
    const QByteArray json = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

}

// Shows nothing and goes nowhere; counts what script in it tried to show.
class MermaidPage : public QWebEnginePage {
public:
    explicit MermaidPage(QWebEngineProfile* profile) : QWebEnginePage(profile)
    {
        connect(this, &QWebEnginePage::titleChanged, this, [this](const QString& title) {
            if (!title.isEmpty() && title != QLatin1String("about:blank"))
                ++dialogs;
        });
    }
    int dialogs = 0;
    bool loaded = false;

protected:
    void javaScriptAlert(const QUrl&, const QString&) override { ++dialogs; }
    bool javaScriptConfirm(const QUrl&, const QString&) override
    {
        ++dialogs;
        return false;
    }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override
    {
        ++dialogs;
        return false;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        return !loaded && isMainFrame && url == QUrl(QStringLiteral("about:blank"));
    }
};

MermaidRenderer::MermaidRenderer(QObject* parent, Walls walls) : QObject(parent), walls_(walls)
{
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        const int seconds = (budget_ + 999) / 1000;
        finish({}, QStringLiteral("渲染超时（%1 秒内没有完成）").arg(seconds));
        // Whatever is still running in it goes with the page.
        dropPage();
        next();
    });
    poll_.setInterval(15);
    connect(&poll_, &QTimer::timeout, this, &MermaidRenderer::poll);
    // Previews are written again at most this often while diagrams keep arriving.
    announce_.setSingleShot(true);
    announce_.setInterval(250);
    connect(&announce_, &QTimer::timeout, this, &MermaidRenderer::diagramsChanged);
}

MermaidRenderer::~MermaidRenderer() { dropPage(); }

namespace {
QPointer<MermaidRenderer> sharedRenderer;
}

MermaidRenderer& MermaidRenderer::shared()
{
    QPointer<MermaidRenderer>& renderer = sharedRenderer;
    if (!renderer) {
        renderer = new MermaidRenderer(qApp);
        connect(qApp, &QCoreApplication::aboutToQuit, renderer, &MermaidRenderer::shutdown);
        MermaidRenderer* r = renderer;
        // Called on the analysis thread: the renderer is looked up on the main thread, where it may be gone.
        MermaidBlocks::setWaker([] {
            QMetaObject::invokeMethod(
                qApp,
                [] {
                    if (sharedRenderer)
                        sharedRenderer->drain();
                },
                Qt::QueuedConnection);
        });
        connect(r, &QObject::destroyed, [] { MermaidBlocks::setWaker({}); });
        r->followAppearance();
        connect(&AppearanceNotifier::shared(), &AppearanceNotifier::appearanceChanged, r,
                &MermaidRenderer::followAppearance);
        r->drain();
    }
    return *renderer;
}

void MermaidRenderer::shutdown() { delete sharedRenderer.data(); }

bool MermaidRenderer::available() { return !mermaidSource().isEmpty(); }

void MermaidRenderer::followAppearance()
{
    const auto theme = Palette::isDark() ? MermaidBlocks::Theme::dark : MermaidBlocks::Theme::light;
    if (theme == MermaidBlocks::theme())
        return;
    MermaidBlocks::setTheme(theme);
    emit diagramsChanged();
}

qint64 MermaidRenderer::renderProcessPid() const { return page_ ? page_->renderProcessPid() : 0; }

int MermaidRenderer::scriptDialogs() const { return dialogsOfDropped_ + (page_ ? page_->dialogs : 0); }

void MermaidRenderer::drain()
{
    for (MermaidBlocks::Request& r : MermaidBlocks::takeRequests())
        queue_.push_back(std::move(r));
    if (!current_)
        next();
}

void MermaidRenderer::next()
{
    if (current_ || queue_.empty()) {
        if (!current_ && queue_.empty()) {
            announce_.stop();
            emit diagramsChanged();
            emit idle();
        }
        return;
    }
    current_ = queue_.front();
    queue_.pop_front();
    ++generation_;
    if (!available()) {
        finish({}, QStringLiteral("此版本没有附带 Mermaid 渲染器"));
        next();
        return;
    }
    deadline_.start(budget_);
    if (ready_)
        render();
    else if (!page_)
        openPage();
}

void MermaidRenderer::openPage()
{
    ++pagesOpened_;
    profile_ = new QWebEngineProfile(this);  // no storage name: off the record
    profile_->setHttpCacheType(QWebEngineProfile::NoCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    if (walls_.refuseRequests)
        profile_->setUrlRequestInterceptor(new RefuseAll(&refused_, profile_));
    page_ = new MermaidPage(profile_);
    QWebEngineSettings* s = page_->settings();
    // The library needs script on; the page's policy keeps the document's own markup from running any.
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::AutoLoadImages, !walls_.pagePolicy);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    const int generation = generation_;
    // A crashed or killed page fails its diagram at once rather than at the deadline.
    connect(page_, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) {
                if (status == QWebEnginePage::NormalTerminationStatus)
                    return;
                // Not inside the page's own signal: the page goes with it.
                QMetaObject::invokeMethod(
                    this,
                    [this, generation = generation_] {
                        if (generation != generation_ || !current_)
                            return;
                        finish({}, QStringLiteral("渲染进程意外退出"));
                        dropPage();
                        next();
                    },
                    Qt::QueuedConnection);
            });
    connect(page_, &QWebEnginePage::loadFinished, this, [this, generation](bool ok) {
        if (page_ && !page_->loaded && generation == generation_)
            pageReady(ok);
    });
    page_->load(QUrl(QStringLiteral("about:blank")));
}

void MermaidRenderer::pageReady(bool ok)
{
    page_->loaded = true;
    if (!ok) {
        finish({}, QStringLiteral("无法打开渲染页面"));
        dropPage();
        next();
        return;
    }
    if (walls_.pagePolicy)
        page_->runJavaScript(QString::fromLatin1(policy), QWebEngineScript::ApplicationWorld);
    const int generation = generation_;
    page_->runJavaScript(mermaidSource() + QStringLiteral("\n;") + QString::fromUtf8(driver)
                             + QStringLiteral(";typeof mermaid==='object'"),
                         QWebEngineScript::ApplicationWorld, [this, generation](const QVariant& loaded) {
                             if (generation != generation_ || !current_)
                                 return;
                             if (!loaded.toBool()) {
                                 finish({}, QStringLiteral("Mermaid 脚本无法载入"));
                                 dropPage();
                                 next();
                                 return;
                             }
                             ready_ = true;
                             render();
                         });
}

void MermaidRenderer::render()
{
    const MermaidBlocks::Request& r = *current_;
    page_->runJavaScript(
        QStringLiteral("lorvaneDraw(%1,%2,%3)")
            .arg(jsonString(MermaidBlocks::diagramId(r)), jsonString(r.source),
                 r.theme == MermaidBlocks::Theme::dark ? QStringLiteral("true") : QStringLiteral("false")),
        QWebEngineScript::ApplicationWorld);
    poll_.start();
}

void MermaidRenderer::poll()
{
    if (!page_ || !ready_ || !current_)
        return;
    const int generation = generation_;
    page_->runJavaScript(QStringLiteral("lorvaneTake()"), QWebEngineScript::ApplicationWorld,
                         [this, generation](const QVariant& answer) {
                             if (generation != generation_ || !current_ || !answer.isValid() || answer.isNull())
                                 return;
                             const QVariantMap m = answer.toMap();
                             // A late answer for an earlier diagram is not this one's.
                             if (m.value(QStringLiteral("id")).toString() != MermaidBlocks::diagramId(*current_))
                                 return;
                             finish(m.value(QStringLiteral("svg")).toString(),
                                    m.value(QStringLiteral("error")).toString());
                             next();
                         });
}

void MermaidRenderer::finish(const QString& svg, const QString& error)
{
    poll_.stop();
    deadline_.stop();
    if (!current_)
        return;
    const MermaidBlocks::Request r = *current_;
    current_.reset();
    ++generation_;
    if (!error.isEmpty() || svg.isEmpty()) {
        MermaidBlocks::storeError(r, error.isEmpty() ? QStringLiteral("没有输出") : error);
    } else {
        try {
            MermaidBlocks::storeDiagram(r, SVGSanitizer::cleanDiagram(svg));
        } catch (const PluginError&) {
            MermaidBlocks::storeError(r, QStringLiteral("输出不是有效的 SVG"));
        }
    }
    if (!announce_.isActive())
        announce_.start();
}

void MermaidRenderer::dropPage()
{
    ready_ = false;
    ++generation_;
    if (page_)
        dialogsOfDropped_ += page_->dialogs;
    // A page must go before its profile.
    delete page_;
    page_ = nullptr;
    delete profile_;
    profile_ = nullptr;
}

void MermaidRenderer::settle()
{
    drain();
    QEventLoop loop;
    connect(this, &MermaidRenderer::idle, &loop, &QEventLoop::quit);
    while (busy())
        loop.exec();
}

std::optional<QString> MermaidRenderer::exportPage(const FormatPlugin& plugin, const TextCopy& text,
                                                   const QString& title, const QString& what, QString* error)
{
    const MermaidBlocks::LightForExport light;
    std::optional<QString> page = PreviewPage::exportPage(plugin, text, title, what, error);
    if (!page || !MermaidBlocks::hasRequests())
        return page;
    shared().settle();
    return PreviewPage::exportPage(plugin, text, title, what, error);
}

std::optional<QByteArray> MermaidRenderer::exportPageUtf8(const FormatPlugin& plugin, const TextCopy& text,
                                                          const QString& title, const QString& what, QString* error)
{
    const MermaidBlocks::LightForExport light;
    std::optional<QByteArray> page = PreviewPage::exportPageUtf8(plugin, text, title, what, error);
    if (!page || !MermaidBlocks::hasRequests())
        return page;
    page.reset();
    shared().settle();
    return PreviewPage::exportPageUtf8(plugin, text, title, what, error);
}
