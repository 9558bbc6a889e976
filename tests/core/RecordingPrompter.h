#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QStringList>

// Answers the flows' questions itself, as a user would through the window,
// and keeps every question and note it was given.
struct RecordingPrompter : Prompter {
    QList<Dialog> asked;
    QStringList notes;
    QString typed;
    void present(Dialog dialog) override { asked.append(std::move(dialog)); }
    void flash(const QString& text) override { notes << text; }
    QString input() const override { return typed; }
    // Picks the button of that title on the oldest open question.
    bool answer(const QString& title)
    {
        if (asked.isEmpty())
            return false;
        const Dialog d = asked.takeFirst();
        for (const Dialog::Button& b : d.buttons)
            if (b.title == title) {
                b.action();
                return true;
            }
        return false;
    }
};
