#include "views/webengine/PreviewView.h"

#include "editor/Palette.h"
#include "render/PreviewPage.h"
#include "render/PreviewPush.h"
#include "render/PreviewScript.h"
#include "text/WorkLanes.h"
#include "views/preview/PreviewSurface.h"
#include "views/webengine/FollowScript.h"
#include "views/webengine/PreviewLoads.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QWebChannel>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <malloc.h>

PreviewPageGuard::PreviewPageGuard(QObject* parent) : QWebEnginePage(parent)
{
    connect(this, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (ok)
            shellLoaded_ = true;
    });
}

bool PreviewPageGuard::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (!shellLoaded_ && type != NavigationTypeLinkClicked)
        return true;
    if (type == NavigationTypeLinkClicked
        && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")
            || url.scheme() == QLatin1String("mailto")))
        QDesktopServices::openUrl(url);
    return false;
}

void PreviewBridge::clicked(int line)
{
    if (line >= 0)
        emit lineClicked(line);
}

void PreviewBridge::shown(double epoch)
{
    if (epoch >= 0)
        emit contentShown((unsigned long long)epoch);
}

namespace {
int coverLimitMSecs = 4000;

// Starting the engine allocates and frees some 20 MB in blocks that stay in
// this process's heap as holes; given back once, when the first page has
// loaded and the start's work is done.
void giveBackStartupHeap()
{
    static bool done = false;
    if (!std::exchange(done, true))
        QTimer::singleShot(500, [] { malloc_trim(0); });
}
}

PreviewView::PreviewView(QWidget* parent) : QWebEngineView(parent)
{
    // Before the page makes the widget it draws through.
    (void)PreviewSurface::drawsInSoftware();
    auto* page = new PreviewPageGuard(this);
    guard_ = page;
    loads_ = new PreviewLoads(this);
    page->setUrlRequestInterceptor(loads_);
    // The follow script and its channel live in the application's world only:
    // document content has no script, and could not reach either if it had.
    bridge_ = new PreviewBridge(this);
    connect(bridge_, &PreviewBridge::lineClicked, this, [this](int line) {
        emit lineClicked(line);
        if (onLineClicked)
            onLineClicked(line);
    });
    connect(bridge_, &PreviewBridge::contentShown, this, &PreviewView::uncover);
    channel_ = new QWebChannel(this);
    channel_->registerObject(QStringLiteral("preview"), bridge_);
    page->setWebChannel(channel_, QWebEngineScript::ApplicationWorld);
    QWebEngineScript follow;
    follow.setName(QStringLiteral("lorvane-follow"));
    follow.setSourceCode(FollowScript::source());
    follow.setWorldId(QWebEngineScript::ApplicationWorld);
    follow.setInjectionPoint(QWebEngineScript::DocumentReady);
    follow.setRunsOnSubFrames(false);
    page->scripts().insert(follow);
    frame_.setSingleShot(true);
    frame_.setInterval(16);
    connect(&frame_, &QTimer::timeout, this, &PreviewView::sendFollow);
    // Page scripts never run; content arrives through the application's own world.
    page->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    // Pictures beside the document load from disk; every other local load is refused by PreviewLoads.
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    setPage(page);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAccessibleName(QStringLiteral("预览"));
    page->setBackgroundColor(Palette::window().resolve());
    connect(this, &QWebEngineView::loadStarted, this, [this] { loaded_ = false; });
    connect(this, &QWebEngineView::loadFinished, this, [this](bool) {
        loaded_ = true;
        giveBackStartupHeap();
        // Whatever an earlier (replaced) load received is gone with it.
        pending_.clear();
        pusher_->drop();
        applyAppearance();
        // A new load may start at the engine's default zoom.
        setZoomFactor(zoom_);
        push();
        sendFollow();
    });
    // Should anything still take the page elsewhere, the shell comes back with the content.
    // Only once the shell has loaded, so a spelling of the base the engine reports differently can never loop.
    connect(this, &QWebEngineView::urlChanged, this, [this](const QUrl& url) {
        if (loaded_ && !url.isEmpty() && url.toString(QUrl::FullyEncoded) != base_.toString(QUrl::FullyEncoded))
            loadShell();
    });
    connect(&AppearanceNotifier::shared(), &AppearanceNotifier::appearanceChanged, this, &PreviewView::applyAppearance);
    // The page keeps painting its last frame while it lays out a big new
    // content, which can take seconds: another document's frame must not
    // stand meanwhile.
    cover_ = new QLabel(QStringLiteral("正在渲染…"), this);
    cover_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cover_->hide();
    // A page that never reports back (a broken channel, a renderer that
    // died) must not leave the cover up for good.
    coverLimit_.setSingleShot(true);
    connect(&coverLimit_, &QTimer::timeout, cover_, &QWidget::hide);
    pusher_ = new PreviewPush(this);
    connect(pusher_, &PreviewPush::ready, this, [this](quint64, const QString& script) { send(script); });
    applyAppearance();
    base_ = baseFor(nullptr);
    // A first document in a folder loads the shell with that folder for its
    // base: loaded here as well, the page would be loaded twice in a turn.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!shellAsked_)
                loadShell();
        },
        Qt::QueuedConnection);
}

namespace {
bool warm = false;
}

bool PreviewView::isWarm() { return warm; }

void PreviewView::warmUp()
{
    if (std::exchange(warm, true))
        return;
    // The engine reads how views draw when it starts.
    (void)PreviewSurface::drawsInSoftware();
    // Fonts read and encoded on a worker; the engine must start on this thread.
    WorkLanes::shared().post(Lane::Preview, [] { (void)PreviewPage::shell(); });
    (void)QWebEngineProfile::defaultProfile();
}

QUrl PreviewView::baseFor(const Doc* doc)
{
    if (!doc || !doc->url() || doc->url()->isEmpty())
        return QUrl(QStringLiteral("about:blank"));
    return QUrl::fromLocalFile(QFileInfo(*doc->url()).absolutePath() + QLatin1Char('/'));
}

void PreviewView::loadShell()
{
    shellAsked_ = true;
    loaded_ = false;
    pending_.clear();
    pusher_->drop();
    guard_->expectShell();
    setHtml(PreviewPage::shell(), base_);
}

void PreviewView::rebase()
{
    const QUrl base = baseFor(doc_.get());
    if (base == base_)
        return;
    // The page on screen stays until the new shell has loaded: it must not go
    // on showing another document meanwhile.
    if (loaded_)
        page()->runJavaScript(PreviewScript::content(PreviewPage::fragment(PreviewState::none())),
                              QWebEngineScript::ApplicationWorld);
    base_ = base;
    loadShell();
}

void PreviewView::setDoc(const DocPtr& doc)
{
    if (doc == doc_)
        return;
    disconnect(link_);
    disconnect(urlLink_);
    doc_ = doc;
    ++epoch_;
    cover_->setGeometry(rect());
    cover_->show();
    cover_->raise();
    coverLimit_.start(coverLimitMSecs);
    if (doc_) {
        link_ = connect(doc_.get(), &Doc::previewChanged, this, &PreviewView::push);
        urlLink_ = connect(doc_.get(), &Doc::urlChanged, this, &PreviewView::rebase);
    }
    // Another folder means another base: the shell loads again and the content follows it.
    rebase();
    push();
}

void PreviewView::push()
{
    if (!loaded_)
        return;
    const QString html = doc_ ? PreviewPage::fragment(doc_->preview()) : QString();
    if (html == pending_) {
        // Still being built, it uncovers the page once it is in.
        if (!pusher_->building())
            uncover(epoch_);
        return;
    }
    pending_ = html;
    pusher_->request(html);
}

void PreviewView::send(const QString& script)
{
    // The shell is loading again: it asks for the content once it is in.
    if (!loaded_)
        return;
    page()->runJavaScript(script, QWebEngineScript::ApplicationWorld);
    // The new content is laid out before the followed line is looked up in
    // it; calls into one world run in the order they were made.
    QString after = follow_ ? FollowScript::followCall(*follow_) : QString();
    // The cover stays until a frame with this content has been drawn.
    after += QStringLiteral(";if(window.lorvaneShown)lorvaneShown(%1);").arg(epoch_);
    page()->runJavaScript(after, QWebEngineScript::ApplicationWorld);
}

void PreviewView::uncover(unsigned long long epoch)
{
    if (epoch == epoch_) {
        cover_->hide();
        coverLimit_.stop();
    }
}

void PreviewView::setCoverLimit(int msecs) { coverLimitMSecs = msecs; }

bool PreviewView::isCovered() const { return !cover_->isHidden(); }

void PreviewView::setZoom(double factor)
{
    zoom_ = factor;
    setZoomFactor(factor);
}

void PreviewView::resizeEvent(QResizeEvent* e)
{
    QWebEngineView::resizeEvent(e);
    cover_->setGeometry(rect());
}

void PreviewView::followLine(double line)
{
    follow_ = std::max(0.0, line);
    if (!frame_.isActive())
        frame_.start();
}

void PreviewView::stopFollowing()
{
    follow_.reset();
    frame_.stop();
}

void PreviewView::sendFollow()
{
    if (loaded_ && follow_)
        page()->runJavaScript(FollowScript::followCall(*follow_), QWebEngineScript::ApplicationWorld);
}

QString PreviewView::themeScript(bool dark)
{
    // The shell's stylesheet holds both value sets; the one the application shows wins
    // over the desktop's preference by being set on the root element itself.
    return QStringLiteral("(function(dark){var light='',night='';"
                          "for(const s of document.styleSheets){let rules;try{rules=s.cssRules;}catch(e){continue;}"
                          "for(const r of rules){if(r.selectorText===':root'&&!light)light=r.style.cssText;"
                          "if(r.media&&r.media.mediaText.indexOf('dark')>=0)for(const x of r.cssRules)"
                          "if(x.selectorText===':root')night=x.style.cssText;}}"
                          "document.documentElement.style.cssText=dark?light+night:light;})(%1)")
        .arg(dark ? QStringLiteral("true") : QStringLiteral("false"));
}

void PreviewView::applyAppearance()
{
    page()->setBackgroundColor(Palette::window().resolve());
    cover_->setStyleSheet(QStringLiteral("QLabel{background:%1;color:%2;font-size:11px;padding:26px 30px}")
                              .arg(Palette::window().resolve().name(), Palette::fg3().resolve().name()));
    if (loaded_)
        page()->runJavaScript(themeScript(Palette::isDark()), QWebEngineScript::ApplicationWorld);
}
