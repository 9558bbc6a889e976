#pragma once

#include <QString>
#include <QStringView>
#include <functional>

// The scripts that put a preview fragment into the page. The fragment
// travels as a string literal, never as markup.
namespace PreviewScript {
// Appends the text as a double-quoted string literal that JavaScript and
// JSON both read back as the same text (a lone surrogate becomes U+FFFD).
// `stop`, when given, is asked now and then; once it says yes the literal
// is left unfinished and false comes back.
bool appendLiteral(QString& out, QStringView text, const std::function<bool()>& stop = {});
// The script that replaces the page's content with the fragment; empty when
// `stop` said yes before it was done.
QString content(QStringView html, const std::function<bool()>& stop = {});
}
