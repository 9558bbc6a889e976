#pragma once

#include <string>

struct cmark_node;

namespace Markdown {
// Appends the HTML of a parsed document (UTF-8) to out; with diagrams,
// ```mermaid blocks come as drawn diagrams (see MermaidBlocks).
void writeHTML(std::string& out, cmark_node* root, bool sourceLines, bool diagrams = false);
}
