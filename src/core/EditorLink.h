#pragma once

#include "core/Doc.h"

#include <QString>
#include <QUuid>

// What the workspace asks of the editors. The editor layer implements it on
// top of its controller cache; the core never sees a widget.
class EditorLink {
public:
    virtual ~EditorLink() = default;

    // Re-read the document into its editor (creating the editor if needed),
    // e.g. after the text was replaced by the file's disk version.
    virtual void loadFromDoc(const DocPtr& doc) = 0;
    // Forget the editor of a document that left the workspace.
    virtual void drop(QUuid docID) = 0;
    // Give keyboard focus to the document's editor.
    virtual void focus(const DocPtr& doc) = 0;
    // Take keyboard focus away from every editor (a dialog or sheet is up).
    virtual void releaseFocus() = 0;

    // Editing state the workspace's flows reach into; an editor that was
    // never shown has none of it, hence the harmless defaults.
    virtual QString selectedText(const DocPtr&) const { return {}; }
    virtual void exitMultiCaret(const DocPtr&) {}
    virtual void toggleMultiCaret(const DocPtr&) {}
    virtual void refreshHighlights(const DocPtr&, bool /*resetIndex*/) {}
};
