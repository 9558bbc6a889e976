#include "plugins/MarkdownSoftBreaks.h"

#include <cmark-gfm/node.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf8.h>

namespace Markdown {

namespace {

// The text at the edge of an inline next to the break: the last text of
// what comes before (inside emphasis, links ...), the first of what follows.
const cmark_chunk* edgeText(const cmark_node* node, bool last)
{
    while (node) {
        if (node->type == CMARK_NODE_TEXT || node->type == CMARK_NODE_CODE)
            return node->as.literal.len > 0 ? &node->as.literal : nullptr;
        node = last ? node->last_child : node->first_child;
    }
    return nullptr;
}

bool wide(UChar32 c)
{
    if (c < 0)
        return false;
    const int width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
    // Korean is written with spaces between words.
    UErrorCode status = U_ZERO_ERROR;
    return (width == U_EA_WIDE || width == U_EA_FULLWIDTH) && uscript_getScript(c, &status) != USCRIPT_HANGUL;
}

}

bool joinsWithoutSpace(const cmark_node* softBreak)
{
    const cmark_chunk* before = edgeText(softBreak->prev, true);
    const cmark_chunk* after = edgeText(softBreak->next, false);
    if (!before || !after)
        return false;
    UChar32 last = -1, first = -1;
    int32_t end = before->len;
    U8_PREV(before->data, 0, end, last);
    int32_t start = 0;
    U8_NEXT(after->data, start, after->len, first);
    return wide(last) && wide(first);
}

}
