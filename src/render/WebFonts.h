#pragma once

#include <QString>
#include <QStringList>

// The TrueType files of the "Fonts" resource folder (compiled into the
// program) and their embedding into web pages.
namespace WebFonts {
// ":/Fonts", or an empty string when the build embedded no fonts.
QString fontsDirectory();
void setFontsDirectoryForTesting(const QString& dir);
QStringList fontFiles();
// @font-face rules for the preview, computed once per process.
const QString& webFontFaces();
QString webFontFacesIn(const QString& dir);
}
