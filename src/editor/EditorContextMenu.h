#pragma once

#include <QList>
#include <QMenu>

class EditorController;

// The editor's right-click menu: the usual editing commands, then the
// format's own. Built once; each opening greys what cannot act and lists
// the commands of the document's format as it is then.
class EditorContextMenu : public QMenu {
    Q_OBJECT
public:
    EditorContextMenu(EditorController& editor, QWidget* parent);
    void showAt(const QPoint& globalPos);

private:
    void refresh();

    EditorController& editor_;
    QAction *undo_, *redo_, *cut_, *copy_, *paste_, *delete_, *selectAll_;
    QAction* formatSeparator_ = nullptr;
    // The format's commands, rebuilt on each opening.
    QList<QAction*> format_;
};
