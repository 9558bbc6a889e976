#pragma once

#include <QByteArrayView>

// What a file's first bytes say it is, before anything reads it as text:
// an image, another kind of binary file (archive, PDF, program, data with
// NUL bytes), or text, UTF-16 included.
enum class ContentKind { text, image, binary };

namespace ContentSniff {
// How much of a file's start kind() looks at.
constexpr qsizetype headBytes = 64 * 1024;
ContentKind kind(QByteArrayView head);
}
