#pragma once

#include <QByteArrayView>

// 字数 as Word and Typora count it: every Chinese or Japanese character is
// one, so is every full-width punctuation mark (Word counts them among the
// "中文字符"), and every run of letters and digits of other scripts is one
// word ("don't", "3.14" and "e-mail" included). Korean counts by words.
namespace TextCount {

struct Counts {
    qsizetype words = 0;
    qsizetype characters = 0;  // UTF-16 units without line breaks
    friend bool operator==(const Counts&, const Counts&) = default;
};

// Over valid UTF-8 (the buffer's own bytes: no copy into UTF-16).
Counts of(QByteArrayView utf8);

// Texts above this size are counted on a worker thread.
inline constexpr qsizetype workerBytes = 1 << 20;

}
