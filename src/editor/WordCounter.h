#pragma once

#include "text/TextCount.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class CodeTextView;

// Keeps the 字数 of a view's text and selection for the status bar: small
// texts are counted at once, large ones on a worker thread, a piece at a
// time (no copy of the whole text), shown as "字数 …" until the count is in.
class WordCounter : public QObject {
public:
    WordCounter(CodeTextView* view, std::function<void()> changed);
    void textChanged();
    void selectionChanged();
    // "字数 120", or "字数 12 / 120" with a selection.
    QString text() const;

    // Typing waits this long before the text is counted again.
    static constexpr int delayMSecs = 250;

private:
    enum class Part { text, selection };
    // Counts the view's bytes from `from` to `to`.
    void count(Part part, qsizetype from, qsizetype to);
    // `piece`: the bytes from `at` copied in earlier turns, a line longer than a piece.
    void countPiece(Part part, unsigned round, qsizetype at, qsizetype to, qsizetype sum, QByteArray piece = {});
    void countText();

    CodeTextView* view_;
    std::function<void()> changed_;
    QTimer delay_;
    std::optional<qsizetype> text_;
    std::optional<qsizetype> selection_;  // counted selection
    bool selected_ = false;
    // Counts from the worker that were overtaken by later ones are dropped.
    unsigned round_[2] = {0, 0};
};
