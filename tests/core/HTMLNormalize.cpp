#include "HTMLNormalize.h"

#include "plugins/HTMLTree.h"

#include <QRegularExpression>
#include <algorithm>
#include <vector>

// HTML compared as trees: both sides are parsed by the HTML5 tree builder
// the sanitiser uses, and the trees written back with the blank rules of
// the CommonMark suite's test/normalize.py (BSD-2-Clause, John MacFarlane;
// see tests/core/conformance/commonmark-spec.LICENSE): collapsed blanks,
// none around block elements, sorted attributes, character references
// decoded. Misnesting, implied and unclosed tags come out as the browser
// builds them, so only a difference in the tree counts.
namespace HTMLNormalize {

namespace {

// Python's str.isspace().
bool pySpace(QChar c)
{
    const char16_t u = c.unicode();
    return c.isSpace() || (u >= 0x1C && u <= 0x1F);
}

QString rstrip(const QString& s)
{
    qsizetype e = s.size();
    while (e > 0 && pySpace(s[e - 1]))
        --e;
    return s.left(e);
}

QString lstrip(const QString& s, bool onlyLineFeeds = false)
{
    qsizetype b = 0;
    while (b < s.size() && (onlyLineFeeds ? s[b] == u'\n' : pySpace(s[b])))
        ++b;
    return s.mid(b);
}

QString collapse(const QString& s)
{
    QString out;
    out.reserve(s.size());
    bool inRun = false;
    for (QChar c : s) {
        if (pySpace(c)) {
            if (!inRun)
                out += u' ';
            inRun = true;
        } else {
            out += c;
            inRun = false;
        }
    }
    return out;
}

bool blockTag(const QString& t)
{
    static const QStringList tags = {
        "article",  "header", "aside",  "hgroup",   "blockquote", "hr",      "iframe",     "body",  "li",
        "map",      "button", "object", "canvas",   "ol",         "caption", "output",     "col",   "p",
        "colgroup", "pre",    "dd",     "progress", "div",        "section", "dl",         "table", "td",
        "dt",       "tbody",  "embed",  "textarea", "fieldset",   "tfoot",   "figcaption", "th",    "figure",
        "thead",    "footer", "tr",     "form",     "ul",         "h1",      "h2",         "h3",    "h4",
        "h5",       "h6",     "video",  "script",   "style"};
    return tags.contains(t);
}

// Quotes are escaped in attribute values only.
QString escape(const QString& v, bool attribute)
{
    QString out;
    for (QChar c : v) {
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'"': out += attribute ? QLatin1String("&quot;") : QLatin1String("\""); break;
        case u'\'': out += attribute ? QLatin1String("&#x27;") : QLatin1String("'"); break;
        default: out += c;
        }
    }
    return out;
}

struct Attribute {
    QString name;
    QString value;
};

// The suite's rules for blanks, applied to the tree's start tags, text and
// end tags in document order.
class Writer {
public:
    QString output;

    void children(const GumboNode* parent)
    {
        const GumboVector& nodes = parent->v.element.children;
        for (unsigned i = 0; i < nodes.length; ++i)
            node(static_cast<const GumboNode*>(nodes.data[i]));
    }

private:
    QString last = QStringLiteral("starttag");
    QString lastTag;
    bool inPre = false;

    void node(const GumboNode* n)
    {
        switch (n->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA: data(QString::fromUtf8(n->v.text.text)); break;
        case GUMBO_NODE_COMMENT:
            output += QStringLiteral("<!--") + QString::fromUtf8(n->v.text.text) + QStringLiteral("-->");
            last = QStringLiteral("comment");
            break;
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: element(n); break;
        case GUMBO_NODE_DOCUMENT: break;
        }
    }

    void element(const GumboNode* n)
    {
        const QString tag = HTMLTree::name(n);
        std::vector<Attribute> attrs;
        const GumboVector& list = n->v.element.attributes;
        for (unsigned i = 0; i < list.length; ++i) {
            const auto* a = static_cast<const GumboAttribute*>(list.data[i]);
            Attribute attr{HTMLTree::attributeName(a), QString::fromUtf8(a->value)};
            if (!mapDialect(tag, attr))
                continue;
            attrs.push_back(attr);
        }
        startTag(tag, std::move(attrs));
        if (HTMLTree::isVoid(n))
            return;
        children(n);
        endTag(tag);
    }

    // The preview's own conventions as cmark-gfm writes them; false drops the attribute.
    static bool mapDialect(const QString& tag, Attribute& a)
    {
        if (a.name == QLatin1String("data-line"))
            return false;
        if (tag == QLatin1String("li") && a.name == QLatin1String("class") && a.value == QLatin1String("task"))
            return false;
        static const QRegularExpression align(QStringLiteral("^text-align:(left|center|right)$"));
        if (const auto m = align.match(a.value); a.name == QLatin1String("style") && m.hasMatch()) {
            a = {QStringLiteral("align"), m.captured(1)};
            return true;
        }
        if (tag == QLatin1String("code") && a.name == QLatin1String("class")
            && a.value.startsWith(QLatin1String("lang-")))
            a.value = QStringLiteral("language-") + a.value.mid(5);
        return true;
    }

    void data(QString d)
    {
        const bool afterTag = last == QLatin1String("endtag") || last == QLatin1String("starttag");
        const bool afterBlock = afterTag && blockTag(lastTag);
        if (afterTag && lastTag == QLatin1String("br"))
            d = lstrip(d, true);
        if (!inPre)
            d = collapse(d);
        if (afterBlock && !inPre) {
            if (last == QLatin1String("starttag"))
                d = lstrip(d);
            else if (last == QLatin1String("endtag"))
                d = lstrip(rstrip(d));
        }
        output += escape(d, false);
        last = QStringLiteral("data");
    }

    void startTag(const QString& tag, std::vector<Attribute> attrs)
    {
        if (tag == QLatin1String("pre"))
            inPre = true;
        if (blockTag(tag))
            output = rstrip(output);
        output += u'<' + tag;
        std::stable_sort(attrs.begin(), attrs.end(), [](const Attribute& a, const Attribute& b) {
            return a.name != b.name ? a.name < b.name : a.value < b.value;
        });
        for (const Attribute& a : attrs) {
            output += u' ' + a.name;
            if (!a.value.isEmpty())
                output += QStringLiteral("=\"") + escape(a.value, true) + u'"';
        }
        output += u'>';
        lastTag = tag;
        last = QStringLiteral("starttag");
    }

    void endTag(const QString& tag)
    {
        if (tag == QLatin1String("pre"))
            inPre = false;
        else if (blockTag(tag))
            output = rstrip(output);
        output += QStringLiteral("</") + tag + u'>';
        lastTag = tag;
        last = QStringLiteral("endtag");
    }
};

}

QString normalize(const QString& html)
{
    const HTMLTree tree(html);
    Writer w;
    w.children(tree.root());
    return lstrip(rstrip(w.output));
}

}
