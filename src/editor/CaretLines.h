#pragma once

#include <QString>
#include <optional>

class CodeTextView;
struct LineBreak;

// The caret's lines as text for the typing aids, edited at byte positions so
// that no position index over the whole text is needed. A line that is not
// clean UTF-8 is left alone: its characters would not map back to bytes.
class CaretLines {
public:
    explicit CaretLines(CodeTextView& view) : view_(view) {}

    struct Around {
        long line = 0;                                              // the selection's first line
        long lineStart = 0, selStart = 0, selEnd = 0, lineEnd = 0;  // bytes
        QString before;                                             // the first line up to the selection
        QString after;                                              // the last line from the selection on
    };
    std::optional<Around> aroundSelection() const;
    // Carries out Enter's edit and puts the caret where it says.
    void replace(const Around& around, const LineBreak& b);

    long count() const;
    long caretLine() const;
    std::optional<QString> text(long line) const;
    // Replaces `length` units at `column` of a line whose text is `current`.
    void replaceInLine(long line, const QString& current, qsizetype column, qsizetype length, const QString& with);

private:
    std::optional<QString> range(long from, long to) const;

    CodeTextView& view_;
};
