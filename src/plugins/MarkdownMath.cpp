#include "plugins/MarkdownMath.h"

#include <cmark-gfm-extension_api.h>
#include <cmark-gfm/node.h>

#include <string>

namespace MarkdownMath {

namespace {

// The node's user data tells the two kinds apart.
char inlineMark, displayMark;

// Where the current block's text has no closing dollar (or pair) any more:
// an opener after that point fails at once, so a paragraph full of prices
// is read in linear time. Blocks are read one after the other, each in one
// go; a new document starts afresh.
struct NoCloser {
    const cmark_node* block = nullptr;
    int inlineFrom = 0, displayFrom = 0;
};
thread_local NoCloser noCloser;

bool blank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool digit(unsigned char c) { return c >= '0' && c <= '9'; }

// The index of the dollar closing an inline formula whose content starts at `from`; -1 when none does.
int inlineClose(const unsigned char* s, int length, int from)
{
    for (int j = from; j < length; ++j) {
        if (s[j] == '\\') {
            ++j;
            continue;
        }
        if (s[j] == '$' && !blank(s[j - 1]) && !(j + 1 < length && digit(s[j + 1])))
            return j;
    }
    return -1;
}

int displayClose(const unsigned char* s, int length, int from)
{
    for (int j = from; j + 1 < length; ++j) {
        if (s[j] == '\\') {
            ++j;
            continue;
        }
        if (s[j] == '$' && s[j + 1] == '$')
            return j;
    }
    return -1;
}

cmark_node* match(cmark_syntax_extension* self, cmark_parser* parser, cmark_node* parent, unsigned char character,
                  cmark_inline_parser* inlines)
{
    if (character != '$')
        return nullptr;
    const cmark_chunk* chunk = cmark_inline_parser_get_chunk(inlines);
    const unsigned char* s = chunk->data;
    const int length = chunk->len;
    const int at = cmark_inline_parser_get_offset(inlines);
    // The rest of a run of dollars that opened nothing is text.
    if (at > 0 && s[at - 1] == '$')
        return nullptr;
    int run = 0;
    while (at + run < length && s[at + run] == '$')
        ++run;
    if (noCloser.block != parent)
        noCloser = {parent, length, length};
    int from = at + run, close = -1;
    if (run == 1 && from < length && !blank(s[from]) && from < noCloser.inlineFrom) {
        close = inlineClose(s, length, from + 1);
        if (close < 0)
            noCloser.inlineFrom = from;
    } else if (run == 2 && from < noCloser.displayFrom) {
        close = displayClose(s, length, from);
        if (close < 0)
            noCloser.displayFrom = from;
    }
    if (close < 0)
        return nullptr;
    int to = close;
    if (run == 2) {
        while (from < to && blank(s[from]))
            ++from;
        while (to > from && blank(s[to - 1]))
            --to;
        if (from == to)
            return nullptr;
    }
    cmark_node* node = cmark_node_new_with_mem(CMARK_NODE_CODE, cmark_get_default_mem_allocator());
    const std::string source(reinterpret_cast<const char*>(s) + from, size_t(to - from));
    cmark_node_set_literal(node, source.c_str());
    cmark_node_set_user_data(node, run == 2 ? &displayMark : &inlineMark);
    node->extension = self;
    node->start_line = node->end_line = cmark_inline_parser_get_line(inlines);
    cmark_inline_parser_set_offset(inlines, close + run);
    return node;
}

}

void beginDocument() { noCloser = {}; }

cmark_syntax_extension* extension()
{
    static cmark_syntax_extension* const ext = [] {
        cmark_syntax_extension* e = cmark_syntax_extension_new("lorvane-math");
        cmark_llist* chars = cmark_llist_append(cmark_get_default_mem_allocator(), nullptr,
                                                reinterpret_cast<void*>(uintptr_t('$')));
        cmark_syntax_extension_set_special_inline_chars(e, chars);
        cmark_syntax_extension_set_match_inline_func(e, match);
        return e;
    }();
    return ext;
}

bool isFormula(const cmark_node* node)
{
    return node->type == CMARK_NODE_CODE && node->extension == extension()
        && (node->user_data == &inlineMark || node->user_data == &displayMark);
}

bool isDisplayed(const cmark_node* node) { return isFormula(node) && node->user_data == &displayMark; }

}
