#include "views/window/DocSwitchList.h"

#include "editor/AppFonts.h"
#include "views/controls/ControlColors.h"
#include "views/state/WindowModel.h"
#include "views/window/DocSwitchModel.h"
#include "views/window/DocSwitcher.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int rowHeight = 44;
constexpr int padding = 6;

// Name and 已编辑 on the first line, the folder under it.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {0, rowHeight}; }
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const ControlColors c;
        const bool current = option.state & QStyle::State_Selected;
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        const QRect r = option.rect.adjusted(2, 1, -2, -1);
        if (current) {
            QColor fill = c.accent;
            fill.setAlphaF(0.18f);
            p->setPen(Qt::NoPen);
            p->setBrush(fill);
            p->drawRoundedRect(r, 6, 6);
        }
        const QRect text = r.adjusted(12, 4, -12, -4);
        const QString mark = index.data(DocSwitchModel::editedRole).toBool() ? QStringLiteral("已编辑") : QString();
        p->setFont(AppFonts::sans(11.5));
        const int markWidth = mark.isEmpty() ? 0 : p->fontMetrics().horizontalAdvance(mark) + 10;
        p->setPen(c.accent);
        p->drawText(text, Qt::AlignRight | Qt::AlignTop, mark);
        p->setPen(c.fg3);
        p->drawText(text, Qt::AlignLeft | Qt::AlignBottom,
                    p->fontMetrics().elidedText(index.data(DocSwitchModel::folderRole).toString(), Qt::ElideMiddle,
                                                text.width()));
        p->setFont(AppFonts::sans(13, AppFonts::Weight::medium));
        p->setPen(c.fg);
        p->drawText(text.adjusted(0, 0, -markWidth, 0), Qt::AlignLeft | Qt::AlignTop,
                    p->fontMetrics().elidedText(index.data().toString(), Qt::ElideMiddle, text.width() - markWidth));
        p->restore();
    }
};

}

DocSwitchList::DocSwitchList(WindowModel& model, DocSwitcher& switcher, QWidget* parent)
    : QWidget(parent),
      switcher_(switcher),
      rows_(new DocSwitchModel(model.documents(), this)),
      view_(new QListView(this))
{
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(padding, padding, padding, padding);
    box->addWidget(view_);
    view_->setModel(rows_);
    view_->setItemDelegate(new RowDelegate(view_));
    view_->setFrameShape(QFrame::NoFrame);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_->setAccessibleName(QStringLiteral("打开的文档"));
    view_->viewport()->setAutoFillBackground(false);
    view_->setStyleSheet(QStringLiteral("QListView{background:transparent;}"));
    // The editor keeps the keyboard, so Ctrl's release reaches the window.
    setFocusPolicy(Qt::NoFocus);
    view_->setFocusPolicy(Qt::NoFocus);
    // A click opens the row at once, Ctrl still held or not.
    connect(view_, &QListView::clicked, this, [this](const QModelIndex& i) {
        switcher_.highlight(i.row());
        switcher_.commit();
    });
    hide();
}

void DocSwitchList::sync()
{
    if (!switcher_.walking()) {
        hide();
        return;
    }
    rows_->setOrder(switcher_.walkOrder());
    const QModelIndex at = rows_->index(switcher_.walkIndex());
    view_->setCurrentIndex(at);
    view_->scrollTo(at);
    place();
    show();
    raise();
}

void DocSwitchList::place()
{
    const QWidget* area = parentWidget();
    const int width = std::min(460, area->width() - 40);
    const int height = std::min(int(rows_->rowCount()) * rowHeight + 2 * padding + 2, area->height() - 80);
    setGeometry((area->width() - width) / 2, 48, width, height);
}

void DocSwitchList::paintEvent(QPaintEvent*)
{
    const ControlColors c;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c.line, 1));
    p.setBrush(c.window);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
}
