#include "views/overlays/MenuPanel.h"

#include "editor/AppFonts.h"
#include "editor/Palette.h"
#include "views/icons/Icons.h"
#include "views/state/WindowModel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

MenuRow::MenuRow(WindowModel& model, MenuItem item, QWidget* parent)
    : QWidget(parent), model_(model), item_(std::move(item))
{
    setFixedHeight(rowHeight);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(item_.label);
}

void MenuRow::choose()
{
    // Copy first: closing the popup destroys this row.
    const auto action = item_.action;
    model_.setPopup(std::nullopt);
    if (action)
        action();
}

void MenuRow::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        choose();
}

void MenuRow::enterEvent(QEnterEvent*)
{
    hover_ = true;
    if (onEnter)
        onEnter();
    update();
}

void MenuRow::setHighlighted(bool on)
{
    if (on == highlighted_)
        return;
    highlighted_ = on;
    update();
}

void MenuRow::leaveEvent(QEvent*)
{
    hover_ = false;
    update();
}

void MenuRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (hover_ || highlighted_) {
        p.setPen(Qt::NoPen);
        p.setBrush(Palette::hover().resolve());
        p.drawRoundedRect(rect().adjusted(4, 1, -4, -1), 5, 5);
    }
    if (item_.checked)
        Icons::paint(p, QStringLiteral("checkmark"), QRect(12, (height() - 12) / 2, 12, 12),
                     Palette::accent().resolve());
    const QRect text = rect().adjusted(30, 0, -12, 0);
    p.setFont(AppFonts::sans(12.5));
    int trailing = 0;
    if (item_.sub) {
        p.setPen(Palette::fg3().resolve());
        p.drawText(text, Qt::AlignVCenter | Qt::AlignRight, *item_.sub);
        trailing = p.fontMetrics().horizontalAdvance(*item_.sub) + 12;
    }
    p.setPen(Palette::fg().resolve());
    const QRect labelRect = text.adjusted(0, 0, -trailing, 0);
    p.drawText(labelRect, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(item_.label, Qt::ElideRight, labelRect.width()));
}

MenuPanel::MenuPanel(WindowModel& model, const QList<MenuSection>& sections, int width, QWidget* parent)
    : QWidget(parent)
{
    setFixedWidth(width);
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(0, 6, 0, 6);
    col->setSpacing(0);
    bool first = true;
    for (const MenuSection& s : sections) {
        if (s.title) {
            auto* heading = new QLabel(*s.title, this);
            heading->setFont(AppFonts::sans(11, AppFonts::Weight::medium));
            QPalette pal = heading->palette();
            pal.setColor(QPalette::WindowText, Palette::fg3().resolve());
            heading->setPalette(pal);
            heading->setContentsMargins(12, first ? 2 : 8, 12, 4);
            col->addWidget(heading);
        }
        for (const MenuItem& item : s.items) {
            auto* row = new MenuRow(model, item, this);
            const int index = int(rows_.size());
            row->onEnter = [this, index] { setCurrent(index); };
            rows_ << row;
            col->addWidget(row);
        }
        first = false;
    }
    adjustSize();
}

QList<MenuRow*> MenuPanel::rows() const { return rows_; }

void MenuPanel::setCurrent(int index)
{
    current_ = index >= 0 && index < rows_.size() ? index : -1;
    for (int i = 0; i < rows_.size(); ++i)
        rows_[i]->setHighlighted(i == current_);
}

void MenuPanel::keyPressEvent(QKeyEvent* e)
{
    const int n = int(rows_.size());
    if (n == 0) {
        e->ignore();
        return;
    }
    switch (e->key()) {
    case Qt::Key_Down: setCurrent(current_ < 0 ? 0 : (current_ + 1) % n); break;
    case Qt::Key_Up: setCurrent(current_ < 0 ? n - 1 : (current_ - 1 + n) % n); break;
    case Qt::Key_Home:
    case Qt::Key_PageUp: setCurrent(0); break;
    case Qt::Key_End:
    case Qt::Key_PageDown: setCurrent(n - 1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (current_ >= 0)
            rows_[current_]->choose();  // closes the popup: nothing of this panel is used after
        break;
    default: e->ignore(); return;
    }
    e->accept();
}
