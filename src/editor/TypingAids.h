#pragma once

#include "core/Settings.h"

#include <QString>

class CodeTextView;
class QKeyEvent;

// What the typing aids need to know of the document: its format and indentation.
struct TypingRules {
    QString format;
    Indent indent;
    bool operator==(const TypingRules&) const = default;
};

// Keys that do more than Scintilla's own commands at a single caret: Enter
// keeps the indent and continues Markdown lists, brackets and quotes come in
// pairs, Tab nests a Markdown list item.
namespace TypingAids {

// Sets up the view's marker of inserted closers.
void install(CodeTextView& view);
// Carries out the key's edit; false when it is left to the editor.
bool handle(CodeTextView& view, const QKeyEvent* e, const TypingRules& rules);

}
