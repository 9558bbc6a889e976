#include "editor/EditCommands.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "views/state/WindowModel.h"
#include "views/window/FollowActive.h"
#include "views/window/MainWindow.h"

#include <QApplication>
#include <QMenu>

void MainWindow::addEditCommands(QMenu* edit)
{
    // The editor of the active document, when it has the keyboard: the
    // commands never edit text the user is not typing into.
    const auto editor = [this]() -> EditorController* {
        const DocPtr d = model_.active();
        EditorController* c = d ? editors_.existing(d->id) : nullptr;
        return c && QApplication::focusWidget() == c->widget() ? c : nullptr;
    };
    QList<std::pair<QAction*, const EditCommand*>> items;
    for (const EditCommand& c : EditCommands::all()) {
        if (c.scope == EditCommand::Scope::markdown && !items.isEmpty()
            && items.back().second->scope != EditCommand::Scope::markdown)
            edit->addSeparator();
        QAction* a = edit->addAction(c.title);
        a->setShortcuts(c.keys);
        connect(a, &QAction::triggered, this, [editor, run = c.run] {
            if (EditorController* e = editor())
                run(*e);
        });
        items << std::pair{a, &c};
    }
    const auto validate = [this, items] {
        const DocPtr d = model_.active();
        for (const auto& [a, command] : items)
            a->setEnabled(d && EditCommands::offered(*command, d->plugin()));
    };
    connect(edit, &QMenu::aboutToShow, this, validate);
    followActive(this, model_, validate, &Doc::nameChanged);
    validate();
}
