#pragma once

#include "core/EditorLink.h"

#include <QHash>
#include <QUuid>
#include <functional>
#include <memory>

class AppModel;
class EditorHost;
class EditorController;
class QsciScintillaBase;

// The editors of the open documents, by document id, in the window given
// as their host. Entries are created on demand and removed only by drop.
class EditorCache : public EditorLink {
public:
    EditorCache(AppModel& model, EditorHost& host);
    ~EditorCache() override;

    EditorController& controller(const DocPtr& doc);
    EditorController* existing(QUuid id) const;
    void drop(QUuid id) override;
    void applyStyle();
    int size() const { return int(map_.size()); }

    // The active document's editor, if it was shown already.
    EditorController* active() const;

    // EditorLink
    std::shared_ptr<TextSink> textSink(const QString& path, qint64 bytes) override;
    void loadFromDoc(const DocPtr& doc) override;
    void focus(const DocPtr& doc) override;
    void releaseFocus() override;
    void exitMultiCaret(const DocPtr& doc) override;
    void toggleMultiCaret(const DocPtr& doc) override;
    QString selectedText(const DocPtr& doc) override;
    void refreshHighlights(const DocPtr& doc) override;
    void selectCurrentMatch(const DocPtr& doc) override;
    int caretLine(const DocPtr& doc) override;
    void setCaretLine(const DocPtr& doc, int line) override;
    std::optional<EditorPlace> place(const DocPtr& doc) override;
    void restorePlace(const DocPtr& doc, const EditorPlace& place) override;
    void select(const DocPtr& doc, int start, int length) override;

    // Escape with no carets to clear goes to the workspace.
    static std::function<void()>& escapeHandler();

private:
    AppModel& model_;
    EditorHost& host_;
    QHash<QUuid, std::shared_ptr<EditorController>> map_;
    // Restored places of documents whose editor is not made yet.
    QHash<QUuid, EditorPlace> pending_;
    // Never shown: they make the loaders that fill buffers off the main
    // thread, and copy the text out of a buffer no editor took yet.
    std::unique_ptr<QsciScintillaBase> loaderMaker_;
    std::unique_ptr<QsciScintillaBase> bufferCopier_;
};
