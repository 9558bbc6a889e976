#pragma once

#include <QString>
#include <deque>
#include <vector>

// The tokens of a YAML stream: indicators, properties and scalars, with the
// block structure made explicit as start and end tokens.
namespace YAMLSyntax::detail {

enum class T : quint8 {
    streamEnd,
    directive,
    documentStart,
    documentEnd,
    blockSequenceStart,
    blockMappingStart,
    blockEnd,
    flowSequenceStart,
    flowMappingStart,
    flowSequenceEnd,
    flowMappingEnd,
    key,
    value,
    blockEntry,
    flowEntry,
    alias,
    anchor,
    tag,
    scalar,
};

struct Tok {
    T type = T::streamEnd;
    int line = 0;  // 0-based
    int col = 0;
    qsizetype a = 0, b = 0;  // the text: a name, a tag, a scalar's content or a directive
    char16_t style = 0;      // scalars: 0 plain, quote, '|' or '>' block
    char16_t chomp = 0;      // block scalars: '-', '+' or 0
    int indent = 0;          // block scalars: the content's indentation
};

// What a token reads as in a message.
QString describe(const Tok& t);

class Scanner {
public:
    explicit Scanner(const QString& text);
    const Tok& peek();
    Tok next();
    QStringView text(const Tok& t) const { return src.mid(t.a, t.b - t.a); }

private:
    struct SimpleKey {
        bool possible = false;
        bool required = false;
        bool tab = false;
        qsizetype token = 0;
        qsizetype index = 0;
        int line = 0;
        int col = 0;
    };

    QStringView src;
    const char16_t* s;
    qsizetype n;
    qsizetype p = 0;
    int line = 0;
    qsizetype lineStart = 0;
    bool lineTab = false;  // a tab in the current line's indentation, before p
    int flow = 0;
    int indent = -1;
    std::vector<int> indents;
    bool allowKey = true;
    std::vector<SimpleKey> keys{1};  // one per flow level, up to `flow`
    int possibleKeys = 0;
    std::vector<std::pair<int, char16_t>> opens;  // line and bracket of each open flow collection
    std::deque<Tok> queue;
    qsizetype taken = 0;
    bool done = false;
    bool jsonLike = false;  // the last token was a quoted scalar or a flow collection's end: ":" may follow directly
    int lastLine = -1;      // the line of the last token

    char16_t at(qsizetype k) const { return k < n ? s[k] : 0; }
    bool blankAt(qsizetype k) const;
    bool breakAt(qsizetype k) const { return k < n && (s[k] == '\n' || s[k] == '\r'); }
    bool flowIndicatorAt(qsizetype k) const;
    int col() const { return int(p - lineStart); }
    void lineBreak();
    [[noreturn]] void fail(const QString& message, int atLine = -1) const;

    bool needMore();
    void fetch();
    void skipToToken();
    void staleKeys();
    void saveKey();
    void removeKey();
    void unwind(int column);
    bool addIndent(int column);
    void push(T type, int line, int col, qsizetype a = 0, qsizetype b = 0, char16_t style = 0);
    Tok& pushed() { return queue.back(); }
    bool markerAt(qsizetype k, char16_t c) const;

    // A line inside a flow collection must be indented deeper than the block around it.
    void checkFlowLine() const;
    void directive();
    void documentMarker(T type);
    void flowStart(T type);
    void flowEnd(T type);
    void blockIndicator(T type);
    void value();
    void anchorOrAlias(T type);
    void tag();
    void blockScalar();
    void quoted();
    void plain();
    bool plainStarts() const;
};

}
