#pragma once

#include "core/Dialog.h"

#include <QString>

// How the document flows ask the user and tell them what happened; the
// window shows the questions one at a time, tests answer them directly.
class Prompter {
public:
    virtual ~Prompter() = default;

    // Shows the question now, or once the ones before it are answered. Its
    // buttons' actions run when the user picks them.
    virtual void present(Dialog dialog) = 0;
    // A short note that goes away by itself.
    virtual void flash(const QString& text) = 0;
    // What is typed in the field of the question being answered.
    virtual QString input() const = 0;

    // A message with nothing to decide.
    void alert(const QString& title, const QString& message)
    {
        Dialog d;
        d.title = title;
        d.message = message;
        d.buttons = {{QUuid::createUuid(), QStringLiteral("好"), Dialog::Role::primary, [] {}}};
        present(std::move(d));
    }
};
