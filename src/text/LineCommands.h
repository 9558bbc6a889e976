#pragma once

#include <QString>
#include <algorithm>
#include <optional>
#include <vector>

// A selection in UTF-16 positions; anchor == caret is a plain caret.
struct Span {
    int anchor = 0;
    int caret = 0;
    int start() const { return std::min(anchor, caret); }
    int end() const { return std::max(anchor, caret); }
    bool empty() const { return anchor == caret; }
    bool operator==(const Span&) const = default;
};

// Replaces `length` units at `start` with `text`.
struct TextEdit {
    int start = 0;
    int length = 0;
    QString text;
};

// Edits sorted by position and not overlapping, made as one step, and the
// selections afterwards (positions in the edited text).
struct EditPlan {
    std::vector<TextEdit> edits;
    std::vector<Span> selections;
};

// The lines of a text, read a few at a time: a command reads only the lines
// it changes, so its cost does not grow with the document.
class TextLines {
public:
    virtual ~TextLines() = default;
    virtual int lineCount() const = 0;
    virtual int lineStart(int line) const = 0;
    virtual int lineOf(int pos) const = 0;
    // Without its line feed.
    virtual QString line(int line) const = 0;
    int lineEnd(int line) const { return lineStart(line) + int(this->line(line).size()); }
};

// How a format writes comments: a line prefix, or an opening and closing
// pair around the lines.
struct CommentSyntax {
    QString line;
    QString open, close;
    bool none() const { return line.isEmpty() && open.isEmpty(); }
};

// Commands on the lines the selections touch, all selections at once. A
// selection ending at the start of a line does not take in that line.
// Nothing to do gives no plan.
namespace LineCommands {

// One selection's edit: [from, to) becomes `text`, and the selection after
// it is relative to `from`.
struct Rewrite {
    int from = 0, to = 0;
    QString text;
    Span selection;
};
// The rewrites in order as one plan; one that overlaps an earlier one is left out.
std::optional<EditPlan> plan(std::vector<Rewrite> rewrites);

std::optional<EditPlan> duplicate(const TextLines& text, const std::vector<Span>& spans);
std::optional<EditPlan> move(const TextLines& text, const std::vector<Span>& spans, int by);
std::optional<EditPlan> remove(const TextLines& text, const std::vector<Span>& spans);
std::optional<EditPlan> join(const TextLines& text, const std::vector<Span>& spans);
// Comments the lines, or uncomments them when all of them are commented.
std::optional<EditPlan> toggleComment(const TextLines& text, const std::vector<Span>& spans,
                                      const CommentSyntax& syntax);

}
