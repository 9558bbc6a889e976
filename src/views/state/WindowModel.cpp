#include "views/state/WindowModel.h"

#include "core/EditorLink.h"

WindowModel::WindowModel(std::unique_ptr<Preferences> ud, QObject* parent) : AppModel(std::move(ud), parent)
{
    setPrompter(&view_);
    // The find bar goes with the last document.
    connect(&manager().saver(), &DocumentSaver::removed, this, [this] {
        if (docs().isEmpty())
            find_.setVisible(false);
    });
}

// The flows ask nobody once the window's state is gone.
WindowModel::~WindowModel() { setPrompter(nullptr); }

WindowModel& WindowModel::shared()
{
    // Lives until the process ends, like the application object's children.
    static WindowModel* instance = new WindowModel;
    return *instance;
}

void WindowModel::escape()
{
    if (popup()) {
        setPopup(std::nullopt);
    } else if (multiCaretCount()) {
        if (EditorLink* editors = editorLink())
            if (DocPtr a = active())
                editors->exitMultiCaret(a);
    } else if (find_.visible()) {
        closeFind();
    } else if (isFullScreen()) {
        setIsFullScreen(false);
    }
}

void WindowModel::openFind(bool replace)
{
    const DocPtr a = active();
    if (!a)
        return;
    if (EditorLink* editors = editorLink()) {
        editors->exitMultiCaret(a);
        const QString selected = editors->selectedText(a);
        if (!selected.isEmpty() && !selected.contains(QLatin1Char('\n')))
            find_.setQuery(selected);
    }
    find_.setVisible(true);
    find_.setReplaceVisible(replace);
    find_.setFocusToken(find_.focusToken() + 1);
}

void WindowModel::closeFind()
{
    EditorLink* editors = editorLink();
    // The caret stays on the match the user stepped to, not where the search began.
    if (find_.visible() && editors)
        if (DocPtr a = active())
            editors->selectCurrentMatch(a);
    find_.setVisible(false);
    if (editors)
        if (DocPtr a = active()) {
            editors->refreshHighlights(a);
            editors->focus(a);
        }
}
