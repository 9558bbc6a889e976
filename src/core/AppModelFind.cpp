#include "core/AppModel.h"

#include "core/EditorLink.h"

void AppModel::escape()
{
    if (popup()) {
        setPopup(std::nullopt);
    } else if (multiCaretCount()) {
        if (editorLink_)
            if (DocPtr a = active())
                editorLink_->exitMultiCaret(a);
    } else if (find_.visible()) {
        closeFind();
    } else if (isFullScreen()) {
        setIsFullScreen(false);
    }
}

void AppModel::openFind(bool replace)
{
    const DocPtr a = active();
    if (!a)
        return;
    if (editorLink_) {
        editorLink_->exitMultiCaret(a);
        const QString selected = editorLink_->selectedText(a);
        if (!selected.isEmpty() && !selected.contains(QLatin1Char('\n')))
            find_.setQuery(selected);
    }
    find_.setVisible(true);
    find_.setReplaceVisible(replace);
    find_.setFocusToken(find_.focusToken() + 1);
}

void AppModel::closeFind()
{
    // The caret stays on the match the user stepped to, not where the search began.
    if (find_.visible() && editorLink_)
        if (DocPtr a = active())
            editorLink_->selectCurrentMatch(a);
    find_.setVisible(false);
    if (editorLink_)
        if (DocPtr a = active()) {
            editorLink_->refreshHighlights(a);
            editorLink_->focus(a);
        }
}

bool AppModel::wraps(const Doc& doc) const { return doc.wrapChoice().value_or(settings().wrapFor(doc.plugin().id)); }

void AppModel::toggleWrap()
{
    if (const DocPtr a = active())
        a->setWrapChoice(!wraps(*a));
}
