// Titles found by pinyin, its initials or the characters themselves.
#include "text/PinyinMatch.h"

#include <QString>
#include <gtest/gtest.h>

TEST(PinyinMatch, InitialsFullPinyinAndCharacters)
{
    struct Case {
        const char* text;
        const char* query;
        bool found;
    };
    const Case cases[] = {
        {"北京.md", "bj", true},
        {"项目背景介绍", "bj", true},
        {"北京.md", "BJ", true},
        {"北京.md", "beijing", true},
        {"北京.md", "bei jing", true},
        {"北京.md", "北京", true},
        {"北京.md", "bjmd", true},
        {"北京.md", ".md", true},
        {"北京.md", "bjx", false},
        {"北京.md", "shanghai", false},
        {"第一周", "diyizhou", true},
        {"第一周", "yz", true},
        {"Release notes", "rn", false},
        {"会议记录", "hyjl", true},
        {"会议记录", "", true},
        // A character outside the BMP (U+2A6A5, zhé) is read whole.
        {"𪚥字", "zz", true},
        {"𪚥字", "zhezi", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.query);
        EXPECT_EQ(PinyinMatch::matches(QString::fromUtf8(c.text), QString::fromUtf8(c.query)), c.found);
    }
}
