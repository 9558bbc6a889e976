// Word motion stops: ICU's dictionary words in Chinese, whole identifiers,
// punctuation as VS Code treats it.
#include "text/WordBreaks.h"

#include <QString>
#include <gtest/gtest.h>
#include <unicode/brkiter.h>
#include <unicode/uchar.h>

#include <memory>
#include <set>
#include <vector>

namespace {

// Every stop Ctrl+→ (or Ctrl+←) makes through the whole line.
std::vector<qsizetype> stops(const QString& line, bool forward)
{
    std::vector<qsizetype> out;
    qsizetype pos = forward ? 0 : line.size();
    for (int guard = 0; guard <= line.size(); ++guard) {
        const qsizetype next = forward ? WordBreaks::nextWordEnd(line, pos) : WordBreaks::previousWordStart(line, pos);
        if (next == pos)
            break;
        out.push_back(pos = next);
    }
    return out;
}

// ICU's own word boundaries over the line, the oracle for Chinese words.
std::set<qsizetype> icuBoundaries(const QString& line)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createWordInstance(icu::Locale("zh"), status));
    const icu::UnicodeString text(false, reinterpret_cast<const UChar*>(line.utf16()), int32_t(line.size()));
    it->setText(text);
    std::set<qsizetype> out;
    for (int32_t b = it->first(); b != icu::BreakIterator::DONE; b = it->next())
        out.insert(b);
    return out;
}

bool han(QChar c) { return u_hasBinaryProperty(c.unicode(), UCHAR_IDEOGRAPHIC); }

const char* const sentences[] = {
    "在这个快速发展的时代，我们需要不断学习新的知识。",
    "这是一段中文示例",
    "他昨天晚上在图书馆看了三个小时的书。",
    "这本小说讲述了一个关于友谊和勇气的故事。",
    "经济全球化给各国带来了机遇和挑战。",
    "他用Python写了一个处理数据的程序。",
    "她在大学里学习计算机科学与技术。",
    "读书使人进步，实践出真知。",
};

}

TEST(WordBreaks, ChineseStopsAreIcuDictionaryWords)
{
    for (const char* s : sentences) {
        const QString line = QString::fromUtf8(s);
        SCOPED_TRACE(s);
        const std::set<qsizetype> icu = icuBoundaries(line);
        for (bool forward : {true, false}) {
            const std::vector<qsizetype> made = stops(line, forward);
            const std::set<qsizetype> got(made.begin(), made.end());
            for (qsizetype b : got)
                EXPECT_TRUE(icu.count(b)) << "stop " << b << " is no ICU boundary";
            // Inside a run of Han characters every ICU boundary is a stop.
            for (qsizetype b : icu)
                if (b > 0 && b < line.size() && han(line[b - 1]) && han(line[b])) {
                    EXPECT_TRUE(got.count(b)) << "ICU boundary " << b << " skipped, forward " << forward;
                }
        }
    }
}

TEST(WordBreaks, KnownStops)
{
    struct Case {
        const char* line;
        std::vector<qsizetype> forward;  // Ctrl+→ from the start
        std::vector<qsizetype> back;     // Ctrl+← from the end
    };
    const Case cases[] = {
        {"在这个快速发展的时代", {1, 3, 5, 7, 8, 10}, {8, 7, 5, 3, 1, 0}},
        {"一段中文示例", {2, 4, 6}, {4, 2, 0}},
        // Identifiers stay whole; one mark before a word is stepped over.
        {"my_variable = get_user_name(x);", {11, 13, 27, 29, 31}, {29, 28, 14, 12, 0}},
        {"foo.bar", {3, 7}, {4, 0}},
        {"a...b", {1, 4, 5}, {4, 1, 0}},
        {"  hello  ", {7, 9}, {2, 0}},
        {"用Qt开发", {1, 3, 5}, {3, 1, 0}},
        {"中文，English。", {2, 10, 11}, {3, 0}},
    };
    for (const Case& c : cases) {
        const QString line = QString::fromUtf8(c.line);
        SCOPED_TRACE(c.line);
        EXPECT_EQ(stops(line, true), c.forward);
        EXPECT_EQ(stops(line, false), c.back);
    }
}

TEST(WordBreaks, DoubleClickTakesTheWordUnderTheClick)
{
    struct Case {
        const char* line;
        const char* clicked;  // the character clicked on, its first occurrence
        const char* selected;
    };
    const Case cases[] = {
        {"在这个快速发展的时代", "速", "快速"},
        {"在这个快速发展的时代", "展", "发展"},
        {"call get_user_name(id)", "u", "get_user_name"},
        {"a, b", ",", ","},
        {"x  = 1", " ", "  "},
        {"表情😀符号", "😀", "😀"},
    };
    for (const Case& c : cases) {
        const QString line = QString::fromUtf8(c.line);
        SCOPED_TRACE(c.line);
        const qsizetype at = line.indexOf(QString::fromUtf8(c.clicked));
        const auto [start, end] = WordBreaks::wordAt(line, at);
        EXPECT_EQ(line.mid(start, end - start), QString::fromUtf8(c.selected));
    }
}

TEST(WordBreaks, LongLinesAreReadAroundThePosition)
{
    // A 100 KB line: the stops near the middle are those of the same text alone.
    const QString sentence = QString::fromUtf8(sentences[0]);
    QString line;
    while (line.size() < 100 * 1024)
        line += sentence;
    const qsizetype middle = (line.size() / 2 / sentence.size()) * sentence.size();
    qsizetype pos = middle;
    std::vector<qsizetype> alone = stops(sentence, true);
    alone.pop_back();  // the final 。 is followed by the next sentence there
    for (qsizetype expected : alone) {
        pos = WordBreaks::nextWordEnd(line, pos);
        EXPECT_EQ(pos - middle, expected);
    }
}
