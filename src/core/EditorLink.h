#pragma once

#include "core/Doc.h"

#include <QUuid>

// Where a document's editor stood: the caret's line and the first line shown, 0-based,
// and the caret's column in characters from the start of its line.
struct EditorPlace {
    int caretLine = 0;
    int topLine = 0;
    int caretColumn = 0;
    bool operator==(const EditorPlace&) const = default;
};

// What the workspace asks of the editors. The editor layer implements it on
// top of its controller cache; the core never sees a widget.
class EditorLink {
public:
    virtual ~EditorLink() = default;

    // Where a file about to be read on a worker puts its text: a buffer the
    // file's editor can take over; null for a byte array. Main thread.
    virtual std::shared_ptr<TextSink> textSink(const QString&, qint64) { return nullptr; }
    // Re-read the document into its editor, if it has one, e.g. after the
    // text was replaced by the file's disk version.
    virtual void loadFromDoc(const DocPtr& doc) = 0;
    // Forget the editor of a document that left the workspace.
    virtual void drop(QUuid docID) = 0;
    // Give keyboard focus to the document's editor.
    virtual void focus(const DocPtr& doc) = 0;
    // Take keyboard focus away from every editor (a dialog or sheet is up).
    virtual void releaseFocus() = 0;
    // Multi-caret editing and the find state of the document's editor.
    virtual void exitMultiCaret(const DocPtr&) {}
    virtual void toggleMultiCaret(const DocPtr&) {}
    virtual QString selectedText(const DocPtr&) { return {}; }
    virtual void refreshHighlights(const DocPtr&) {}
    // Selects the current find match, so that the next key edits there.
    virtual void selectCurrentMatch(const DocPtr&) {}
    // The caret's line (0-based) in the document's editor, and moving it to
    // a line, e.g. to keep it where it was across a reload.
    virtual int caretLine(const DocPtr&) { return 0; }
    virtual void setCaretLine(const DocPtr&, int) {}
    // The editor's place to keep with the session, and putting it back after a
    // restart (held until the editor is first made).
    virtual std::optional<EditorPlace> place(const DocPtr&) { return std::nullopt; }
    virtual void restorePlace(const DocPtr&, const EditorPlace&) {}
    // Select a range (UTF-16 start and length) in the document's editor, creating it if needed.
    virtual void select(const DocPtr&, int, int) {}
};
