#include "core/RecentlyUsed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <optional>

namespace {

const QString bookmarkNS = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
const QString mimeNS = QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info");
const QString appName = QStringLiteral("Lorvane");
const QString appExec = QStringLiteral("'lorvane %u'");

QString stamp(const QDateTime& t) { return t.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz000Z")); }

struct Entry {
    QString href;
    QString modified;  // ISO 8601 in UTC, so text order is time order
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

bool note(const QString& filePath, const QDateTime& when, int limit)
{
    const QString listPath = path();
    QByteArray old;
    QFile in(listPath);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly))
            return false;
        old = in.readAll();
        in.close();
    }
    const QString href = QUrl::fromLocalFile(filePath).toString(QUrl::FullyEncoded);
    const QString now = stamp(when);

    QSet<QString> dropped;
    if (!old.isEmpty()) {
        auto list = entries(old);
        if (!list)
            return false;
        // The oldest go first, never the one being noted.
        std::erase_if(*list, [&](const Entry& e) { return e.href == href; });
        if (qsizetype(list->size()) > limit - 1) {
            std::stable_sort(list->begin(), list->end(),
                             [](const Entry& a, const Entry& b) { return a.modified < b.modified; });
            for (qsizetype i = 0; i < qsizetype(list->size()) - std::max(limit - 1, 0); ++i)
                dropped.insert((*list)[size_t(i)].href);
        }
    }
    const QString mimeType = QMimeDatabase().mimeTypeForFile(filePath).name();
    const QByteArray xml = rewrite(old, href, mimeType, now, dropped);

    QDir().mkpath(QFileInfo(listPath).absolutePath());
    QSaveFile out(listPath);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (old.isEmpty() && !in.exists())
        out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    out.write(xml);
    return out.commit();
}

}
