#pragma once

#include <QByteArray>
#include <QString>

#include <gumbo.h>

// Markup parsed by gumbo, an HTML5 tree builder, as a browser parses it in
// a page's body or, when told, inside a table's body, row or column group:
// the same tokenizer states, implied and misnested tags, foreign content
// and the full table of named references. (Parsed as a whole document:
// gumbo's fragment mode keeps an old rule under which HTML tags no longer
// break out of SVG and MathML, which browsers have dropped.)
class HTMLTree {
public:
    explicit HTMLTree(const QString& html, GumboTag context = GUMBO_TAG_BODY);
    ~HTMLTree();
    HTMLTree(const HTMLTree&) = delete;
    HTMLTree& operator=(const HTMLTree&) = delete;

    // The body; its children are the markup's top-level nodes.
    const GumboNode* root() const { return root_; }
    // Whether the element stands for the context rather than the markup.
    bool isContext(const GumboNode* element) const;

    // Lower case, unknown elements included.
    static QString name(const GumboNode* element);
    // Lower case, with the "xlink:", "xml:" or "xmlns:" prefix foreign content gives it.
    static QString attributeName(const GumboAttribute* attribute);
    static bool isVoid(const GumboNode* element);
    // Whether the start tag was written as "<x/>".
    static bool selfClosing(const GumboNode* element);
    // Whether a line feed follows the element's start tag in the source (a
    // browser drops it after <pre>, so writing the element back must repeat it).
    bool lineFeedAfterStartTag(const GumboNode* element) const;

private:
    QByteArray source_;
    qsizetype prefix_ = 0;
    GumboOutput* output_;
    const GumboNode* root_;
};
