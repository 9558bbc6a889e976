#include "core/OpenPaths.h"

#include "core/FileIO.h"

#include <QDir>
#include <QFileInfo>

QString OpenPaths::standard(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

DocPtr OpenPaths::find(const QList<DocPtr>& docs, const QString& path)
{
    const QString wanted = standard(path);
    for (const DocPtr& d : docs)
        if (d->url() && standard(*d->url()) == wanted)
            return d;
    // Another name for an open file (a symbolic or hard link) is that file.
    const auto file = FileIO::stamp(wanted);
    if (!file)
        return nullptr;
    for (const DocPtr& d : docs)
        if (d->url())
            if (const auto open = FileIO::stamp(*d->url());
                open && open->device == file->device && open->inode == file->inode)
                return d;
    return nullptr;
}
