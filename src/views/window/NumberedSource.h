#pragma once

#include <QString>
#include <memory>

class QFont;
class QTextDocument;

// Source text laid out for paper: each line numbered, a wrapped line going
// on under its text rather than under the number.
namespace NumberedSource {
std::unique_ptr<QTextDocument> build(const QString& text, const QFont& font, int tabWidth);
}
