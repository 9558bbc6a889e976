#pragma once

#include "editor/UndoSteps.h"

#include <Qt>
#include <optional>
#include <vector>

class QsciScintillaBase;

// The keys the text view handles itself: moving, selecting, deleting, indenting
// and the editing commands. Scintilla's own key map is replaced by this list, so
// a key that neither it nor a menu names changes nothing.
namespace EditorKeys {

struct Binding {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int command;  // a SCI_ message without arguments
};

const std::vector<Binding>& bindings();
// Clears the view's key map and installs the bindings.
void install(QsciScintillaBase* view);
// The binding of a key press, or null.
const Binding* find(int key, Qt::KeyboardModifiers modifiers);
// Whether a key with these modifiers may insert its text (Shift only).
bool typesText(Qt::KeyboardModifiers modifiers);
// How a key's edit joins the undo history: a binding, or else the text the
// key types; nothing for keys that do not edit.
std::optional<UndoSteps::Kind> undoKind(const Binding* binding, const QString& typed);

}
