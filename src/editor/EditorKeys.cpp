#include "editor/EditorKeys.h"

#include <QString>
#include <Qsci/qsciscintillabase.h>

namespace EditorKeys {

namespace {

using B = QsciScintillaBase;
constexpr auto none = Qt::NoModifier;
constexpr auto shift = Qt::ShiftModifier;
constexpr auto ctrl = Qt::ControlModifier;
const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;

std::vector<Binding> make()
{
    return {
        {Qt::Key_Left, none, B::SCI_CHARLEFT},
        {Qt::Key_Left, shift, B::SCI_CHARLEFTEXTEND},
        {Qt::Key_Left, ctrl, B::SCI_WORDLEFT},
        {Qt::Key_Left, ctrlShift, B::SCI_WORDLEFTEXTEND},
        {Qt::Key_Right, none, B::SCI_CHARRIGHT},
        {Qt::Key_Right, shift, B::SCI_CHARRIGHTEXTEND},
        {Qt::Key_Right, ctrl, B::SCI_WORDRIGHTEND},
        {Qt::Key_Right, ctrlShift, B::SCI_WORDRIGHTENDEXTEND},
        {Qt::Key_Up, none, B::SCI_LINEUP},
        {Qt::Key_Up, shift, B::SCI_LINEUPEXTEND},
        {Qt::Key_Up, ctrl, B::SCI_LINESCROLLUP},
        {Qt::Key_Down, none, B::SCI_LINEDOWN},
        {Qt::Key_Down, shift, B::SCI_LINEDOWNEXTEND},
        {Qt::Key_Down, ctrl, B::SCI_LINESCROLLDOWN},
        // Home goes to the first non-blank, then the line start; both by
        // displayed line when wrapping.
        {Qt::Key_Home, none, B::SCI_VCHOMEWRAP},
        {Qt::Key_Home, shift, B::SCI_VCHOMEWRAPEXTEND},
        {Qt::Key_Home, ctrl, B::SCI_DOCUMENTSTART},
        {Qt::Key_Home, ctrlShift, B::SCI_DOCUMENTSTARTEXTEND},
        {Qt::Key_End, none, B::SCI_LINEENDWRAP},
        {Qt::Key_End, shift, B::SCI_LINEENDWRAPEXTEND},
        {Qt::Key_End, ctrl, B::SCI_DOCUMENTEND},
        {Qt::Key_End, ctrlShift, B::SCI_DOCUMENTENDEXTEND},
        {Qt::Key_PageUp, none, B::SCI_PAGEUP},
        {Qt::Key_PageUp, shift, B::SCI_PAGEUPEXTEND},
        {Qt::Key_PageDown, none, B::SCI_PAGEDOWN},
        {Qt::Key_PageDown, shift, B::SCI_PAGEDOWNEXTEND},
        {Qt::Key_Backspace, none, B::SCI_DELETEBACK},
        {Qt::Key_Backspace, shift, B::SCI_DELETEBACK},
        {Qt::Key_Backspace, ctrl, B::SCI_DELWORDLEFT},
        {Qt::Key_Delete, none, B::SCI_CLEAR},
        {Qt::Key_Delete, ctrl, B::SCI_DELWORDRIGHT},
        {Qt::Key_Return, none, B::SCI_NEWLINE},
        {Qt::Key_Return, shift, B::SCI_NEWLINE},
        {Qt::Key_Tab, none, B::SCI_TAB},
        {Qt::Key_Tab, shift, B::SCI_BACKTAB},
        // The Edit menu leaves these to the focused widget.
        {Qt::Key_Z, ctrl, B::SCI_UNDO},
        {Qt::Key_Z, ctrlShift, B::SCI_REDO},
        {Qt::Key_Y, ctrl, B::SCI_REDO},
        {Qt::Key_X, ctrl, B::SCI_CUT},
        {Qt::Key_C, ctrl, B::SCI_COPY},
        {Qt::Key_V, ctrl, B::SCI_PASTE},
        {Qt::Key_A, ctrl, B::SCI_SELECTALL},
    };
}

int scintillaKey(Qt::Key k)
{
    switch (k) {
    case Qt::Key_Left: return B::SCK_LEFT;
    case Qt::Key_Right: return B::SCK_RIGHT;
    case Qt::Key_Up: return B::SCK_UP;
    case Qt::Key_Down: return B::SCK_DOWN;
    case Qt::Key_Home: return B::SCK_HOME;
    case Qt::Key_End: return B::SCK_END;
    case Qt::Key_PageUp: return B::SCK_PRIOR;
    case Qt::Key_PageDown: return B::SCK_NEXT;
    case Qt::Key_Backspace: return B::SCK_BACK;
    case Qt::Key_Delete: return B::SCK_DELETE;
    case Qt::Key_Return: return B::SCK_RETURN;
    case Qt::Key_Tab: return B::SCK_TAB;
    default: return int(k);  // letters: their upper-case ASCII code
    }
}

int scintillaModifiers(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? B::SCMOD_SHIFT : 0) | (m & Qt::ControlModifier ? B::SCMOD_CTRL : 0)
        | (m & Qt::AltModifier ? B::SCMOD_ALT : 0) | (m & Qt::MetaModifier ? B::SCMOD_META : 0);
}

}

const std::vector<Binding>& bindings()
{
    static const std::vector<Binding> list = make();
    return list;
}

void install(QsciScintillaBase* view)
{
    view->SendScintilla(B::SCI_CLEARALLCMDKEYS);
    for (const Binding& b : bindings())
        view->SendScintilla(B::SCI_ASSIGNCMDKEY,
                            static_cast<unsigned long>(scintillaKey(b.key) | scintillaModifiers(b.modifiers) << 16),
                            static_cast<long>(b.command));
}

const Binding* find(int key, Qt::KeyboardModifiers modifiers)
{
    Qt::KeyboardModifiers m = modifiers
        & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // The keypad's Enter is Return; Shift+Tab arrives as Backtab.
    if (key == Qt::Key_Enter)
        key = Qt::Key_Return;
    if (key == Qt::Key_Backtab) {
        key = Qt::Key_Tab;
        m |= Qt::ShiftModifier;
    }
    for (const Binding& b : bindings())
        if (b.key == key && b.modifiers == m)
            return &b;
    return nullptr;
}

bool typesText(Qt::KeyboardModifiers modifiers)
{
    return !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

std::optional<UndoSteps::Kind> undoKind(const Binding* binding, const QString& typed)
{
    using K = UndoSteps::Kind;
    if (!binding)
        return typed.isEmpty() || !typed.front().isPrint() ? std::nullopt : std::optional(K::typing);
    switch (binding->command) {
    case B::SCI_DELETEBACK:
    case B::SCI_CLEAR: return K::deleting;
    case B::SCI_NEWLINE:
    case B::SCI_TAB:
    case B::SCI_BACKTAB:
    case B::SCI_DELWORDLEFT:
    case B::SCI_DELWORDRIGHT:
    case B::SCI_CUT:
    case B::SCI_PASTE: return K::none;
    default: return std::nullopt;
    }
}

}
