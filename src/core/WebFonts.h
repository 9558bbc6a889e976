#pragma once

#include <QString>
#include <QStringList>

// The TrueType files shipped in the "Fonts" folder and their embedding
// into web pages.
namespace WebFonts {
// Candidate folders, first existing one wins: next to the executable,
// then the installed data folder.
QString fontsDirectory();
void setFontsDirectoryForTesting(const QString& dir);
QStringList fontFiles();
// @font-face rules for the preview, computed once per process.
const QString& webFontFaces();
QString webFontFacesIn(const QString& dir);
}
