#pragma once

#include <string>

struct cmark_node;

namespace Markdown {
// Appends the HTML of a parsed document (UTF-8) to out; with renderings,
// what the preview draws comes drawn: formulas, fenced blocks by their
// language (MarkdownFences: diagrams, formulas), code coloured.
void writeHTML(std::string& out, cmark_node* root, bool sourceLines, bool renderings = false);
}
