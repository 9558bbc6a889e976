#pragma once

#include <QFont>
#include <QString>

// IBM Plex Sans for the interface and Plex Mono for text, from the shipped
// "Fonts" folder; the system fonts stand in when a face is missing.
namespace AppFonts {
enum class Weight { regular, medium, semibold, bold };

// Registers every .ttf of the Fonts folder for this process; safe to repeat.
void registerFonts();
QFont mono(double size, Weight weight = Weight::regular);
QFont sans(double size, Weight weight = Weight::regular);
// Face by name only (the view layer falls back on its own).
QFont plex(double size, Weight weight = Weight::regular);
QFont plexMono(double size, Weight weight = Weight::regular);
// @font-face rules embedding the Plex files into web pages.
const QString& webFontFaces();

// The editor's face: the family when it is installed, else mono().
QFont editor(const QString& family, double size);
// One face for Latin and Han whose Han characters are exactly two Latin cells
// wide, so mixed text lines up in columns; the built-in face when it is missing.
QFont evenHan(double size);
// Installed fixed-pitch families, sorted, the built-in Plex Mono among them when present.
QStringList monospaceFamilies();

// Whether a face of the family at that weight is available.
bool hasFace(const QString& family, int qtWeight);
}
