#include "views/overlays/OutlinePanel.h"

#include "views/overlays/OutlineRows.h"

#include "core/EditorLink.h"
#include "editor/AppFonts.h"
#include "editor/Palette.h"
#include "text/PinyinMatch.h"
#include "text/WorkLanes.h"
#include "views/state/WindowModel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>

namespace {

constexpr int rowHeight = 26;
constexpr int indentStep = 14;
constexpr int visibleRows = 16;
constexpr int filterHeight = 28;
constexpr int chrome = 12 + filterHeight + 6;  // margins and the filter field

class OutlineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& o, const QModelIndex&) const override
    {
        return {o.rect.width(), rowHeight};
    }

    void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& index) const override
    {
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        const bool chosen = o.state & QStyle::State_Selected;
        const bool hover = o.state & QStyle::State_MouseOver;
        if (chosen || hover) {
            p->setPen(Qt::NoPen);
            p->setBrush(chosen ? Palette::selection().resolve() : Palette::hover().resolve());
            p->drawRoundedRect(QRectF(o.rect).adjusted(4, 1, -4, -1), 5, 5);
        }
        const int level = index.data(OutlineRows::levelRole).toInt();
        const bool caret = index.data(OutlineRows::caretRole).toBool();
        const QRect text = o.rect.adjusted(16 + (std::max(level, 1) - 1) * indentStep, 0, -12, 0);
        if (caret) {
            // Where the caret is: a short bar before the title.
            p->setPen(Qt::NoPen);
            p->setBrush(Palette::accent().resolve());
            p->drawRoundedRect(QRectF(text.left() - 8, o.rect.top() + 7, 3, o.rect.height() - 14), 1.5, 1.5);
        }
        QFont f = AppFonts::sans(12.5, level <= 1 ? AppFonts::Weight::medium : AppFonts::Weight::regular);
        p->setFont(f);
        const bool enabled = index.flags() & Qt::ItemIsEnabled;
        p->setPen((enabled ? (caret ? Palette::accent() : Palette::fg()) : Palette::fg3()).resolve());
        p->drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                    p->fontMetrics().elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, text.width()));
        p->restore();
    }
};

}

OutlinePanel::OutlinePanel(WindowModel& model, DocPtr doc, QWidget* parent)
    : QListView(parent), model_(model), doc_(std::move(doc)), rows_(new OutlineRows(this))
{
    setModel(rows_);
    setAccessibleName(QStringLiteral("大纲"));
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setMouseTracking(true);
    setItemDelegate(new OutlineDelegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    viewport()->setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QListView { background: transparent; outline: none; }"));
    setViewportMargins(0, 6 + filterHeight + 6, 0, 6);
    connect(this, &QListView::clicked, this, [this](const QModelIndex& i) { jump(i.row()); });
    filter_ = new QLineEdit(this);
    filter_->setPlaceholderText(QStringLiteral("筛选标题（可用拼音）"));
    filter_->setAccessibleName(QStringLiteral("筛选标题"));
    filter_->installEventFilter(this);
    connect(filter_, &QLineEdit::textChanged, this, &OutlinePanel::narrow);

    EditorLink* link = model_.editorLink();
    caretLine_ = link ? link->caretLine(doc_) : 0;
    // A long buffer is copied a piece per turn: the panel says so meanwhile.
    doc_->withTextCopy([self = QPointer<OutlinePanel>(this)](TextCopy copy) {
        if (self)
            self->gather(std::move(copy));
    });
    if (!shown_)
        showGathering();
}

int OutlinePanel::count() const { return rows_->rowCount(); }

const QList<OutlineEntry>& OutlinePanel::entries() const { return rows_->entries(); }

QString OutlinePanel::text(int row) const { return rows_->index(row).data().toString(); }

void OutlinePanel::showGathering()
{
    if (std::exchange(shown_, true))
        return;
    rows_->setNotice(QStringLiteral("正在整理大纲…"));
    setFixedSize(320, rowHeight * visibleRows + chrome);
}

void OutlinePanel::gather(TextCopy copy)
{
    const QString format = doc_->plugin().id;
    if ((copy.isUtf8() ? copy.utf8.size() : copy.text.size()) < asideBytes) {
        fill(Outline::entries(format, copy.toString()));
        return;
    }
    // A big text is read on a worker; the panel stays open meanwhile.
    showGathering();
    WorkLanes::shared().run(
        Lane::Scan, this, CancelToken(),
        [format, text = std::move(copy)](const CancelToken&) mutable {
            return Outline::entries(format, std::exchange(text, TextCopy()).toString());
        },
        [this](QList<OutlineEntry> found) { fill(std::move(found)); });
}

void OutlinePanel::fill(QList<OutlineEntry> entries)
{
    const bool first = !std::exchange(shown_, true);  // else the panel already shows, at its full size
    caretEntry_ = Outline::entryAt(entries, caretLine_);
    rows_->setNotice(QStringLiteral("没有标题"));
    rows_->setEntries(std::move(entries), caretEntry_);
    if (!rows_->entries().isEmpty())
        setCurrentIndex(rows_->index(std::max(caretEntry_, 0)));
    // An open panel keeps its place and size; only its rows change.
    if (first)
        setFixedSize(320, rowHeight * std::clamp(count(), 1, visibleRows) + chrome);
    narrow(filter_->text());
    scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
}

void OutlinePanel::showEvent(QShowEvent* e)
{
    QListView::showEvent(e);
    // The popup owns the keys while it is open: letters go to the filter,
    // the arrows and Return to the list.
    filter_->setFocus(Qt::PopupFocusReason);
}

void OutlinePanel::resizeEvent(QResizeEvent* e)
{
    QListView::resizeEvent(e);
    filter_->setGeometry(10, 6, width() - 20, filterHeight);
}

bool OutlinePanel::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == filter_ && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        switch (k->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Return:
        case Qt::Key_Enter: keyPressEvent(k); return true;
        default: break;
        }
    }
    return QListView::eventFilter(watched, e);
}

void OutlinePanel::narrow(const QString& query)
{
    int first = -1;
    const QList<OutlineEntry>& entries = rows_->entries();
    for (int i = 0; i < int(entries.size()); ++i) {
        const bool shown = PinyinMatch::matches(entries[i].title, query);
        setRowHidden(i, !shown);
        if (shown && first < 0)
            first = i;
    }
    // The choice stays on a heading that is still listed.
    if ((currentRow() < 0 || isRowHidden(currentRow())) && first >= 0)
        setCurrentIndex(rows_->index(first));
}

void OutlinePanel::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier) {
        jump(currentRow());
        return;
    }
    QListView::keyPressEvent(e);
}

void OutlinePanel::jump(int row)
{
    const QList<OutlineEntry>& entries = rows_->entries();
    if (row < 0 || row >= entries.size() || isRowHidden(row))
        return;
    // Closing the popup deletes this panel: keep what is needed.
    WindowModel& model = model_;
    const DocPtr doc = doc_;
    const int line = entries[row].line;
    model.setPopup(std::nullopt);
    // A preview alone has no caret to put on the line.
    if (doc->mode() == ::ViewMode::preview)
        doc->setMode(doc->plugin().offers(::ViewMode::split) ? ::ViewMode::split : ::ViewMode::editor);
    if (EditorLink* link = model.editorLink()) {
        link->focus(doc);
        link->setCaretLine(doc, line);
    }
}
