#include "views/sidebar/SidebarRows.h"

#include "core/EditorLink.h"
#include "editor/Palette.h"
#include "views/sidebar/Sidebar.h"
#include "views/state/WindowModel.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace {

QString abbreviatedHome(const QString& path)
{
    const QString home = QDir::homePath();
    if (!home.isEmpty() && home != QLatin1String("/") && (path == home || path.startsWith(home + QLatin1Char('/'))))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

QLabel* mutedLabel(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPointSizeF(std::max(7.0, f.pointSizeF() - 2));
    l->setFont(f);
    l->setForegroundRole(QPalette::PlaceholderText);
    return l;
}

}

std::optional<QUuid> draggedDocID(const QMimeData* mime)
{
    if (!mime || !mime->hasText() || mime->hasUrls())
        return std::nullopt;
    const QUuid id = QUuid::fromString(mime->text().trimmed());
    if (id.isNull())
        return std::nullopt;
    return id;
}

// ---- SectionTitle ----

SectionTitle::SectionTitle(const QString& title, std::optional<int> count, QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 10, 12, 4);
    auto* t = mutedLabel(title, this);
    t->setObjectName(QStringLiteral("title"));
    row->addWidget(t);
    row->addStretch();
    if (count) {
        count_ = mutedLabel(QString::number(*count), this);
        count_->setObjectName(QStringLiteral("count"));
        row->addWidget(count_);
    }
}

void SectionTitle::setCount(int count)
{
    if (count_)
        count_->setText(QString::number(count));
}

// ---- ListRow ----

ListRow::ListRow(WindowModel& model, QWidget* parent) : QWidget(parent), model_(model)
{
    // Reached by Tab and F6; a click keeps the keyboard where it was.
    setFocusPolicy(Qt::TabFocus);
}

void ListRow::keyPressEvent(QKeyEvent* e)
{
    const int k = e->key();
    if (e->modifiers() & ~(Qt::KeypadModifier)) {
        QWidget::keyPressEvent(e);
        return;
    }
    if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space) {
        choose();
        return;
    }
    if (k == Qt::Key_Escape) {
        if (EditorLink* link = model_.editorLink(); link && model_.active())
            link->focus(model_.active());
        return;
    }
    if (k != Qt::Key_Up && k != Qt::Key_Down && k != Qt::Key_Home && k != Qt::Key_End) {
        QWidget::keyPressEvent(e);
        return;
    }
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* bar = qobject_cast<Sidebar*>(w)) {
            bar->step(this, k);
            return;
        }
}

void ListRow::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    update();
}

void ListRow::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    update();
}

void ListRow::paintFocus(QPainter& p) const
{
    if (!hasFocus())
        return;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Palette::accent().resolve(), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(7, 2, -7, -2), 5, 5);
}

// ---- RecentRow ----

RecentRow::RecentRow(WindowModel& model, const QString& path, QWidget* parent) : ListRow(model, parent), path_(path)
{
    setFixedHeight(rowHeight);
    setCursor(Qt::PointingHandCursor);
    refresh();
}

void RecentRow::refresh()
{
    missing_ = !QFileInfo::exists(path_);
    setToolTip(missing_ ? QStringLiteral("文件已不存在，点击移除") : abbreviatedHome(path_));
    setAccessibleName(QFileInfo(path_).fileName());
    update();
}

void RecentRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (hover_) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Palette::hover().resolve());
        p.drawRoundedRect(QRectF(rect()).adjusted(6, 1, -6, -1), 5, 5);
    }
    QFont f = font();
    f.setStrikeOut(missing_);
    p.setFont(f);
    p.setPen(missing_ ? Palette::fg3().resolve() : Palette::fg2().resolve());
    const QRect text = rect().adjusted(8 + 12, 0, -8 - 8, 0);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(QFileInfo(path_).fileName(), Qt::ElideMiddle, text.width()));
    paintFocus(p);
}

void RecentRow::choose()
{
    const QString path = path_;
    WindowModel& model = model_;
    // Opening changes the recent list and with it this row.
    QMetaObject::invokeMethod(
        &model, [&model, path] { model.openRecent(path); }, Qt::QueuedConnection);
}

void RecentRow::enterEvent(QEnterEvent*)
{
    hover_ = true;
    update();
}

void RecentRow::leaveEvent(QEvent*)
{
    hover_ = false;
    update();
}

void RecentRow::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        choose();
}
