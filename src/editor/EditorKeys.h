#pragma once

#include <Qt>
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

}
