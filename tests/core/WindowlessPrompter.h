#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QString>
#include <optional>

// Shows the flows' questions one at a time, as the window does, for the
// tests to answer: a question asked while another is open waits behind it,
// one asked by the chosen button's action comes at once. Notes stay.
class WindowlessPrompter : public Prompter {
public:
    void present(Dialog dialog) override
    {
        if (shown_)
            waiting_.append(std::move(dialog));
        else
            show(std::move(dialog));
    }
    void flash(const QString& text) override { note_ = text; }
    QString input() const override { return typed_; }

    const std::optional<Dialog>& shown() const { return shown_; }
    const QList<Dialog>& waiting() const { return waiting_; }
    const QString& typed() const { return typed_; }
    void type(const QString& text) { typed_ = text; }
    // The last note, never hidden.
    const std::optional<QString>& note() const { return note_; }

    // Picks the button of that title (or role) on the question shown;
    // false when there is none.
    bool choose(const QString& title)
    {
        if (!shown_)
            return false;
        for (const Dialog::Button& b : shown_->buttons)
            if (b.title == title) {
                const auto action = b.action;
                shown_.reset();
                if (action)
                    action();
                if (!shown_ && !waiting_.isEmpty())
                    show(waiting_.takeFirst());
                return true;
            }
        return false;
    }
    bool choose(Dialog::Role role)
    {
        if (shown_)
            for (const Dialog::Button& b : shown_->buttons)
                if (b.role == role)
                    return choose(b.title);
        return false;
    }

private:
    void show(Dialog dialog)
    {
        if (dialog.input)
            typed_ = dialog.text;
        shown_ = std::move(dialog);
    }

    std::optional<Dialog> shown_;
    QList<Dialog> waiting_;
    QString typed_;
    std::optional<QString> note_;
};
