#include "core/BackupStore.h"

#include "core/Doc.h"
#include "core/FileIO.h"
#include "core/JSONCodec.h"
#include "text/CodePoints.h"
#include "text/TextEncoding.h"
#include "text/WorkLanes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QUtf8StringView>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace BackupStore {

namespace {

QJsonValue member(const QJsonObject& o, const char* key) { return o.value(QLatin1String(key)); }

// Absent or null is fine; any other type spoils the snapshot.
bool optionalString(const QJsonObject& o, const char* key, std::optional<QString>& out)
{
    const QJsonValue v = member(o, key);
    if (v.isUndefined() || v.isNull())
        return true;
    if (!v.isString())
        return false;
    out = v.toString();
    return true;
}

std::optional<QString> requiredString(const QJsonObject& o, const char* key)
{
    const QJsonValue v = member(o, key);
    if (!v.isString())
        return std::nullopt;
    return v.toString();
}

}

QString directory()
{
    static const QString dir = [] {
        QString path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/Lorvane/Backups");
        QDir().mkpath(path);
        return path;
    }();
    return dir;
}

QString fileFor(QUuid id) { return directory() + QLatin1Char('/') + uuidText(id) + QStringLiteral(".json"); }

bool exists(QUuid id) { return QFileInfo(fileFor(id)).isFile(); }

namespace {

// Everything but the text.
DocSnapshot fieldsOf(const Doc& doc)
{
    DocSnapshot s;
    s.id = doc.id;
    s.path = doc.url();
    s.name = doc.name();
    s.encoding = doc.encoding();
    s.eol = doc.eol();
    s.tags = doc.tags();
    s.originalName = doc.originalName();
    s.metaDirty = doc.metaDirty();
    s.diskModified = doc.diskModified();
    s.mode = doc.mode();
    s.savedAt = QDateTime::currentDateTimeUtc();
    s.autoExt = doc.autoExt();
    return s;
}

}

DocSnapshot snapshot(const Doc& doc)
{
    DocSnapshot s = fieldsOf(doc);
    s.text = doc.text();
    return s;
}

QJsonValue encode(const DocSnapshot& s)
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), uuidText(s.id));
    if (s.path)
        o.insert(QStringLiteral("path"), *s.path);
    o.insert(QStringLiteral("name"), s.name);
    o.insert(QStringLiteral("text"), s.text);
    o.insert(QStringLiteral("encoding"), s.encoding.rawValue());
    o.insert(QStringLiteral("eol"), s.eol.rawValue());
    o.insert(QStringLiteral("tags"), JSONCodec<QStringList>::encode(s.tags));
    if (s.originalName)
        o.insert(QStringLiteral("originalName"), *s.originalName);
    o.insert(QStringLiteral("metaDirty"), s.metaDirty);
    if (s.diskModified)
        o.insert(QStringLiteral("diskModified"), StoredJSON::seconds(*s.diskModified));
    o.insert(QStringLiteral("mode"), s.mode.rawValue());
    o.insert(QStringLiteral("savedAt"), StoredJSON::seconds(s.savedAt));
    if (s.autoExt)
        o.insert(QStringLiteral("autoExt"), *s.autoExt);
    return o;
}

std::optional<DocSnapshot> decode(const QJsonValue& j)
{
    if (!j.isObject())
        return std::nullopt;
    const QJsonObject o = j.toObject();
    DocSnapshot s;

    const auto id = requiredString(o, "id");
    const auto name = requiredString(o, "name");
    const auto text = requiredString(o, "text");
    const auto encoding = requiredString(o, "encoding");
    const auto eol = requiredString(o, "eol");
    const auto mode = requiredString(o, "mode");
    const QJsonValue tags = member(o, "tags");
    const QJsonValue metaDirty = member(o, "metaDirty");
    const QJsonValue savedAt = member(o, "savedAt");
    if (!id || !name || !text || !encoding || !eol || !mode || !metaDirty.isBool() || !savedAt.isDouble())
        return std::nullopt;

    const auto uuid = parseUuid(*id);
    const auto enc = TextEncoding::fromRawValue(*encoding);
    const auto le = LineEnding::fromRawValue(*eol);
    const auto vm = ViewMode::fromRawValue(*mode);
    auto tagList = JSONCodec<QStringList>::decode(tags);
    const auto saved = StoredJSON::date(savedAt.toDouble());
    if (!uuid || !enc || !le || !vm || !tagList || !saved)
        return std::nullopt;

    s.id = *uuid;
    s.name = *name;
    s.text = *text;
    s.encoding = *enc;
    s.eol = *le;
    s.tags = std::move(*tagList);
    s.metaDirty = metaDirty.toBool();
    s.mode = *vm;
    s.savedAt = *saved;

    if (!optionalString(o, "path", s.path) || !optionalString(o, "originalName", s.originalName)
        || !optionalString(o, "autoExt", s.autoExt))
        return std::nullopt;
    if (const QJsonValue disk = member(o, "diskModified"); !disk.isUndefined() && !disk.isNull()) {
        if (!disk.isDouble())
            return std::nullopt;
        s.diskModified = StoredJSON::date(disk.toDouble());
        if (!s.diskModified)
            return std::nullopt;
    }
    return s;
}

namespace {

// Appends UTF-8 text as the inside of a JSON string, escaped as the stored
// JSON writer escapes it.
void appendEscaped(QByteArray& out, QByteArrayView utf8)
{
    static constexpr char hex[] = "0123456789abcdef";
    const char* p = utf8.data();
    const char* const end = p + utf8.size();
    while (p != end) {
        const char* run = p;
        while (p != end && uchar(*p) >= 0x20 && *p != '"' && *p != '\\' && *p != '/')
            ++p;
        out.append(run, p - run);
        if (p == end)
            break;
        const uchar c = uchar(*p++);
        out.append('\\');
        switch (c) {
        case '"':
        case '\\':
        case '/': out.append(char(c)); break;
        case '\b': out.append('b'); break;
        case '\f': out.append('f'); break;
        case '\n': out.append('n'); break;
        case '\r': out.append('r'); break;
        case '\t': out.append('t'); break;
        default: out.append("u00").append(hex[c >> 4]).append(hex[c & 0xf]);
        }
    }
}

// The stored JSON of a snapshot whose text is the given copy. Valid UTF-8
// goes into the JSON as it is: a long text is never turned into UTF-16 or
// a JSON tree for it.
QByteArray encodeWithText(DocSnapshot s, Doc::TextCopy text)
{
    // A held text, or bytes that are not UTF-8 (shown with replacement
    // characters), go in as the UTF-8 of the text shown.
    if (!text.isUtf8())
        text = Doc::TextCopy::fromUtf8(std::exchange(text.text, QString()).toUtf8());
    else if (!QUtf8StringView(text.utf8).isValidUtf8())
        text = Doc::TextCopy::fromUtf8(text.toString().toUtf8());
    s.text.clear();
    const QByteArray fields = StoredJSON::write(encode(s));
    static const QByteArray emptyText = QByteArrayLiteral("\"text\":\"\"");
    // Quotes inside strings are escaped, so the first match is the member.
    const qsizetype at = fields.indexOf(emptyText);
    const qsizetype split = at + emptyText.size() - 1;
    QByteArray out;
    out.reserve(fields.size() + text.utf8.size() + text.utf8.size() / 8);
    out.append(QByteArrayView(fields).first(split));
    appendEscaped(out, std::exchange(text.utf8, QByteArray()));
    out.append(QByteArrayView(fields).sliced(split));
    return out;
}

// Four hex digits at p, or -1.
int hex4(const char* p)
{
    int v = 0;
    for (int k = 0; k < 4; ++k) {
        const int d = CodePoints::hexValue(uchar(p[k]));
        if (d < 0)
            return -1;
        v = v * 16 + d;
    }
    return v;
}

}

std::optional<SplitText> splitText(QByteArrayView json)
{
    static const QByteArray key = QByteArrayLiteral("\"text\":\"");
    // Quotes inside strings are escaped, so the first match is a member;
    // the members before it are short: it must be one of the top object's.
    const qsizetype at = json.indexOf(key);
    if (at <= 0 || (json[at - 1] != '{' && json[at - 1] != ','))
        return std::nullopt;
    int depth = 0;
    bool inString = false;
    for (qsizetype i = 0; i < at; ++i) {
        const char c = json[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    if (inString || depth != 1)
        return std::nullopt;
    const char* p = json.data() + at + key.size();
    const char* const end = json.data() + json.size();
    SplitText out;
    out.text.reserve(end - p);
    for (;;) {
        const char* run = p;
        while (p != end && *p != '"' && *p != '\\' && uchar(*p) >= 0x20)
            ++p;
        out.text.append(run, p - run);
        if (p == end || uchar(*p) < 0x20)
            return std::nullopt;
        if (*p == '"')
            break;
        if (end - p < 2)
            return std::nullopt;
        const char e = p[1];
        p += 2;
        switch (e) {
        case '"':
        case '\\':
        case '/': out.text.append(e); break;
        case 'b': out.text.append('\b'); break;
        case 'f': out.text.append('\f'); break;
        case 'n': out.text.append('\n'); break;
        case 'r': out.text.append('\r'); break;
        case 't': out.text.append('\t'); break;
        case 'u': {
            const int hi = end - p >= 4 ? hex4(p) : -1;
            if (hi < 0 || (hi >= 0xDC00 && hi <= 0xDFFF))
                return std::nullopt;
            p += 4;
            char32_t c = char32_t(hi);
            if (hi >= 0xD800 && hi <= 0xDBFF) {
                // Only a whole pair is a character; anything else is left to the JSON reader.
                const int lo = end - p >= 6 && p[0] == '\\' && p[1] == 'u' ? hex4(p + 2) : -1;
                if (lo < 0xDC00 || lo > 0xDFFF)
                    return std::nullopt;
                p += 6;
                c = 0x10000 + ((char32_t(hi) - 0xD800) << 10) + (char32_t(lo) - 0xDC00);
            }
            CodePoints::appendUtf8(out.text, c);
            break;
        }
        default: return std::nullopt;
        }
    }
    if (!isValidUTF8(out.text.constData(), out.text.size()))
        return std::nullopt;
    const qsizetype close = p - json.data();
    out.rest.reserve(json.size() - (close - at - qsizetype(key.size())));
    out.rest.append(json.first(at + key.size())).append(json.sliced(close));
    return out;
}

namespace {

// The system's reason of a write error, without the file it names.
QString reasonOf(const QString& error)
{
    const qsizetype line = error.lastIndexOf(QLatin1Char('\n'));
    return line < 0 ? error : error.mid(line + 1);
}

// The reason the snapshot is not on disk, or nullopt.
std::optional<QString> writeBytes(QUuid id, const QByteArray& bytes)
{
    const QString file = fileFor(id);
    auto error = FileIO::writeAtomically(file, bytes);
    if (!error)
        return std::nullopt;
    // The directory may have been removed while the program ran; the
    // snapshot is the only copy of the text, so make it again once.
    if (QDir(directory()).exists() || !QDir().mkpath(directory()))
        return reasonOf(*error);
    error = FileIO::writeAtomically(file, bytes);
    return error ? std::optional(reasonOf(*error)) : std::nullopt;
}

struct Job {
    DocSnapshot snapshot;  // without its text
    Doc::TextCopy text;
    TextBaseline baseline;
    quint64 revision = 0;
    std::weak_ptr<Doc> doc;
    // Clean on the main thread's cheap test: no text to copy or compare.
    bool clean = false;
    Done done;
};

// All snapshot writes go through the Snapshot lane, one after another, so
// the writes of one document can never overtake each other. A document
// waits with its newest job only.
class Writer {
public:
    static Writer& shared()
    {
        // Never destroyed: the lane may still write while statics go away.
        static Writer* w = new Writer;
        return *w;
    }

    void enqueue(Job job)
    {
        const QUuid id = job.snapshot.id;
        {
            std::lock_guard lock(m_);
            const bool queued = pending_.contains(id);
            pending_[id] = std::move(job);
            if (queued)
                return;
            order_.push_back(id);
        }
        // One turn of the lane for each document queued; a turn whose
        // document was settled meanwhile finds nothing to do.
        if (!WorkLanes::shared().post(Lane::Snapshot, [this] { runOne(); }))
            settle(id);  // the program is ending: nothing waits for it
    }

    // Drops the queued job of the document and waits for one in flight.
    void settle(QUuid id)
    {
        std::unique_lock lock(m_);
        if (pending_.remove(id))
            order_.erase(std::remove(order_.begin(), order_.end(), id), order_.end());
        idle_.wait(lock, [&] { return busy_ != id; });
    }

    // Waits until the document's queued and running jobs are done.
    void flush(QUuid id)
    {
        std::unique_lock lock(m_);
        idle_.wait(lock, [&] { return !pending_.contains(id) && busy_ != id; });
    }

    void drain()
    {
        std::unique_lock lock(m_);
        idle_.wait(lock, [&] { return order_.empty() && busy_.isNull(); });
    }

private:
    void runOne()
    {
        std::unique_lock lock(m_);
        if (order_.empty())
            return;
        const QUuid id = order_.front();
        order_.pop_front();
        Job job = pending_.take(id);
        busy_ = id;
        lock.unlock();
        perform(job);
        // Dropped here, not under the lock: the last copy of a long text.
        job = Job{};
        lock.lock();
        busy_ = QUuid();
        idle_.notify_all();
    }

    static void perform(Job& job)
    {
        DocSnapshot& s = job.snapshot;
        const bool textClean = job.clean
            || (job.text.isUtf8() ? job.baseline.matchesUtf8(job.text.utf8) : job.baseline.matches(job.text.text));
        const QString file = fileFor(s.id);
        const bool had = QFileInfo::exists(file);
        const bool dirty = s.originalName || s.metaDirty || !textClean;
        bool has = had;
        std::optional<QString> failure;
        if (dirty) {
            failure = writeBytes(s.id, encodeWithText(s, std::exchange(job.text, {})));
            has = !failure || had;
        } else if (had)
            has = !QFile::remove(file);
        if (!QCoreApplication::instance())
            return;
        // The document learns when its changed bytes read as its baseline.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [done = job.done, had, has, failure, textClean, clean = job.clean, doc = job.doc, revision = job.revision,
             baseline = job.baseline] {
                if (const auto d = doc.lock(); d && textClean && !clean)
                    d->confirmClean(revision, baseline);
                if (done)
                    done(had, has, failure);
            },
            Qt::QueuedConnection);
    }

    std::mutex m_;
    std::condition_variable idle_;
    std::deque<QUuid> order_;
    QHash<QUuid, Job> pending_;
    QUuid busy_;
};

}

bool write(const Doc& doc)
{
    Writer::shared().settle(doc.id);
    return !writeBytes(doc.id, encodeWithText(fieldsOf(doc), doc.textCopy()));
}

void sync(const Doc& doc, Done done) { sync(doc, doc.isDirty() ? doc.textCopy() : Doc::TextCopy(), std::move(done)); }

void sync(const Doc& doc, Doc::TextCopy text, Done done)
{
    // Converting and comparing the copy are the worker's.
    const bool clean = !doc.isDirty();
    Writer::shared().enqueue(Job{fieldsOf(doc), clean ? Doc::TextCopy() : std::move(text), doc.baseline(),
                                 doc.revision(), doc.weakSelf(), clean, std::move(done)});
}

void waitForWrites() { Writer::shared().drain(); }

std::optional<DocSnapshot> load(QUuid id)
{
    Writer::shared().flush(id);
    auto bytes = FileIO::read(fileFor(id));
    if (!bytes)
        return std::nullopt;
    return read(std::exchange(bytes.value(), QByteArray()));
}

std::optional<DocSnapshot> read(QByteArray stored)
{
    if (auto split = splitText(stored)) {
        stored = QByteArray();
        const auto json = StoredJSON::read(split->rest);
        if (!json)
            return std::nullopt;
        auto s = decode(*json);
        if (s)
            s->text = Doc::TextCopy::decode(split->text);
        return s;
    }
    const auto json = StoredJSON::read(stored);
    stored = QByteArray();
    if (!json)
        return std::nullopt;
    return decode(*json);
}

void remove(QUuid id)
{
    Writer::shared().settle(id);
    QFile::remove(fileFor(id));
}

QList<QUuid> allIDs()
{
    const QDir dir(directory());
    if (!dir.exists())
        return {};
    QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Unsorted);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [](const QFileInfo& f) { return f.suffix() != QLatin1String("json"); }),
                  entries.end());
    // Entries without a modification time count as the earliest.
    const auto time = [](const QFileInfo& f) {
        const QDateTime t = f.lastModified();
        return t.isValid() ? t.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
    };
    std::vector<std::pair<qint64, QString>> keyed;
    keyed.reserve(size_t(entries.size()));
    for (const QFileInfo& f : entries)
        keyed.emplace_back(time(f), f.completeBaseName());
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<QUuid> ids;
    for (const auto& [t, base] : keyed)
        if (const auto id = parseUuid(base))
            ids.append(*id);
    return ids;
}

std::optional<QDateTime> modificationDate(const QString& path) { return FileIO::modificationDate(path); }

}
