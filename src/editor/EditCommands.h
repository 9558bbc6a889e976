#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

class EditorController;
struct FormatPlugin;

// The editing commands beyond cut and paste, one table read by both the
// 编辑 menu and the editor's context menu. Each acts at every caret and is
// one undo step.
struct EditCommand {
    enum class Scope {
        anyText,   // any document
        markdown,  // Markdown documents only
    };
    QString title;
    QList<QKeySequence> keys;
    Scope scope = Scope::anyText;
    // Listed in the context menu among the format's own commands.
    bool formatCommand = false;
    void (*run)(EditorController&) = nullptr;
    // Whether it can act on the editor now (greyed otherwise).
    bool (*usable)(const EditorController&) = nullptr;
};

namespace EditCommands {

const QList<EditCommand>& all();
// Whether the command belongs to documents of the format at all.
bool offered(const EditCommand& c, const FormatPlugin& format);
bool enabled(const EditCommand& c, const EditorController& editor);

}
