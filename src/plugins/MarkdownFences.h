#pragma once

#include "plugins/CodeHighlight.h"

#include <QString>

#include <optional>
#include <string_view>

// What the preview draws in place of a fenced block, chosen by the block's
// language: one entry per language here, the writer stays the same.
namespace MarkdownFences {

struct Drawn {
    const char* className;  // of the <div> the writer puts around it
    QString html;           // sanitised
};

// What one document has drawn so far: its diagrams are limited.
struct Budget {
    int diagrams = 0;
};

// The drawing of a block in this language; nothing when the block is code.
std::optional<Drawn> draw(std::string_view language, const QString& code, Budget& budget);
// The code's coloured HTML (classed spans), or why it stays plain.
CodeHighlight::Colouring colour(std::string_view language, const QString& code);
}
