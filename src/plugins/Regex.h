#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// ICU regular expressions over UTF-16, as every plugin uses them. A
// pattern that does not compile never raises: it matches nothing and
// replaces nothing. Compiled patterns are cached per thread.
namespace Regex {

// Group 0 and every capture group of the first match; a group that did
// not take part is the empty string. Absent on no match or a bad pattern.
std::optional<QStringList> firstMatch(const QString& text, const QString& pattern);
bool reMatches(const QString& text, const QString& pattern);
// Every non-overlapping match, left to right, replaced by transform(groups).
QString reReplace(const QString& text, const QString& pattern,
                  const std::function<QString(const QStringList&)>& transform);

}
