#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <vector>

struct URegularExpression;

// A match or any other span of text, in UTF-16 code units.
struct TextRange {
    int start = 0;
    int length = 0;
    int end() const { return start + length; }
    bool operator==(const TextRange&) const = default;
};

// The find fields of the workspace that decide what is searched.
struct FindOptions {
    QString query;
    bool caseSensitive = false;
    bool wholeWord = false;
    bool useRegex = false;
    bool operator==(const FindOptions&) const = default;
};

// A compiled search expression (ICU syntax), or the reason there is none.
class FindExpression {
public:
    enum class State { empty, invalid, ready };
    FindExpression() = default;
    FindExpression(FindExpression&&) noexcept;
    FindExpression& operator=(FindExpression&&) noexcept;
    ~FindExpression();

    State state() const { return state_; }
    bool isReady() const { return state_ == State::ready; }
    bool isInvalid() const { return state_ == State::invalid; }
    const QString& pattern() const { return pattern_; }
    // A search running on another thread ends soon after `flag` is set,
    // with what it found so far.
    void stopWhen(const std::atomic<bool>* flag) { stop_ = flag; }

    // Every non-empty match in text order.
    std::vector<TextRange> matches(const QString& text) const;
    // Replaces every match of the whole text by the ICU template; the text
    // itself when the expression is not ready.
    QString replaceAll(const QString& text, const QString& replaceTemplate) const;
    // Every non-empty match with its expanded template, matched in context.
    struct Replacement {
        TextRange range;
        QString text;
    };
    std::vector<Replacement> replacements(const QString& text, const QString& replaceTemplate) const;
    // The text with each replacement put in.
    static QString apply(const QString& text, const std::vector<Replacement>& replacements);

private:
    friend FindExpression buildExpression(const FindOptions&);
    State state_ = State::empty;
    QString pattern_;
    URegularExpression* re_ = nullptr;
    const std::atomic<bool>* stop_ = nullptr;
    bool stopped() const { return stop_ && stop_->load(std::memory_order_relaxed); }
    void listenForStop() const;
};

// The user-facing search rules: plain text is literal (after escapes),
// whole word wraps the pattern, anchors are per line.
namespace FindEngine {
inline const QString invalidText = QStringLiteral("正则无效");

QString unescape(const QString& s);
// Every metacharacter quoted so the text matches itself.
QString literalPattern(const QString& s);
// Dollar signs and backslashes quoted so the text is inserted as is.
QString literalTemplate(const QString& s);
// The pattern text for the options; empty when the query is empty.
QString patternFor(const FindOptions& o);
FindExpression regex(const FindOptions& o);
QString replaceTemplate(const QString& replaceText, bool useRegex);
}
