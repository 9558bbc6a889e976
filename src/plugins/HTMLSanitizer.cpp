#include "plugins/HTMLSanitizer.h"

#include "plugins/CSSSanitizer.h"
#include "plugins/HTMLTree.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace HTMLSanitizer {

namespace {

// Dropped together with everything up to their closing tag: code, styles,
// frames, media and foreign markup (SVG and MathML carry their own references).
const QSet<QString>& withContent()
{
    static const QSet<QString> s = {"script",   "style",    "iframe",    "object",   "embed", "noembed",
                                    "noframes", "template", "xmp",       "noscript", "title", "textarea",
                                    "svg",      "math",     "select",    "audio",    "video", "canvas",
                                    "applet",   "frameset", "plaintext", "head"};
    return s;
}

// Written back (with their allowed attributes); any other tag is dropped and its content stays.
const QSet<QString>& elements()
{
    static const QSet<QString> s = {
        "a",       "abbr",  "address", "article",    "aside",    "b",      "bdi",    "bdo",     "blockquote", "br",
        "caption", "cite",  "code",    "col",        "colgroup", "dd",     "del",    "details", "dfn",        "div",
        "dl",      "dt",    "em",      "figcaption", "figure",   "footer", "h1",     "h2",      "h3",         "h4",
        "h5",      "h6",    "header",  "hr",         "i",        "img",    "input",  "ins",     "kbd",        "label",
        "li",      "mark",  "nav",     "ol",         "p",        "pre",    "q",      "rp",      "rt",         "ruby",
        "s",       "samp",  "section", "small",      "span",     "strike", "strong", "sub",     "summary",    "sup",
        "table",   "tbody", "td",      "tfoot",      "th",       "thead",  "time",   "tr",      "tt",         "u",
        "ul",      "var",   "wbr"};
    return s;
}

// Attributes any allowed element may keep ("data-" and "aria-" names too).
const QSet<QString>& globalAttributes()
{
    static const QSet<QString> s = {"id", "class", "title", "lang", "dir", "style", "role", "hidden"};
    return s;
}

bool elementAttribute(const QString& element, const QString& name)
{
    static const QHash<QString, QSet<QString>> m = {
        {"a", {"href", "name", "rel", "hreflang"}},
        {"img", {"src", "alt", "width", "height", "align"}},
        {"input", {"type", "checked", "disabled"}},
        {"ol", {"start", "type", "reversed"}},
        {"ul", {"type"}},
        {"li", {"value"}},
        {"table", {"width", "border", "cellpadding", "cellspacing", "align", "summary"}},
        {"td", {"align", "valign", "colspan", "rowspan", "headers", "width", "height", "nowrap", "abbr"}},
        {"th", {"align", "valign", "colspan", "rowspan", "headers", "width", "height", "nowrap", "abbr", "scope"}},
        {"tr", {"align", "valign"}},
        {"col", {"span", "width", "align", "valign"}},
        {"colgroup", {"span", "width", "align", "valign"}},
        {"thead", {"align", "valign"}},
        {"tbody", {"align", "valign"}},
        {"tfoot", {"align", "valign"}},
        {"details", {"open"}},
        {"del", {"datetime"}},
        {"ins", {"datetime"}},
        {"time", {"datetime"}},
        {"p", {"align"}},
        {"div", {"align"}},
        {"h1", {"align"}},
        {"h2", {"align"}},
        {"h3", {"align"}},
        {"h4", {"align"}},
        {"h5", {"align"}},
        {"h6", {"align"}},
        {"hr", {"width", "size", "align"}},
        {"label", {"for"}},
    };
    const auto it = m.find(element);
    return it != m.end() && it->contains(name);
}

bool isNameStart(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

// Named references as the browser reads them in an attribute, through the parser's own table.
QString decodeNamed(const QString& s)
{
    if (!s.contains(u'&'))
        return s;
    QString quoted = s;
    quoted.replace(u'"', QLatin1String("&quot;"));
    const HTMLTree tree(QStringLiteral("<a title=\"") + quoted + QStringLiteral("\">"));
    const GumboVector& top = tree.root()->v.element.children;
    if (top.length == 0 || static_cast<const GumboNode*>(top.data[0])->type != GUMBO_NODE_ELEMENT)
        return s;
    const GumboVector& attributes = static_cast<const GumboNode*>(top.data[0])->v.element.attributes;
    return attributes.length == 0 ? s
                                  : QString::fromUtf8(static_cast<const GumboAttribute*>(attributes.data[0])->value);
}

}

QString decodeReferences(const QString& s)
{
    if (!s.contains(u'&'))
        return s;
    QString out;
    out.reserve(s.size());
    qsizetype from = 0;
    for (qsizetype i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != u'&' || s[i + 1] != u'#')
            continue;
        qsizetype j = i + 2;
        const bool hex = j < s.size() && (s[j] == u'x' || s[j] == u'X');
        if (hex)
            ++j;
        // Any number of digits, as browsers read them: leading zeros
        // never end the reference and an overlong value saturates.
        const qsizetype start = j;
        char32_t code = 0;
        for (; j < s.size(); ++j) {
            const char16_t c = s[j].unicode();
            int d = -1;
            if (c >= u'0' && c <= u'9')
                d = c - u'0';
            else if (hex && c >= u'a' && c <= u'f')
                d = c - u'a' + 10;
            else if (hex && c >= u'A' && c <= u'F')
                d = c - u'A' + 10;
            if (d < 0)
                break;
            code = std::min<char32_t>(code * (hex ? 16 : 10) + char32_t(d), 0x110000);
        }
        if (j == start)
            continue;
        if (code == 0 || code >= 0x110000 || (code >= 0xD800 && code <= 0xDFFF))
            code = 0xFFFD;
        out += decodeNamed(s.mid(from, i - from));
        out += QString::fromUcs4(&code, 1);
        if (j < s.size() && s[j] == u';')
            ++j;
        from = j;
        i = j - 1;
    }
    return out + decodeNamed(s.mid(from));
}

namespace {

// In text only "&" and "<" can start markup; a value also escapes its quote and ">".
QString escaped(const QString& s, bool attribute)
{
    QString out;
    out.reserve(s.size() + 8);
    for (QChar c : s) {
        if (c == u'&')
            out += QLatin1String("&amp;");
        else if (c == u'<')
            out += QLatin1String("&lt;");
        else if (attribute && c == u'>')
            out += QLatin1String("&gt;");
        else if (attribute && c == u'"')
            out += QLatin1String("&quot;");
        else
            out += c;
    }
    return out;
}

// Only names that read back as exactly one attribute: a lone "=" or a
// quote would join the neighbours into new attributes.
bool plainName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (QChar c : name)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F || QStringView(u"\"'<>/=`").contains(c))
            return false;
    return true;
}

bool isLineNumber(const QString& v)
{
    if (v.isEmpty() || v.size() > 9)
        return false;
    for (QChar c : v)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

bool keptAttribute(const QString& element, const QString& name)
{
    if (globalAttributes().contains(name) || elementAttribute(element, name))
        return true;
    // Inert labels; the preview maps source lines through data-line.
    return (name.startsWith(QLatin1String("data-")) || name.startsWith(QLatin1String("aria-"))) && name.size() > 5;
}

bool harmlessURL(const QString& decoded);

// Writes the kept part of a parsed fragment back as markup that a browser
// parses into the same tree: only allowed elements and attributes, text
// and values escaped, nothing that switches the tokenizer out of its data
// state. An element the fragment leaves open at its end stays open, as a
// Markdown document's HTML may close it in a later piece.
class Writer {
public:
    Writer(const HTMLTree& tree, const AllowList* list, QString& out) : tree_(tree), list_(list), out_(out) {}

    void children(const GumboNode* parent, bool open)
    {
        const GumboVector& nodes = parent->v.element.children;
        for (unsigned i = 0; i < nodes.length; ++i)
            node(static_cast<const GumboNode*>(nodes.data[i]), open && i + 1 == nodes.length);
    }

private:
    const HTMLTree& tree_;
    const AllowList* list_;
    QString& out_;

    void node(const GumboNode* n, bool open)
    {
        switch (n->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA: out_ += escaped(QString::fromUtf8(n->v.text.text), false); break;
        case GUMBO_NODE_ELEMENT: element(n, open); break;
        // Comments show nothing; a template's content is never shown.
        case GUMBO_NODE_COMMENT:
        case GUMBO_NODE_TEMPLATE:
        case GUMBO_NODE_DOCUMENT: break;
        }
    }

    bool allowed(const QString& name, const GumboNode* n) const
    {
        if (list_)
            return list_->element(name);
        return n->v.element.tag_namespace == GUMBO_NAMESPACE_HTML && elements().contains(name);
    }

    void element(const GumboNode* n, bool open)
    {
        // The form, rule and label an old parser makes of <isindex>; browsers today make none.
        if (n->parse_flags & GUMBO_INSERTION_FROM_ISINDEX)
            return;
        const GumboElement& e = n->v.element;
        const QString name = HTMLTree::name(n);
        const bool foreign = e.tag_namespace != GUMBO_NAMESPACE_HTML;
        const bool closed = e.original_end_tag.length > 0;
        if (!allowed(name, n)) {
            // SVG and MathML carry references of their own: dropped whole unless a list asks for them.
            if (withContent().contains(name) || (!list_ && foreign))
                return;
            children(n, open && !closed);
            return;
        }
        // A <tbody> or the like that no tag of the piece wrote: the browser implies it again.
        if ((n->parse_flags & GUMBO_INSERTION_IMPLIED) || tree_.isContext(n)) {
            children(n, open && !closed);
            return;
        }
        if (!list_ && name == QLatin1String("input") && !isCheckbox(n))
            return;
        const bool selfClosing = (foreign || HTMLTree::isVoid(n)) && HTMLTree::selfClosing(n) && e.children.length == 0;
        startTag(n, name, selfClosing);
        if (selfClosing || HTMLTree::isVoid(n))
            return;
        if (e.tag == GUMBO_TAG_PRE || e.tag == GUMBO_TAG_LISTING) {
            const GumboNode* first = e.children.length ? static_cast<const GumboNode*>(e.children.data[0]) : nullptr;
            const bool textStartsWithLineFeed = first
                && (first->type == GUMBO_NODE_TEXT || first->type == GUMBO_NODE_WHITESPACE)
                && first->v.text.text[0] == '\n';
            if (tree_.lineFeedAfterStartTag(n) || textStartsWithLineFeed)
                out_ += u'\n';
        }
        children(n, open && !closed);
        if (closed || foreign || !open)
            out_ += QStringLiteral("</") + name + u'>';
    }

    static bool isCheckbox(const GumboNode* n)
    {
        // Only the check boxes of task lists.
        const GumboAttribute* type = gumbo_get_attribute(&n->v.element.attributes, "type");
        return type && QString::fromUtf8(type->value).trimmed().toLower() == QLatin1String("checkbox");
    }

    void attribute(const QString& name, const QString& value)
    {
        out_ += u' ' + name + QStringLiteral("=\"") + escaped(value, true) + u'"';
    }

    void startTag(const GumboNode* n, const QString& element, bool selfClosing)
    {
        out_ += u'<' + element;
        const GumboVector& attributes = n->v.element.attributes;
        for (unsigned i = 0; i < attributes.length; ++i) {
            const auto* a = static_cast<const GumboAttribute*>(attributes.data[i]);
            const QString name = HTMLTree::attributeName(a);
            if (!plainName(name))
                continue;
            QString value = QString::fromUtf8(a->value);
            if (list_) {
                if (const auto kept = list_->attribute(element, name, value))
                    attribute(name, *kept);
                continue;
            }
            if (!keptAttribute(element, name) || (name == QLatin1String("data-line") && !isLineNumber(value)))
                continue;
            if (name == QLatin1String("style")) {
                value = CSSSanitizer::cleanStyle(value, CSSSanitizer::Scope::html);
                if (!value.isEmpty())
                    attribute(name, value);
                continue;
            }
            if (isURLAttribute(name) && !harmlessURL(value))
                value = QStringLiteral("#");
            // A name written without a value (the parser points its value at the name) stays so.
            if (value.isEmpty() && a->original_value.data == a->original_name.data)
                out_ += u' ' + name;
            else
                attribute(name, value);
        }
        out_ += selfClosing ? QStringLiteral(" />") : QStringLiteral(">");
    }
};

// End tags at the very start of a piece close what an earlier piece of the
// same document opened; parsed on their own they would close nothing.
qsizetype leadingEndTags(const QString& s, const std::function<bool(const QString&)>& allowed, QString& out)
{
    qsizetype at = 0;
    while (true) {
        qsizetype i = at;
        while (i < s.size() && isBlank(s[i]))
            ++i;
        if (i + 2 >= s.size() || s[i] != u'<' || s[i + 1] != u'/' || !isNameStart(s[i + 2]))
            return at;
        qsizetype j = i + 2;
        while (j < s.size() && s[j].unicode() < 0x80 && (s[j].isLetterOrNumber() || s[j] == u'-'))
            ++j;
        const QString name = s.mid(i + 2, j - i - 2).toLower();
        while (j < s.size() && isBlank(s[j]))
            ++j;
        if (j >= s.size() || s[j] != u'>')
            return at;
        out += QStringView(s).mid(at, i - at);
        if (allowed(name))
            out += QStringLiteral("</") + name + u'>';
        at = j + 1;
    }
}

// Where a tag that no ">" ends starts, or the end.
qsizetype unfinishedTag(const QString& s, qsizetype from)
{
    const qsizetype lt = s.lastIndexOf(u'<');
    if (lt < from || lt + 1 >= s.size() || s.indexOf(u'>', lt) >= 0)
        return s.size();
    const QChar c = s[lt + 1];
    return isNameStart(c) || (c == u'/' && lt + 2 < s.size() && isNameStart(s[lt + 2])) ? lt : s.size();
}

// The element a piece starting with a table's row or cell sits in once the
// document is put together, so that its first tag is not ignored.
GumboTag context(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    if (i + 1 >= s.size() || s[i] != u'<' || !isNameStart(s[i + 1]))
        return GUMBO_TAG_BODY;
    qsizetype j = i + 1;
    while (j < s.size() && s[j].unicode() < 0x80 && s[j].isLetterOrNumber())
        ++j;
    const QString name = s.mid(i + 1, j - i - 1).toLower();
    if (name == QLatin1String("tr"))
        return GUMBO_TAG_TBODY;
    if (name == QLatin1String("td") || name == QLatin1String("th"))
        return GUMBO_TAG_TR;
    if (name == QLatin1String("tbody") || name == QLatin1String("thead") || name == QLatin1String("tfoot")
        || name == QLatin1String("caption") || name == QLatin1String("colgroup"))
        return GUMBO_TAG_TABLE;
    if (name == QLatin1String("col"))
        return GUMBO_TAG_COLGROUP;
    return GUMBO_TAG_BODY;
}

// How deep the markup may nest before it is shown as text: browsers stop
// nesting at a few hundred levels, and the tree builder's cost grows with
// the square of the depth.
constexpr int deepest = 1000;

// An upper bound on the nesting depth: start tags less end tags, leaving out
// the elements that never hold others or close themselves.
int nestingBound(const QString& s)
{
    static const QSet<QString> flat = {"area",  "base",    "br",       "col",    "embed",    "hr",      "img",
                                       "input", "link",    "meta",     "param",  "source",   "track",   "wbr",
                                       "p",     "li",      "dt",       "dd",     "option",   "tr",      "td",
                                       "th",    "rb",      "rt",       "rp",     "optgroup", "tbody",   "thead",
                                       "tfoot", "caption", "colgroup", "keygen", "basefont", "bgsound", "frame"};
    int depth = 0, most = 0;
    for (qsizetype i = s.indexOf(u'<'); i >= 0 && i + 1 < s.size(); i = s.indexOf(u'<', i + 1)) {
        if (s[i + 1] == u'/') {
            depth = std::max(0, depth - 1);
            continue;
        }
        if (!isNameStart(s[i + 1]))
            continue;
        qsizetype j = i + 1;
        while (j < s.size() && j - i < 10 && s[j].unicode() < 0x80 && s[j].isLetterOrNumber())
            ++j;
        if (!flat.contains(s.mid(i + 1, j - i - 1).toLower()))
            most = std::max(most, ++depth);
    }
    return most;
}

}

bool allowedElement(const QString& name) { return elements().contains(name); }

bool isURLAttribute(const QString& name)
{
    static const QSet<QString> s = {
        "href",     "src",    "xlink:href", "action",   "formaction", "data",     "poster",   "background", "cite",
        "srcset",   "lowsrc", "dynsrc",     "codebase", "ping",       "manifest", "longdesc", "usemap",     "icon",
        "xml:base", "to",     "from",       "values",   "by",         "classid",  "archive",  "profile",    "content"};
    return s.contains(name);
}

namespace {

bool harmlessURL(const QString& decoded)
{
    QString plain;
    for (QChar c : decoded)
        if (c.unicode() > 0x20 && c != QChar(0x7F) && c != QChar(0xA0))
            plain += c.toLower();
    // A colon after a path, query or fragment start is not a scheme's.
    const qsizetype colon = plain.indexOf(u':');
    qsizetype cut = 0;
    while (cut < plain.size() && plain[cut] != u'/' && plain[cut] != u'?' && plain[cut] != u'#')
        ++cut;
    if (colon < 0 || colon > cut)
        return true;
    const QString scheme = plain.left(colon);
    static const QSet<QString> schemes = {"http", "https", "mailto", "tel", "file"};
    if (schemes.contains(scheme))
        return true;
    if (scheme == QLatin1String("data")) {
        // Raster pictures only: an SVG or page in data: would be a document of its own.
        static const char* images[] = {"image/png",  "image/jpeg", "image/jpg", "image/gif",
                                       "image/webp", "image/bmp",  "image/avif"};
        for (const char* kind : images) {
            const QLatin1String k(kind);
            if (plain.mid(5).startsWith(k) && plain.size() > 5 + k.size()
                && (plain[5 + k.size()] == u';' || plain[5 + k.size()] == u','))
                return true;
        }
    }
    return false;
}

QString rebuild(const QString& html, const AllowList* list)
{
    const auto allowed = [list](const QString& name) { return list ? list->element(name) : elements().contains(name); };
    QString out;
    out.reserve(html.size());
    const qsizetype rest = leadingEndTags(html, allowed, out);
    // Without a "<" there is only text, and its references can only ever spell text.
    if (html.indexOf(u'<', rest) < 0)
        return out.append(QStringView(html).mid(rest));
    // A tag cut off by the end is dropped by a browser at the document's
    // end; a piece's end is not the document's, so it shows as text.
    const qsizetype cut = unfinishedTag(html, rest);
    const QString fragment = html.mid(rest, cut - rest);
    if (nestingBound(fragment) > deepest)
        return out + escaped(html.mid(rest), false);
    const HTMLTree tree(fragment, context(fragment));
    Writer(tree, list, out).children(tree.root(), true);
    return out + escaped(html.mid(cut), false);
}

}

QString safeURL(const QString& value) { return harmlessURL(decodeReferences(value)) ? value : QStringLiteral("#"); }

QString clean(const QString& html) { return rebuild(html, nullptr); }

QString cleanWith(const QString& html, const AllowList& list) { return rebuild(html, &list); }

}
