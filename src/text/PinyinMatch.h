#pragma once

#include <QStringView>

// Finding Chinese titles from a Latin keyboard: a query matches a text by
// its characters, by the initials of the text's pinyin ("bj" finds 北京 and
// 背景) or by the pinyin itself ("beijing", "beij"), through ICU's Han-Latin
// transliteration. Case and blanks do not count.
namespace PinyinMatch {
bool matches(QStringView text, QStringView query);
}
