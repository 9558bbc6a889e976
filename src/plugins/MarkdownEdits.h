#pragma once

#include "text/LineCommands.h"

// Markdown markup put around selections or taken away, at every selection
// as one step.
namespace MarkdownEdits {

// `marker` is ** or *. A selection already wrapped in it (inside or just
// around it) is unwrapped; any other is wrapped; an empty one gets an empty
// pair with the caret inside. Selections keep the text they held.
std::optional<EditPlan> toggleEmphasis(const TextLines& text, const std::vector<Span>& spans, const QString& marker);
// [text](url) of each selection; without a URL the caret goes between the
// parentheses, without text between the brackets, else after the link.
std::optional<EditPlan> link(const TextLines& text, const std::vector<Span>& spans, const QString& url);
// Whether a clipboard text is a single web or mail address.
bool isURL(const QString& text);

}
