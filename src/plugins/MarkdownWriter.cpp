#include "plugins/MarkdownWriter.h"

#include "plugins/AnalysisBudget.h"
#include "plugins/HTMLSanitizer.h"
#include "plugins/Markdown.h"
#include "plugins/MarkdownFences.h"
#include "plugins/MarkdownMath.h"
#include "plugins/MarkdownSoftBreaks.h"
#include "plugins/MathRender.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm/node.h>

#include <QHash>
#include <array>
#include <cctype>
#include <string_view>

// The node types the extensions register when they load; the library
// exports them without declaring them in a header.
extern "C" {
extern cmark_node_type CMARK_NODE_TABLE, CMARK_NODE_TABLE_ROW, CMARK_NODE_TABLE_CELL, CMARK_NODE_STRIKETHROUGH;
}

// The preview's HTML from cmark-gfm's node tree. Written here rather than by
// cmark's own renderer so that blocks carry their source lines, code blocks
// their "lang-" class, task items their class and check box, and raw HTML
// passes the sanitiser. The walk is iterative, so nesting depth costs no stack.
namespace Markdown {

namespace {

// What text needs in HTML: 1 for &, <, > and the double quote.
constexpr auto escapes = [] {
    std::array<unsigned char, 256> t{};
    t['&'] = t['<'] = t['>'] = t['"'] = 1;
    return t;
}();

// Bytes a URL keeps as they are; & and ' become entities, the rest %XX.
constexpr auto urlSafe = [] {
    std::array<unsigned char, 256> t{};
    for (unsigned char c : std::string_view("-_.+!*(),%#@?=;:/$~"))
        t[c] = 1;
    for (int c = '0'; c <= '9'; ++c)
        t[c] = 1;
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = t[c - 32] = 1;
    return t;
}();

class Writer {
public:
    Writer(std::string& out, bool sourceLines, bool renderings)
        : out_(out), sourceLines_(sourceLines), renderings_(renderings)
    {
        static cmark_syntax_extension* const task = cmark_find_syntax_extension("tasklist");
        tasklist_ = task;
    }

    void document(cmark_node* root)
    {
        cmark_node* node = root->first_child;
        while (node) {
            AnalysisBudget::poll();
            // Nodes lie wherever the parser allocated them: fetch the next ones early.
            __builtin_prefetch(node->next);
            __builtin_prefetch(node->first_child);
            if (enter(node) && node->first_child) {
                node = node->first_child;
                continue;
            }
            // Leaving: close this node and every parent whose last child it was.
            while (node) {
                leave(node);
                if (node->next) {
                    node = node->next;
                    break;
                }
                node = node->parent;
                if (node == root)
                    return;
            }
        }
    }

private:
    std::string& out_;
    const bool sourceLines_;
    const bool renderings_;
    MarkdownFences::Budget budget_;  // of this document
    cmark_syntax_extension* tasklist_ = nullptr;
    int depth_ = 0;  // open blockquotes, lists and items
    // The table being written: its column alignments and the next cell's column.
    const uint8_t* align_ = nullptr;
    uint16_t columns_ = 0, column_ = 0;
    bool inHeader_ = false, bodyOpen_ = false;
    // The same inline tag comes back often (<br>, </b>); it is cleaned once.
    QHash<QByteArray, QByteArray> cleaned_;

    void put(const char* s) { out_.append(s); }
    void put(const char* s, size_t n) { out_.append(s, n); }

    void escaped(const unsigned char* s, size_t n)
    {
        size_t run = 0;
        for (size_t i = 0; i < n; ++i) {
            if (!escapes[s[i]])
                continue;
            out_.append(reinterpret_cast<const char*>(s) + run, i - run);
            switch (s[i]) {
            case '&': put("&amp;"); break;
            case '<': put("&lt;"); break;
            case '>': put("&gt;"); break;
            default: put("&quot;"); break;
            }
            run = i + 1;
        }
        out_.append(reinterpret_cast<const char*>(s) + run, n - run);
    }
    void escaped(const cmark_chunk& c) { escaped(c.data, size_t(c.len)); }

    void put(const QString& html)
    {
        const QByteArray utf8 = html.toUtf8();
        put(utf8.constData(), size_t(utf8.size()));
    }

    static QString text(const cmark_chunk& c)
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(c.data), c.len);
    }

    // A fenced block the preview draws instead of showing its code; false when it is code.
    bool drawn(cmark_node* node, std::string_view language)
    {
        const auto drawing = MarkdownFences::draw(language, text(node->as.code.literal), budget_);
        if (!drawing)
            return false;
        put("<div class=\"");
        put(drawing->className);
        out_ += '"';
        line(node);
        out_ += '>';
        put(drawing->html);
        put("</div>\n");
        return true;
    }

    // The block's code coloured when highlight.js knows the language; false
    // leaves it to be written plain (`tooLong` then says whether for its length).
    bool coloured(std::string_view language, const cmark_chunk& code, bool& tooLong)
    {
        const CodeHighlight::Colouring colouring = MarkdownFences::colour(language, text(code));
        tooLong = colouring.tooLong;
        if (colouring.html.isNull())
            return false;
        put(colouring.html);
        return true;
    }

    // Whether the sanitiser must judge a URL: it refuses script and
    // non-image data schemes, which need a ":" and hide behind references,
    // blanks, controls and letter case; plain addresses are spared the copy.
    static bool needsJudging(const cmark_chunk& c)
    {
        for (bufsize_t i = 0; i < c.len; ++i) {
            const unsigned char b = c.data[i];
            if (b <= 0x20 || b >= 0x7F || b == '&')
                return true;
            if (b == ':') {
                const auto before = [&](const char* word, bufsize_t n) {
                    if (i < n)
                        return false;
                    for (bufsize_t k = 0; k < n; ++k)
                        if ((c.data[i - n + k] | 0x20) != word[k])
                            return false;
                    return true;
                };
                if (before("script", 6) || before("data", 4))
                    return true;
            }
        }
        return false;
    }

    void url(const cmark_chunk& c)
    {
        const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(c.data), c.len);
        QByteArray safe = raw;
        if (needsJudging(c)) {
            const QString value = QString::fromUtf8(raw);
            if (HTMLSanitizer::safeURL(value) != value)
                safe = QByteArrayLiteral("#");
        }
        static const char hex[] = "0123456789ABCDEF";
        for (const char ch : safe) {
            const auto b = static_cast<unsigned char>(ch);
            if (urlSafe[b]) {
                out_ += ch;
            } else if (b == '&') {
                put("&amp;");
            } else if (b == '\'') {
                put("&#x27;");
            } else {
                const char enc[3] = {'%', hex[b >> 4], hex[b & 15]};
                put(enc, 3);
            }
        }
    }

    // ` data-line="N"` from the node's 1-based start line.
    void line(cmark_node* node)
    {
        if (!sourceLines_ || node->start_line < 1)
            return;
        put(" data-line=\"");
        out_ += std::to_string(node->start_line - 1);
        out_ += '"';
    }

    void open(const char* tag, cmark_node* node)
    {
        out_ += '<';
        put(tag);
        line(node);
        out_ += '>';
    }

    bool tightParagraph(cmark_node* node) const
    {
        const cmark_node* item = node->parent;
        return item && item->type == CMARK_NODE_ITEM && item->parent && item->parent->as.list.tight;
    }

    bool isTask(cmark_node* item) const { return tasklist_ && item->extension == tasklist_; }

    void checkbox(cmark_node* item)
    {
        put(item->as.list.checked ? "<input type=\"checkbox\" disabled checked> "
                                  : "<input type=\"checkbox\" disabled> ");
    }

    // Raw HTML through the sanitiser; an HTML block's first element gets the block's line.
    void rawHTML(cmark_node* node, bool block)
    {
        const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(node->as.literal.data),
                                                       node->as.literal.len);
        QByteArray clean;
        if (block) {
            clean = Markdown::sanitize(QString::fromUtf8(raw)).toUtf8();
        } else {
            auto it = cleaned_.constFind(raw);
            if (it == cleaned_.constEnd())
                it = cleaned_.insert(QByteArray(raw.constData(), raw.size()),
                                     Markdown::sanitize(QString::fromUtf8(raw)).toUtf8());
            clean = *it;
        }
        qsizetype name = 0;
        if (block && sourceLines_ && clean.size() > 1 && clean[0] == '<'
            && std::isalpha(static_cast<unsigned char>(clean[1]))) {
            name = 1;
            while (name < clean.size() && clean[name] != ' ' && clean[name] != '>' && clean[name] != '/')
                ++name;
        }
        if (name > 0) {
            put(clean.constData(), size_t(name));
            line(node);
            put(clean.constData() + name, size_t(clean.size() - name));
        } else {
            put(clean.constData(), size_t(clean.size()));
        }
        if (block && !out_.empty() && out_.back() != '\n')
            out_ += '\n';
    }

    // An image's alt text: the plain text of its content; its children are not visited.
    void altText(cmark_node* image)
    {
        cmark_node* node = image->first_child;
        while (node && node != image) {
            switch (node->type) {
            case CMARK_NODE_TEXT:
            case CMARK_NODE_CODE:
            case CMARK_NODE_HTML_INLINE: escaped(node->as.literal); break;
            case CMARK_NODE_SOFTBREAK:
                if (!joinsWithoutSpace(node))
                    out_ += ' ';
                break;
            case CMARK_NODE_LINEBREAK: out_ += ' '; break;
            default: break;
            }
            if (node->first_child) {
                node = node->first_child;
                continue;
            }
            while (node != image && !node->next)
                node = node->parent;
            if (node != image)
                node = node->next;
        }
    }

    void title(const cmark_chunk& t)
    {
        if (t.len == 0)
            return;
        put(" title=\"");
        escaped(t);
        out_ += '"';
    }

    void cell(cmark_node* node)
    {
        put(inHeader_ ? "<th" : "<td");
        const uint8_t a = align_ && column_ < columns_ ? align_[column_] : 0;
        if (a == 'l')
            put(" style=\"text-align:left\"");
        else if (a == 'c')
            put(" style=\"text-align:center\"");
        else if (a == 'r')
            put(" style=\"text-align:right\"");
        out_ += '>';
        ++column_;
    }

    // Writes the opening of a node; false when its children are not to be visited.
    bool enter(cmark_node* node)
    {
        const auto type = cmark_node_type(node->type);
        switch (type) {
        case CMARK_NODE_TEXT: escaped(node->as.literal); return false;
        case CMARK_NODE_SOFTBREAK:
            if (!joinsWithoutSpace(node))
                out_ += '\n';
            return false;
        case CMARK_NODE_LINEBREAK: put("<br>\n"); return false;
        case CMARK_NODE_CODE:
            if (renderings_ && MarkdownMath::isFormula(node)) {
                put(MathRender::html(text(node->as.literal), MarkdownMath::isDisplayed(node)));
                return false;
            }
            put("<code>");
            escaped(node->as.literal);
            put("</code>");
            return false;
        case CMARK_NODE_EMPH: put("<em>"); return true;
        case CMARK_NODE_STRONG: put("<strong>"); return true;
        case CMARK_NODE_LINK:
            put("<a href=\"");
            url(node->as.link.url);
            out_ += '"';
            title(node->as.link.title);
            out_ += '>';
            return true;
        case CMARK_NODE_IMAGE:
            put("<img alt=\"");
            altText(node);
            put("\" src=\"");
            url(node->as.link.url);
            out_ += '"';
            title(node->as.link.title);
            out_ += '>';
            return false;
        case CMARK_NODE_HTML_INLINE: rawHTML(node, false); return false;
        case CMARK_NODE_PARAGRAPH:
            if (!tightParagraph(node)) {
                open("p", node);
                if (node->parent->type == CMARK_NODE_ITEM && node->parent->first_child == node && isTask(node->parent))
                    checkbox(node->parent);
            }
            return true;
        case CMARK_NODE_HEADING: {
            const char tag[3] = {'h', char('0' + node->as.heading.level), 0};
            open(tag, node);
            return true;
        }
        case CMARK_NODE_CODE_BLOCK: {
            const cmark_chunk& info = node->as.code.info;
            bufsize_t word = 0;
            while (word < info.len && info.data[word] != ' ' && info.data[word] != '\t' && info.data[word] != '\n')
                ++word;
            const std::string_view language(reinterpret_cast<const char*>(info.data), size_t(word));
            if (renderings_ && word > 0 && drawn(node, language))
                return false;
            open("pre", node);
            if (word > 0) {
                put("<code class=\"lang-");
                escaped(info.data, size_t(word));
                put("\">");
            } else {
                put("<code>");
            }
            bool tooLong = false;
            if (!renderings_ || word == 0 || !coloured(language, node->as.code.literal, tooLong))
                escaped(node->as.code.literal);
            put("</code></pre>\n");
            if (tooLong) {
                put("<p class=\"cap\">");
                put(CodeHighlight::tooLongNote);
                put("</p>\n");
            }
            return false;
        }
        case CMARK_NODE_HTML_BLOCK: rawHTML(node, true); return false;
        case CMARK_NODE_THEMATIC_BREAK:
            open("hr", node);
            out_ += '\n';
            return false;
        case CMARK_NODE_BLOCK_QUOTE:
            if (++depth_ <= maxDepth)
                open("blockquote", node);
            return true;
        case CMARK_NODE_LIST:
            if (++depth_ > maxDepth)
                return true;
            if (node->as.list.list_type == CMARK_BULLET_LIST) {
                put("<ul>");
            } else if (node->as.list.start == 1) {
                put("<ol>");
            } else {
                put("<ol start=\"");
                out_ += std::to_string(node->as.list.start);
                put("\">");
            }
            return true;
        case CMARK_NODE_ITEM:
            if (++depth_ > maxDepth)
                return true;
            put(isTask(node) ? "<li class=\"task\"" : "<li");
            line(node);
            out_ += '>';
            // A loose item shows its box inside its first paragraph.
            if (isTask(node)
                && !(node->first_child && node->first_child->type == CMARK_NODE_PARAGRAPH
                     && !node->parent->as.list.tight))
                checkbox(node);
            return true;
        default: break;
        }
        if (type == CMARK_NODE_STRIKETHROUGH) {
            put("<del>");
        } else if (type == CMARK_NODE_TABLE) {
            open("table", node);
            align_ = cmark_gfm_extensions_get_table_alignments(node);
            columns_ = cmark_gfm_extensions_get_table_columns(node);
            bodyOpen_ = false;
        } else if (type == CMARK_NODE_TABLE_ROW) {
            inHeader_ = cmark_gfm_extensions_get_table_row_is_header(node);
            if (inHeader_) {
                put("<thead>");
            } else if (!bodyOpen_) {
                put("<tbody>");
                bodyOpen_ = true;
            }
            open("tr", node);
            column_ = 0;
        } else if (type == CMARK_NODE_TABLE_CELL) {
            cell(node);
        }
        return true;
    }

    void leave(cmark_node* node)
    {
        const auto type = cmark_node_type(node->type);
        switch (type) {
        case CMARK_NODE_EMPH: put("</em>"); return;
        case CMARK_NODE_STRONG: put("</strong>"); return;
        case CMARK_NODE_LINK: put("</a>"); return;
        case CMARK_NODE_PARAGRAPH:
            if (!tightParagraph(node))
                put("</p>\n");
            return;
        case CMARK_NODE_HEADING: {
            const char tag[7] = {'<', '/', 'h', char('0' + node->as.heading.level), '>', '\n', 0};
            put(tag);
            return;
        }
        case CMARK_NODE_BLOCK_QUOTE:
            if (depth_-- <= maxDepth)
                put("</blockquote>\n");
            return;
        case CMARK_NODE_LIST:
            if (depth_-- <= maxDepth)
                put(node->as.list.list_type == CMARK_BULLET_LIST ? "</ul>\n" : "</ol>\n");
            return;
        case CMARK_NODE_ITEM:
            if (depth_-- <= maxDepth)
                put("</li>");
            return;
        default: break;
        }
        if (type == CMARK_NODE_STRIKETHROUGH) {
            put("</del>");
        } else if (type == CMARK_NODE_TABLE) {
            put(bodyOpen_ ? "</tbody></table>\n" : "</table>\n");
            align_ = nullptr;
        } else if (type == CMARK_NODE_TABLE_ROW) {
            put(inHeader_ ? "</tr></thead>" : "</tr>");
        } else if (type == CMARK_NODE_TABLE_CELL) {
            put(inHeader_ ? "</th>" : "</td>");
        }
    }
};

}

void writeHTML(std::string& out, cmark_node* root, bool sourceLines, bool renderings)
{
    Writer(out, sourceLines, renderings).document(root);
}

}
