#include "editor/UndoSteps.h"

#include <Qsci/qsciscintillabase.h>

using B = QsciScintillaBase;

UndoSteps::UndoSteps(QsciScintillaBase* view) : QObject(view), view_(view)
{
    pause_.setSingleShot(true);
    pause_.setInterval(defaultPauseMSecs);
    connect(&pause_, &QTimer::timeout, this, [this] { kind_ = Kind::none; });
}

void UndoSteps::before(Kind kind, QChar typed)
{
    if (kind == Kind::none) {
        cut();
        return;
    }
    const long caret = view_->SendScintilla(B::SCI_GETCURRENTPOS);
    bool fresh = kind != kind_ || caret != end_ || view_->SendScintilla(B::SCI_GETSELECTIONEMPTY) == 0;
    // A space after a word starts the next word's step.
    if (!fresh && kind == Kind::typing && typed.isSpace() && caret > 0) {
        const auto previous = char(view_->SendScintilla(B::SCI_GETCHARAT, caret - 1));
        fresh = previous != ' ' && previous != '\t';
    }
    if (fresh)
        cut();
}

void UndoSteps::after(Kind kind)
{
    kind_ = kind;
    end_ = view_->SendScintilla(B::SCI_GETCURRENTPOS);
    if (kind == Kind::none)
        cut();
    else
        pause_.start();
}

void UndoSteps::cut()
{
    kind_ = Kind::none;
    // An empty group marks the history so that the next action does not
    // merge into the one before it; nothing is recorded.
    view_->SendScintilla(B::SCI_BEGINUNDOACTION);
    view_->SendScintilla(B::SCI_ENDUNDOACTION);
}
