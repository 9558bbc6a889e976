#pragma once

struct cmark_node;
struct cmark_syntax_extension;

// Formulas in Markdown text as GitHub reads them: `$…$` inline, with no
// blank right inside either dollar and no digit right after the closing one
// (so "$5 and $6" stays text), and `$$…$$` displayed. Their content is taken
// as it is written, like a code span's. They become code nodes marked as
// formulas, which every container (table cells too) accepts.
namespace MarkdownMath {

// The syntax extension to attach to a parser; made once, never freed.
cmark_syntax_extension* extension();
// Before a document is parsed on this thread.
void beginDocument();
bool isFormula(const cmark_node* node);
bool isDisplayed(const cmark_node* node);
}
