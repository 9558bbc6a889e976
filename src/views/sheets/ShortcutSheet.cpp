#include "views/sheets/ShortcutSheet.h"

#include "editor/AppFonts.h"
#include "views/controls/ControlColors.h"
#include "views/sheets/SheetParts.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString keysOf(const QAction* a)
{
    QStringList out;
    for (const QKeySequence& k : ShortcutSheet::shownKeys(a->shortcuts()))
        out << k.toString(QKeySequence::NativeText);
    if (out.isEmpty())
        if (const qsizetype tab = a->text().indexOf(QLatin1Char('\t')); tab >= 0)
            out << a->text().mid(tab + 1);
    return out.join(QStringLiteral(" / "));
}

void collect(const QMenu* menu, const QString& group, QList<ShortcutSheet::Row>& out)
{
    for (const QAction* a : menu->actions()) {
        if (a->menu()) {
            collect(a->menu(), group, out);
            continue;
        }
        if (a->isSeparator())
            continue;
        if (const QString keys = keysOf(a); !keys.isEmpty())
            out << ShortcutSheet::Row{group, ShortcutSheet::plainName(a->text()), keys};
    }
}

}

QList<QKeySequence> ShortcutSheet::shownKeys(const QList<QKeySequence>& keys)
{
    QList<QKeySequence> out;
    for (const QKeySequence& k : keys) {
        const QKeyCombination c = k[0];
        const bool shiftVariant = k.count() == 1 && c.keyboardModifiers().testFlag(Qt::ShiftModifier)
            && keys.contains(QKeySequence(QKeyCombination(c.keyboardModifiers() & ~Qt::ShiftModifier, c.key())));
        if (!shiftVariant)
            out << k;
    }
    return out;
}

QString ShortcutSheet::plainName(const QString& text)
{
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)"));
    QString s = text.section(QLatin1Char('\t'), 0, 0);
    s.remove(mnemonic);
    s.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    s.remove(QLatin1Char('&'));
    s.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return s.trimmed();
}

QList<ShortcutSheet::Row> ShortcutSheet::rows(const QMenuBar* bar, const QList<QAction*>& windowActions)
{
    QList<Row> out;
    for (const QAction* top : bar->actions())
        if (top->menu())
            collect(top->menu(), plainName(top->text()), out);
    for (const QAction* a : windowActions)
        if (const QString keys = keysOf(a); !keys.isEmpty() && !a->text().isEmpty())
            out << Row{QStringLiteral("其他"), plainName(a->text()), keys};
    return out;
}

ShortcutSheet::ShortcutSheet(const QMenuBar* bar, const QList<QAction*>& windowActions, QWidget* parent)
    : QWidget(parent), table_(new QTreeWidget(this))
{
    setFixedSize(460, 420);
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(16, 14, 16, 16);
    col->setSpacing(8);
    col->addWidget(SheetParts::title(QStringLiteral("键盘快捷键"), this));
    table_->setColumnCount(2);
    table_->setHeaderHidden(true);
    table_->setRootIsDecorated(false);
    table_->setFrameShape(QFrame::NoFrame);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setFocusPolicy(Qt::NoFocus);
    table_->setAccessibleName(QStringLiteral("键盘快捷键"));
    table_->setFont(AppFonts::sans(12.5));
    table_->setIndentation(14);
    // Names whole, the keys in the room that is left.
    table_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    table_->header()->setStretchLastSection(false);
    const ControlColors c;
    QTreeWidgetItem* group = nullptr;
    for (const Row& r : rows(bar, windowActions)) {
        if (!group || group->text(0) != r.group) {
            group = new QTreeWidgetItem(table_, {r.group});
            group->setFont(0, AppFonts::sans(12, AppFonts::Weight::semibold));
            group->setForeground(0, c.fg3);
            group->setFirstColumnSpanned(true);
            group->setExpanded(true);
        }
        auto* item = new QTreeWidgetItem(group, {r.name, r.keys});
        item->setFont(1, AppFonts::mono(12));
        item->setForeground(0, c.fg);
        item->setForeground(1, c.fg2);
    }
    table_->expandAll();
    col->addWidget(table_, 1);
}

void ShortcutSheet::keyPressEvent(QKeyEvent* e)
{
    QScrollBar* bar = table_->verticalScrollBar();
    switch (e->key()) {
    case Qt::Key_Up: bar->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Down: bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case Qt::Key_PageUp: bar->triggerAction(QAbstractSlider::SliderPageStepSub); break;
    case Qt::Key_PageDown: bar->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
    case Qt::Key_Home: bar->triggerAction(QAbstractSlider::SliderToMinimum); break;
    case Qt::Key_End: bar->triggerAction(QAbstractSlider::SliderToMaximum); break;
    default: QWidget::keyPressEvent(e);
    }
}
