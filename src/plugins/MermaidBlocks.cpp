#include "plugins/MermaidBlocks.h"

#include "plugins/HTML.h"

#include <QCryptographicHash>
#include <QHash>
#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>

namespace MermaidBlocks {

namespace {

std::atomic<Theme> current{Theme::light};
thread_local std::optional<Theme> forced;

struct Store {
    std::mutex lock;
    QHash<QString, QString> done;  // key → inner HTML
    std::deque<QString> order;     // keys of `done`, oldest first
    std::vector<Request> asked;    // not stored yet
    size_t handedOut = 0;          // the first ones of `asked` are being drawn
    std::function<void()> waker;
};

Store& store()
{
    static Store s;
    return s;
}

QString key(const Request& r) { return (r.theme == Theme::dark ? u'd' : u'l') + r.source; }

void put(const Request& request, const QString& html)
{
    Store& s = store();
    const std::lock_guard<std::mutex> guard(s.lock);
    const QString k = key(request);
    if (!s.done.contains(k))
        s.order.push_back(k);
    s.done.insert(k, html);
    while (s.order.size() > size_t(capacity)) {
        s.done.remove(s.order.front());
        s.order.pop_front();
    }
    if (const auto it = std::find(s.asked.begin(), s.asked.end(), request); it != s.asked.end()) {
        if (size_t(it - s.asked.begin()) < s.handedOut)
            --s.handedOut;
        s.asked.erase(it);
    }
}

}

void setTheme(Theme theme) { current = theme; }

Theme theme() { return forced.value_or(current.load()); }

LightForExport::LightForExport() : before_(forced) { forced = Theme::light; }

LightForExport::~LightForExport() { forced = before_; }

QString diagramId(const Request& request)
{
    const QByteArray hash = QCryptographicHash::hash(key(request).toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("mermaid-") + QString::fromLatin1(hash.left(16));
}

QString html(const QString& source)
{
    const Request request{theme(), source};
    std::function<void()> wake;
    {
        Store& s = store();
        const std::lock_guard<std::mutex> guard(s.lock);
        if (auto it = s.done.constFind(key(request)); it != s.done.constEnd())
            return *it;
        if (std::find(s.asked.begin(), s.asked.end(), request) == s.asked.end()) {
            wake = s.waker;
            s.asked.push_back(request);
        }
    }
    if (wake)
        wake();
    return QStringLiteral("<div class=\"cap\"><span>正在渲染…</span></div>");
}

std::vector<Request> takeRequests()
{
    Store& s = store();
    const std::lock_guard<std::mutex> guard(s.lock);
    std::vector<Request> out(s.asked.begin() + qsizetype(s.handedOut), s.asked.end());
    s.handedOut = s.asked.size();
    return out;
}

bool hasRequests()
{
    Store& s = store();
    const std::lock_guard<std::mutex> guard(s.lock);
    return !s.asked.empty();
}

void setWaker(std::function<void()> waker)
{
    Store& s = store();
    const std::lock_guard<std::mutex> guard(s.lock);
    s.waker = std::move(waker);
}

void storeDiagram(const Request& request, const QString& svg) { put(request, svg); }

void storeError(const Request& request, const QString& message)
{
    QString out = QStringLiteral("<div class=\"err\">Mermaid 图表错误：");
    HTML::appendEsc(out, message);
    out += QStringLiteral("</div>");
    put(request, out);
}

void clear()
{
    Store& s = store();
    const std::lock_guard<std::mutex> guard(s.lock);
    s.done.clear();
    s.order.clear();
    s.asked.clear();
    s.handedOut = 0;
}

}
