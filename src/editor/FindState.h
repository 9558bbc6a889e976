#pragma once

#include "text/FindEngine.h"

#include <QObject>
#include <QString>
#include <optional>

// What the find bar shows and searches for. The editor's highlights follow
// visibleChanged and searchChanged; the bar follows all three signals.
class FindState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool visible() const { return visible_; }
    bool replaceVisible() const { return replaceVisible_; }
    const QString& query() const { return query_; }
    const QString& replaceText() const { return replaceText_; }
    bool caseSensitive() const { return caseSensitive_; }
    bool wholeWord() const { return wholeWord_; }
    bool useRegex() const { return useRegex_; }
    FindOptions options() const { return {query_, caseSensitive_, wholeWord_, useRegex_}; }
    QString replaceTemplate() const { return FindEngine::replaceTemplate(replaceText_, useRegex_); }
    int index() const { return index_; }
    // Raised to ask the bar to take the keyboard.
    int focusToken() const { return focusToken_; }
    // searchingMatches while a big text is still being searched.
    int matchCount() const { return matchCount_; }
    static constexpr int searchingMatches = -1;
    const std::optional<QString>& error() const { return error_; }

    void setVisible(bool v);
    void setQuery(const QString& v);
    void setCaseSensitive(bool v);
    void setWholeWord(bool v);
    void setUseRegex(bool v);
    void setReplaceVisible(bool v);
    void setReplaceText(const QString& v);
    void setIndex(int v);
    void setFocusToken(int v);
    void setMatchCount(int v);
    void setError(std::optional<QString> v);

signals:
    void visibleChanged();
    // What is searched for: the query or its options.
    void searchChanged();
    // The rest of the bar: the replace row, the current match, the count, an error, a focus request.
    void barChanged();

private:
    bool visible_ = false;
    bool replaceVisible_ = false;
    QString query_;
    QString replaceText_;
    bool caseSensitive_ = false;
    bool wholeWord_ = false;
    bool useRegex_ = false;
    int index_ = 0;
    int focusToken_ = 0;
    int matchCount_ = 0;
    std::optional<QString> error_;
};
