#include "editor/CaretBlinkRest.h"

#include <Qsci/qsciscintillabase.h>

#include <QApplication>
#include <QEvent>

CaretBlinkRest::CaretBlinkRest(QsciScintillaBase* view) : QObject(view), view_(view)
{
    rest_.setSingleShot(true);
    rest_.setInterval(restMs);
    connect(&rest_, &QTimer::timeout, this, [this] {
        resting_ = true;
        // A period of 0 leaves the caret drawn and stops its timer.
        view_->SendScintilla(QsciScintillaBase::SCI_SETCARETPERIOD, 0UL);
    });
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    rest_.start();
}

bool CaretBlinkRest::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::FocusIn: wake(); break;
    default: break;
    }
    return false;
}

void CaretBlinkRest::wake()
{
    rest_.start();
    if (!resting_)
        return;
    resting_ = false;
    view_->SendScintilla(QsciScintillaBase::SCI_SETCARETPERIOD, ulong(QApplication::cursorFlashTime() / 2));
}
