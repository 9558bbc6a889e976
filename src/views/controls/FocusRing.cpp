#include "views/controls/FocusRing.h"

#include "editor/Palette.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>
#include <algorithm>

namespace FocusRing {

namespace {

const char* const groupKey = "focusGroup";
const char* const columnsKey = "focusColumns";
const char* const defaultKey = "focusDefault";

bool reachable(const QWidget* w) { return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus); }

QList<QWidget*> members(const QWidget* w)
{
    QList<QWidget*> out;
    const QVariant group = w->property(groupKey);
    if (!group.isValid() || !w->parentWidget())
        return out;
    for (QWidget* s : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (s->property(groupKey) == group && reachable(s))
            out << s;
    return out;
}

// The member standing for its group in the Tab order.
QWidget* representative(QWidget* w)
{
    const QList<QWidget*> all = members(w);
    if (all.isEmpty())
        return w;
    for (QWidget* m : all)
        if (m->hasFocus())
            return m;
    for (QWidget* m : all)
        if (m->property(defaultKey).toBool())
            return m;
    return all.front();
}

// Tab stops inside scope, in the window's focus order.
QList<QWidget*> stops(QWidget* scope)
{
    QList<QWidget*> out;
    QWidget* w = scope;
    do {
        w = w->nextInFocusChain();
        if (w != scope && scope->isAncestorOf(w) && reachable(w) && representative(w) == w && !out.contains(w))
            out << w;
    } while (w && w != scope);
    return out;
}

}

void paint(QPainter& p, const QRectF& r, double radius)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Palette::accent().resolve(), 2));
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius, radius);
    p.restore();
}

bool cycle(QWidget* scope, bool forward)
{
    const QList<QWidget*> list = stops(scope);
    if (list.isEmpty())
        return false;
    QWidget* now = QApplication::focusWidget();
    qsizetype at = -1;
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i] == now || (now && list[i]->isAncestorOf(now)))
            at = i;
    // Inside a group the stop is the group's member that has the keyboard.
    if (at < 0 && now && now->property(groupKey).isValid())
        at = list.indexOf(representative(now));
    const qsizetype n = list.size();
    const qsizetype next = at < 0 ? (forward ? 0 : n - 1) : ((at + (forward ? 1 : -1)) % n + n) % n;
    list[next]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

QWidget* first(QWidget* scope)
{
    const QList<QWidget*> list = stops(scope);
    return list.isEmpty() ? nullptr : list.front();
}

void join(QWidget* w, const char* group, int columns)
{
    w->setProperty(groupKey, QString::fromLatin1(group));
    w->setProperty(columnsKey, columns);
}

void setDefault(QWidget* w, bool on) { w->setProperty(defaultKey, on); }

bool arrow(QWidget* from, int key)
{
    int step = 0;
    const int columns = std::max(1, from->property(columnsKey).toInt());
    switch (key) {
    case Qt::Key_Left: step = -1; break;
    case Qt::Key_Right: step = 1; break;
    case Qt::Key_Up: step = -columns; break;
    case Qt::Key_Down: step = columns; break;
    default: return false;
    }
    const QList<QWidget*> all = members(from);
    const qsizetype at = all.indexOf(from);
    if (at < 0)
        return true;
    const qsizetype to = at + step;
    if (to >= 0 && to < all.size())
        all[to]->setFocus(Qt::OtherFocusReason);
    return true;
}

}
