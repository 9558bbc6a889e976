#pragma once

#include <QDateTime>
#include <QString>

// The desktop's shared list of recently used files, XDG_DATA_HOME/recently-used.xbel,
// which file choosers and launchers of every toolkit read.
namespace RecentlyUsed {

QString path();

// Adds the file or refreshes its entry with this program as its user. Other
// programs' entries stay as they are; the list keeps the `limit` newest.
// False when the list could not be read as XBEL or not be written; an
// unreadable list is left alone rather than replaced.
bool note(const QString& filePath, const QDateTime& when = QDateTime::currentDateTimeUtc(), int limit = 500);

}
