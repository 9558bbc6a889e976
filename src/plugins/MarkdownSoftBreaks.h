#pragma once

struct cmark_node;

namespace Markdown {
// Whether a soft line break joins its neighbours without a space. Chinese
// and Japanese put no space between words, so a line broken inside a
// paragraph continues right after the last character; elsewhere the break
// is a space.
bool joinsWithoutSpace(const cmark_node* softBreak);
}
