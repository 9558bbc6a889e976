#pragma once

#include "text/ContentKind.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <functional>
#include <optional>
#include <variant>

// A value or a user-visible error message.
template <class T> class Result {
public:
    Result(T value) : v_(std::move(value)) {}
    static Result failure(QString message)
    {
        Result r;
        r.v_ = Error{std::move(message)};
        return r;
    }

    explicit operator bool() const { return v_.index() == 0; }
    bool ok() const { return v_.index() == 0; }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T* operator->() { return &value(); }
    const QString& error() const { return std::get<1>(v_).message; }

private:
    struct Error {
        QString message;
    };
    Result() = default;
    std::variant<T, Error> v_;
};

// What identifies a file's content on disk without reading it: another
// program that rewrites or replaces the file changes at least one of these
// (the change time even when it puts the modification time back).
struct FileStamp {
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    qint64 size = 0;
    quint64 device = 0;
    quint64 inode = 0;
    // The content read or written with this stamp, when known; not part of
    // the comparison, it settles a stamp too recent to trust.
    std::optional<quint64> contentHash;
    bool operator==(const FileStamp& o) const
    {
        return mtimeNs == o.mtimeNs && ctimeNs == o.ctimeNs && size == o.size && device == o.device && inode == o.inode;
    }
};

namespace FileIO {
// Whole-file read; errors are described in Chinese, followed by the
// system's reason on a second line.
Result<QByteArray> read(const QString& path);
// Opens the file the QFile names, with read()'s errors. Only regular files
// are opened: a pipe or a device (or a link to one) could block or never end.
std::optional<QString> openForReading(QFile& file);
// What the start of the file says it is; text when it cannot be read (the
// reading itself then tells why).
ContentKind contentKind(const QString& path);
// Writes through a temporary file and renames it over the target, so the
// old content survives any failure. Mode, owner, group and extended
// attributes (ACLs included) of a file it replaces are kept. Returns the
// error, or nullopt.
std::optional<QString> writeAtomically(const QString& path, const QByteArray& bytes);

// How save() writes a file.
enum class WriteMode {
    replace,  // new file beside it, then renamed over it
    inPlace,  // the file's own inode is rewritten
};
// In place when replacing would change what the file is: other hard links,
// a symbolic link on the way, another owner, or a directory that cannot
// take a temporary file (this last one is found out while saving).
WriteMode writeMode(const QString& path);
// Saves the bytes to the file. Before anything is written in place,
// `beforeInPlace` must confirm that the content is kept elsewhere (false
// stops the save untouched). `written` receives the new file's stamp.
std::optional<QString> save(const QString& path, const QByteArray& bytes,
                            const std::function<bool()>& beforeInPlace = {}, FileStamp* written = nullptr);

std::optional<QDateTime> modificationDate(const QString& path);
// The stamp of the file a path leads to; absent when there is none.
std::optional<FileStamp> stamp(const QString& path);
// Whether a write could have landed after this stamp without changing it:
// the file changed so recently that the clock's tick may not have moved.
bool ambiguous(const FileStamp& stamp);
quint64 contentHash(QByteArrayView bytes);
// The same taken piece by piece, as a file is read.
class ContentHash {
public:
    static constexpr qsizetype block = 1 << 20;
    void add(QByteArrayView bytes);
    quint64 result() const;

private:
    size_t hash_ = 0x5a17;
    QByteArray partial_;
};
// Whether the file still holds the content the stamp was taken with (true
// when that content is not known).
bool sameContent(const QString& path, const FileStamp& stamp);
// "~" for the home directory.
QString abbreviateHome(const QString& path);
// The description of an errno value, in Chinese for the common ones.
QString reason(int err);
}
