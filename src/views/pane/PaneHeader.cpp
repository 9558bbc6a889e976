#include "views/pane/PaneHeader.h"

#include "views/controls/Controls.h"
#include "views/controls/HoverReport.h"
#include "views/pane/ViewModeLabels.h"
#include "views/state/WindowModel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QToolTip>

namespace {

// A tag as a coloured dot and its name inside a thin capsule.
class TagChip : public QWidget {
public:
    TagChip(const QColor& color, const QString& name, QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("tagChip"));
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(8, 1, 9, 1);
        row->setSpacing(5);
        row->addWidget(new TagDot(color, this), 0, Qt::AlignVCenter);
        row->addWidget(new ColorLabel(name, Palette::fg2(), 11, false, this));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Palette::line().resolve(), 1));
        p.setBrush(Qt::NoBrush);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    }
};

}

PaneHeader::PaneHeader(WindowModel& model, const AnchorSink& reportAnchor, QWidget* parent)
    : PaneBar(40, parent), model_(model)
{
    QHBoxLayout* row = this->row();
    row->setSpacing(8);
    name_ = new ColorLabel(QString(), Palette::fg(), 14, false, this);
    name_->installEventFilter(this);
    if (reportAnchor)
        reportAnchor(Popup::outline().anchor(), name_);
    row->addWidget(name_);
    dirty_ = new ColorLabel(QStringLiteral("已编辑"), Palette::fg3(), 11.5, false, this);
    row->addWidget(dirty_);
    folder_ = new ColorLabel(QString(), Palette::fg3(), 11, true, this);
    folder_->setMinimumWidth(20);
    folder_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(folder_, 1);
    chips_ = new QHBoxLayout;
    chips_->setSpacing(6);
    row->addLayout(chips_);
    modes_ = new QHBoxLayout;
    modes_->setSpacing(2);
    row->addLayout(modes_);
    full_ = new IconButton(
        QStringLiteral("arrow.up.left.and.arrow.down.right"), QString(), [this] { model_.toggleFullScreen(); }, this);
    row->addWidget(full_);
    feature_ = new IconButton(
        QStringLiteral("square.grid.2x2"), QStringLiteral("功能"), [this] { model_.clickFeature(); }, this);
    new HoverReport(feature_, [this](bool over) { model_.hoverFeature(over, std::nullopt); });
    if (reportAnchor)
        reportAnchor(Popup::feature().anchor(), feature_);
    row->addWidget(feature_);
}

void PaneHeader::setDoc(const DocPtr& doc)
{
    // The chips shown stay until the new document's differ: clearing the
    // record here would leave the old chips up for a document without tags.
    doc_ = doc;
    refresh();
}

void PaneHeader::refresh()
{
    if (!doc_)
        return;
    name_->setText(doc_->name());
    name_->setToolTip(doc_->fullPath() + QStringLiteral("\n双击文件名重命名"));
    dirty_->setVisible(doc_->isDirty());
    folder_->setText(doc_->displayPath());
    refreshChips();
    refreshModes();
    const bool full = model_.isFullScreen();
    full_->setSymbol(full ? QStringLiteral("arrow.down.right.and.arrow.up.left")
                          : QStringLiteral("arrow.up.left.and.arrow.down.right"));
    full_->setToolTip(full ? QStringLiteral("退出正文全屏  F11 / Esc") : QStringLiteral("正文全屏  F11"));
    full_->setAccessibleName(full ? QStringLiteral("退出正文全屏") : QStringLiteral("正文全屏"));
    // On while its menu is open or one of the states it switches is active.
    const bool menuOpen = model_.popup() == Popup::feature();
    feature_->setOn(menuOpen || model_.find().visible() || model_.multiCaretCount() || model_.wraps(*doc_));
    // The tooltip would lie over the open menu's first row and its "Ctrl+F".
    feature_->setToolTip(menuOpen ? QString() : QStringLiteral("功能"));
    if (menuOpen)
        QToolTip::hideText();
}

void PaneHeader::refreshChips()
{
    QStringList wanted;
    for (const QString& id : doc_->tags())
        for (const Tag& t : model_.tags())
            if (t.id == id)
                wanted << t.id + u'\x1f' + t.name + u'\x1f'
                        + QString::number(t.colorIndex(int(Palette::tagColors().size())));
    if (wanted == shownTags_)
        return;
    shownTags_ = wanted;
    while (QLayoutItem* item = chips_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const QString& w : wanted) {
        const QStringList parts = w.split(u'\x1f');
        chips_->addWidget(new TagChip(Palette::tagColors().value(parts[2].toInt()), parts[1], this));
    }
}

void PaneHeader::refreshModes()
{
    const auto& modes = doc_->plugin().viewModes;
    bool same = modes.size() == modeButtons_.size();
    for (int i = 0; same && i < modes.size(); ++i)
        same = modeButtons_[i]->symbol() == ViewModeLabels::icon(modes[i]);
    if (!same) {
        qDeleteAll(modeButtons_);
        modeButtons_.clear();
        for (int i = 0; i < modes.size(); ++i) {
            const ViewMode m = modes[i];
            auto* b = new IconButton(
                ViewModeLabels::icon(m), ViewModeLabels::title(m) + QStringLiteral("  Ctrl+%1").arg(i + 1),
                [this, m] {
                    if (doc_)
                        doc_->setMode(m);
                },
                this);
            modes_->addWidget(b);
            modeButtons_ << b;
        }
    }
    for (int i = 0; i < modes.size(); ++i)
        modeButtons_[i]->setOn(doc_->mode() == modes[i]);
}

bool PaneHeader::eventFilter(QObject* o, QEvent* e)
{
    if (o == name_ && e->type() == QEvent::MouseButtonDblClick && doc_) {
        model_.askRename(doc_);
        return true;
    }
    return PaneBar::eventFilter(o, e);
}
