#include "views/controls/Fade.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QWidget>

namespace Fade {

void run(QWidget* w, bool in)
{
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(w->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(w);
        w->setGraphicsEffect(effect);
    }
    // A newer fade replaces one still running (stopping emits no finished()).
    for (auto* running : w->findChildren<QPropertyAnimation*>(QString(), Qt::FindDirectChildrenOnly))
        running->stop();
    auto* animation = new QPropertyAnimation(effect, "opacity", w);
    animation->setDuration(in ? 160 : 220);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    animation->setStartValue(in ? 0.0 : effect->opacity());
    animation->setEndValue(in ? 1.0 : 0.0);
    // Once settled the effect goes: it would keep sending every repaint through an offscreen copy.
    QObject::connect(animation, &QPropertyAnimation::finished, w, [w, in] {
        if (!in)
            w->hide();
        w->setGraphicsEffect(nullptr);
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

}
