#pragma once

#include <QString>
#include <QStringList>

namespace HTML {
// Escapes & < > and the double quote; the apostrophe stays.
QString esc(const QString& s);
void appendEsc(QString& out, const QString& s);
// The line of small facts above a rendering.
QString caption(const QStringList& parts);
}
