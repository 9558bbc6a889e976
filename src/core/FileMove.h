#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Disk moves used by rename and "覆盖原文件". Errors are Chinese, nullopt is success.
namespace FileMove {
// True when both paths name the same file (device and inode), whatever their spelling.
bool sameFile(const QString& a, const QString& b);
// Renames without ever replacing an existing target, even if one appears meanwhile.
std::optional<QString> renameNoReplace(const QString& from, const QString& to);
// Writes the bytes to newPath, then removes oldPath only once the write succeeded
// and only when the two paths are different files.
std::optional<QString> writeReplacing(const QString& oldPath, const QString& newPath, const QByteArray& bytes);
}
