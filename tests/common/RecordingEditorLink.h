#pragma once

#include "core/EditorLink.h"

#include <QStringList>

// Records what the workspace asks of the editors.
struct RecordingEditorLink : EditorLink {
    QStringList calls;
    void loadFromDoc(const DocPtr& doc) override { calls << QStringLiteral("load ") + doc->name(); }
    void drop(QUuid id) override { calls << QStringLiteral("drop ") + id.toString(); }
    void focus(const DocPtr& doc) override { calls << QStringLiteral("focus ") + doc->name(); }
    void releaseFocus() override { calls << QStringLiteral("release"); }
    QString selection;
    QString selectedText(const DocPtr&) override { return selection; }
    void exitMultiCaret(const DocPtr& doc) override { calls << QStringLiteral("exitMulti ") + doc->name(); }
    void toggleMultiCaret(const DocPtr& doc) override { calls << QStringLiteral("toggleMulti ") + doc->name(); }
    void refreshHighlights(const DocPtr& doc) override { calls << QStringLiteral("highlights ") + doc->name(); }
};
