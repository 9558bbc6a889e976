#pragma once

#include <QList>
#include <QString>
#include <QUuid>
#include <functional>
#include <optional>

// A question or alert drawn inside the main window; one is shown at a time.
struct Dialog {
    enum class Role { primary, normal, danger, cancel };

    struct Button {
        QUuid id = QUuid::createUuid();
        QString title;
        Role role = Role::normal;
        std::function<void()> action;
    };

    QUuid id = QUuid::createUuid();
    QString title;
    QString message;
    // Present: the dialog has a text field with this placeholder; its text
    // is what the Prompter gives as input() while the dialog is shown.
    std::optional<QString> input;
    // The field's text when the dialog comes up.
    QString text;
    // How much of the field's text, from its start, is selected when shown;
    // absent selects all of it (a file name selects its base name only).
    std::optional<int> inputSelection;
    QList<Button> buttons;

    // Dialogs are identified by id; a new dialog is never equal to an old one.
    bool operator==(const Dialog& other) const { return id == other.id; }
};
