#pragma once

#include <QString>

// The syntax of a YAML 1.2 stream, checked as a reader of the whole grammar
// does: tokens with their indentation, then the structure they form, then
// aliases and duplicate keys. The check keeps no values; YAML::parseDocuments
// runs the same reader and composes the trees.
namespace YAMLSyntax {

// Throws PluginError at the line of the first problem.
void check(const QString& text);

}
