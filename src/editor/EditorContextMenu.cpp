#include "editor/EditorContextMenu.h"

#include "editor/CodeTextView.h"
#include "editor/EditCommands.h"
#include "editor/EditorController.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

EditorContextMenu::EditorContextMenu(EditorController& editor, QWidget* parent) : QMenu(parent), editor_(editor)
{
    CodeTextView* v = editor.textView();
    const auto item = [this](const QString& title, QKeySequence::StandardKey key, auto run) {
        QAction* a = addAction(title, this, run);
        // Shown for reference; the keys themselves go to the editor.
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetShortcut);
        return a;
    };
    undo_ = item(QStringLiteral("撤销"), QKeySequence::Undo, [v] { v->undo(); });
    redo_ = item(QStringLiteral("重做"), QKeySequence::Redo, [v] { v->redo(); });
    addSeparator();
    cut_ = item(QStringLiteral("剪切"), QKeySequence::Cut, [v] { v->cut(); });
    copy_ = item(QStringLiteral("复制"), QKeySequence::Copy, [v] { v->copy(); });
    paste_ = item(QStringLiteral("粘贴"), QKeySequence::Paste, [v] { v->paste(); });
    delete_ = addAction(QStringLiteral("删除"), this, [v] { v->deleteSelection(); });
    addSeparator();
    selectAll_ = item(QStringLiteral("全选"), QKeySequence::SelectAll, [v] { v->selectAll(); });
    formatSeparator_ = addSeparator();
    connect(this, &QMenu::aboutToShow, this, &EditorContextMenu::refresh);
}

void EditorContextMenu::showAt(const QPoint& globalPos) { popup(globalPos); }

void EditorContextMenu::refresh()
{
    CodeTextView* v = editor_.textView();
    const bool writable = !v->isReadOnly();
    const bool selected = v->hasSelectedText();
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    undo_->setEnabled(writable && v->canUndo());
    redo_->setEnabled(writable && v->canRedo());
    cut_->setEnabled(writable && selected);
    copy_->setEnabled(selected);
    // A picture alone pastes into Markdown, as a file beside the document.
    const bool picture = clip && !clip->hasText() && clip->hasImage()
        && editor_.doc()->plugin().id == QLatin1String("markdown");
    paste_->setEnabled(writable && clip && ((clip->hasText() && !clip->text().isEmpty()) || picture));
    delete_->setEnabled(writable && selected);
    selectAll_->setEnabled(v->length() > 0);

    qDeleteAll(format_);
    format_.clear();
    EditorController& editor = editor_;
    for (const EditCommand& c : EditCommands::all()) {
        if (!c.formatCommand || !EditCommands::offered(c, editor.doc()->plugin()))
            continue;
        QAction* a = addAction(c.title, this, [&editor, run = c.run] { run(editor); });
        a->setShortcuts(c.keys);
        a->setShortcutContext(Qt::WidgetShortcut);
        a->setEnabled(EditCommands::enabled(c, editor));
        format_ << a;
    }
    const QList<PluginAction>& actions = editor.doc()->plugin().actions;
    for (const PluginAction& p : actions) {
        QAction* a = addAction(p.title, this, [&editor, p] { editor.runAction(p); });
        a->setEnabled(writable);
        format_ << a;
    }
    formatSeparator_->setVisible(!format_.isEmpty());
}
