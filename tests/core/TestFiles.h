#pragma once

#include "core/Doc.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>

// A private directory with helpers to write and read raw file bytes.
struct TestDir {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        f.close();
        return path(name);
    }
    static QByteArray read(const QString& file)
    {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};

// A UTF-8, LF document of its own, named `name`, holding `text`, never saved.
inline DocPtr newDoc(const QString& name, const QString& text)
{
    return makeDoc(QUuid::createUuid(), name, text, std::nullopt, TextEncoding::utf8, LineEnding::lf, {});
}

inline bool setMTime(const QString& path, const QDateTime& t)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(t, QFileDevice::FileModificationTime);
}

// While alive, the process cannot write a file past `bytes`: a full disk.
struct FileSizeLimit {
    rlimit old{};
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
};
