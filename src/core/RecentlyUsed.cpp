#include "core/RecentlyUsed.h"

#include "core/FileIO.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString bookmarkNS = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
const QString mimeNS = QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info");
const QString appName = QStringLiteral("Lorvane");
const QString appExec = QStringLiteral("'lorvane %u'");

QString stamp(const QDateTime& t) { return t.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz000Z")); }

struct Entry {
    QString href;
    QString modified;     // ISO 8601 in UTC, so text order is time order
    bool ours = false;    // this program is among its applications
    bool others = false;  // ... and so is another one
};

// Every bookmark of a readable list, or nothing when the list is not XBEL.
std::optional<std::vector<Entry>> entries(const QByteArray& xml)
{
    std::vector<Entry> out;
    QXmlStreamReader r(xml);
    bool root = false;
    int depth = 0;
    while (!r.atEnd()) {
        const QXmlStreamReader::TokenType t = r.readNext();
        if (t == QXmlStreamReader::EndElement)
            --depth;
        if (t != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        if (!root) {
            if (r.name() != QLatin1String("xbel"))
                return std::nullopt;
            root = true;
        } else if (depth == 2 && r.name() == QLatin1String("bookmark")) {
            const QXmlStreamAttributes a = r.attributes();
            out.push_back({a.value(QLatin1String("href")).toString(), a.value(QLatin1String("modified")).toString()});
        } else if (depth > 2 && !out.empty() && r.name() == QLatin1String("application")
                   && r.namespaceUri() == bookmarkNS) {
            (r.attributes().value(QLatin1String("name")) == appName ? out.back().ours : out.back().others) = true;
        }
    }
    if (r.hasError() || !root)
        return std::nullopt;
    return out;
}

void writeApplication(QXmlStreamWriter& w, const QString& when, int count)
{
    w.writeEmptyElement(bookmarkNS, QStringLiteral("application"));
    w.writeAttribute(QStringLiteral("name"), appName);
    w.writeAttribute(QStringLiteral("exec"), appExec);
    w.writeAttribute(QStringLiteral("modified"), when);
    w.writeAttribute(QStringLiteral("count"), QString::number(count));
}

void writeInfo(QXmlStreamWriter& w, const QString& mimeType, const QString& when)
{
    w.writeStartElement(QStringLiteral("info"));
    w.writeStartElement(QStringLiteral("metadata"));
    w.writeAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
    w.writeEmptyElement(mimeNS, QStringLiteral("mime-type"));
    w.writeAttribute(QStringLiteral("type"), mimeType);
    w.writeStartElement(bookmarkNS, QStringLiteral("applications"));
    writeApplication(w, when, 1);
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
}

void writeBookmark(QXmlStreamWriter& w, const QString& href, const QString& mimeType, const QString& when)
{
    w.writeStartElement(QStringLiteral("bookmark"));
    w.writeAttribute(QStringLiteral("href"), href);
    w.writeAttribute(QStringLiteral("added"), when);
    w.writeAttribute(QStringLiteral("modified"), when);
    w.writeAttribute(QStringLiteral("visited"), when);
    writeInfo(w, mimeType, when);
    w.writeEndElement();
}

// Copies the old list token by token, dropping `dropped` bookmarks and
// refreshing ours, so what other programs stored comes through unchanged.
QByteArray rewrite(const QByteArray& old, const QString& href, const QString& mimeType, const QString& when,
                   const QSet<QString>& dropped)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    if (old.isEmpty()) {
        w.writeStartElement(QStringLiteral("xbel"));
        w.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
        w.writeNamespace(bookmarkNS, QStringLiteral("bookmark"));
        w.writeNamespace(mimeNS, QStringLiteral("mime"));
        writeBookmark(w, href, mimeType, when);
        w.writeEndDocument();
        return out;
    }

    QXmlStreamReader r(old);
    int depth = 0;
    bool inOurs = false;   // inside the bookmark of this file
    bool haveApp = false;  // ... which already names us
    bool wroteApp = false;
    bool found = false;
    while (!r.atEnd()) {
        const QXmlStreamReader::TokenType t = r.readNext();
        // The writer indents on its own; copied blanks would pile up.
        if (t == QXmlStreamReader::StartDocument || t == QXmlStreamReader::EndDocument
            || (t == QXmlStreamReader::Characters && r.isWhitespace()))
            continue;
        if (t == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 1) {
                w.writeCurrentToken(r);
                // Ours may be the first use of these prefixes.
                if (r.namespaceDeclarations().isEmpty()) {
                    w.writeNamespace(bookmarkNS, QStringLiteral("bookmark"));
                    w.writeNamespace(mimeNS, QStringLiteral("mime"));
                }
                continue;
            }
            if (depth == 2 && r.name() == QLatin1String("bookmark")) {
                const QString h = r.attributes().value(QLatin1String("href")).toString();
                if (dropped.contains(h)) {
                    r.skipCurrentElement();
                    --depth;
                    continue;
                }
                if (h == href && !found) {
                    inOurs = found = true;
                    haveApp = wroteApp = false;
                    w.writeStartElement(QStringLiteral("bookmark"));
                    QXmlStreamAttributes a = r.attributes();
                    for (const QXmlStreamAttribute& at : a)
                        if (at.qualifiedName() != QLatin1String("modified")
                            && at.qualifiedName() != QLatin1String("visited"))
                            w.writeAttribute(at);
                    w.writeAttribute(QStringLiteral("modified"), when);
                    w.writeAttribute(QStringLiteral("visited"), when);
                    continue;
                }
            }
            if (inOurs && r.name() == QLatin1String("application") && r.namespaceUri() == bookmarkNS
                && r.attributes().value(QLatin1String("name")) == appName) {
                const int count = r.attributes().value(QLatin1String("count")).toInt();
                writeApplication(w, when, std::max(count, 0) + 1);
                r.skipCurrentElement();
                --depth;
                haveApp = wroteApp = true;
                continue;
            }
        } else if (t == QXmlStreamReader::EndElement) {
            if (inOurs && !haveApp && r.name() == QLatin1String("applications") && r.namespaceUri() == bookmarkNS) {
                writeApplication(w, when, 1);
                wroteApp = true;
            }
            if (inOurs && depth == 2) {
                if (!wroteApp)
                    writeInfo(w, mimeType, when);
                inOurs = false;
            }
            if (depth == 1 && !found)
                writeBookmark(w, href, mimeType, when);
            --depth;
        }
        w.writeCurrentToken(r);
    }
    w.writeEndDocument();
    return out;
}

}

namespace RecentlyUsed {

QString path()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/recently-used.xbel");
}

namespace {

// Larger is no list of recent files; it is left alone rather than read.
constexpr qint64 maxListBytes = 32 << 20;

// Held while the list is read and replaced, so two programs noting a file at
// once do not lose one another's entry; on a lock file beside the list, which
// the atomic replacement of the list cannot take away.
class ListLock {
public:
    explicit ListLock(const QString& listPath)
    {
        const QByteArray name = QFile::encodeName(listPath + QStringLiteral(".lock"));
        fd_ = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (fd_ < 0)
            return;
        // Another writer holds it only for a moment; a stuck one is not waited for.
        for (int tries = 0; tries < 50; ++tries) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                locked_ = true;
                return;
            }
            if (errno != EWOULDBLOCK && errno != EINTR)
                return;
            QThread::msleep(10);
        }
    }
    ~ListLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
    bool locked() const { return locked_; }

private:
    int fd_ = -1;
    bool locked_ = false;
};

}

bool note(const QString& filePath, const QDateTime& when, int limit)
{
    const QString listPath = path();
    QDir().mkpath(QFileInfo(listPath).absolutePath());
    const ListLock lock(listPath);
    if (!lock.locked())
        return false;
    // Only a regular file is read: a pipe or a device there would block or never end.
    struct stat st {};
    const bool exists = ::stat(QFile::encodeName(listPath).constData(), &st) == 0;
    QByteArray old;
    if (exists) {
        if (!S_ISREG(st.st_mode) || st.st_size > maxListBytes)
            return false;
        auto bytes = FileIO::read(listPath);
        if (!bytes)
            return false;
        old = std::move(bytes.value());
    }
    const QString href = QUrl::fromLocalFile(filePath).toString(QUrl::FullyEncoded);
    const QString now = stamp(when);

    QSet<QString> dropped;
    if (!old.isEmpty()) {
        auto list = entries(old);
        if (!list)
            return false;
        // Over the cap only bookmarks that are this program's alone go, the
        // oldest first, never the one being noted: the others belong to
        // other programs.
        std::erase_if(*list, [&](const Entry& e) { return e.href == href; });
        qsizetype over = qsizetype(list->size()) - std::max(limit - 1, 0);
        std::erase_if(*list, [](const Entry& e) { return !e.ours || e.others; });
        std::stable_sort(list->begin(), list->end(),
                         [](const Entry& a, const Entry& b) { return a.modified < b.modified; });
        for (qsizetype i = 0; i < over && i < qsizetype(list->size()); ++i)
            dropped.insert((*list)[size_t(i)].href);
    }
    const QString mimeType = QMimeDatabase().mimeTypeForFile(filePath).name();
    const QByteArray xml = rewrite(old, href, mimeType, now, dropped);

    QSaveFile out(listPath);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (!exists)
        out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    out.write(xml);
    return out.commit();
}

}
