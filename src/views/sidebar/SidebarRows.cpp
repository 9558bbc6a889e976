#include "views/sidebar/SidebarRows.h"

#include "core/AppModel.h"
#include "core/EditorLink.h"
#include "editor/Palette.h"
#include "views/controls/Controls.h"
#include "views/sidebar/Sidebar.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QUrl>

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

// ---- DocRow ----

ListRow::ListRow(AppModel& model, QWidget* parent) : QWidget(parent), model_(model)
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
    // The rows of the whole list, top to bottom, as they are shown.
    QWidget* list = nullptr;
    for (QWidget* w = parentWidget(); w && !list; w = w->parentWidget())
        if (auto* bar = qobject_cast<Sidebar*>(w))
            list = bar->listContent();
    if (!list)
        return;
    QList<ListRow*> rows;
    for (ListRow* r : list->findChildren<ListRow*>())
        if (r->isVisibleTo(list))
            rows << r;
    std::sort(rows.begin(), rows.end(),
              [list](QWidget* a, QWidget* b) { return a->mapTo(list, QPoint()).y() < b->mapTo(list, QPoint()).y(); });
    const qsizetype at = rows.indexOf(this);
    qsizetype to = k == Qt::Key_Home ? 0 : k == Qt::Key_End ? rows.size() - 1 : at + (k == Qt::Key_Down ? 1 : -1);
    if (to < 0 || to >= rows.size())
        return;
    ListRow* next = rows[to];
    next->setFocus(Qt::TabFocusReason);
    // A long group scrolls inside the list, which scrolls too.
    for (QWidget* w = next->parentWidget(); w; w = w->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(w))
            scroll->ensureWidgetVisible(next, 0, 8);
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

DocRow::DocRow(AppModel& model, DocPtr doc, QWidget* parent) : ListRow(model, parent), doc_(std::move(doc))
{
    setFixedHeight(rowHeight);
    setAcceptDrops(true);
    setMouseTracking(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(26, 0, 8, 0);
    row->setSpacing(6);
    name_ = new QLabel(this);
    name_->setObjectName(QStringLiteral("name"));
    name_->setTextFormat(Qt::PlainText);
    name_->setMinimumWidth(10);
    row->addWidget(name_, 0);
    ext_ = new QLabel(this);
    ext_->setObjectName(QStringLiteral("ext"));
    ext_->setTextFormat(Qt::PlainText);
    QFont f(QStringLiteral("IBM Plex Mono"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(std::max(7.0, font().pointSizeF() - 2.5));
    ext_->setFont(f);
    ext_->setForegroundRole(QPalette::PlaceholderText);
    ext_->setContentsMargins(3, 0, 3, 0);
    ext_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    row->addWidget(ext_, 0, Qt::AlignVCenter);
    row->addStretch(1);
    const QUuid id = doc_->id;
    tagButton_ = new IconButton(
        QStringLiteral("tag"), QStringLiteral("标签"), [this, id] { model_.toggle(Popup::tags(id)); }, this);
    tagButton_->setObjectName(QStringLiteral("tagButton"));
    tagButton_->setFixedSize(22, 22);
    row->addWidget(tagButton_);
    // Close button and unsaved dot share one slot, so the tag button never moves.
    auto* trailing = new QWidget(this);
    trailing->setFixedSize(22, 22);
    closeButton_ = new IconButton(
        QStringLiteral("xmark"), QStringLiteral("关闭  Ctrl+W"), [this] { model_.close(doc_); }, trailing);
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    closeButton_->setFixedSize(22, 22);
    dirtyDot_ = new QWidget(trailing);
    dirtyDot_->setObjectName(QStringLiteral("dirtyDot"));
    dirtyDot_->setFixedSize(22, 22);
    dirtyDot_->setToolTip(QStringLiteral("未保存"));
    // The dot itself is painted by the row so it stays 7 × 7 at any scale.
    row->addWidget(trailing);
    refresh();
}

void DocRow::refresh()
{
    const QFileInfo info(doc_->name());
    const QString ext = info.suffix();
    name_->setText(ext.isEmpty() ? doc_->name() : info.completeBaseName());
    ext_->setText(ext);
    ext_->setVisible(!ext.isEmpty());
    setToolTip(doc_->fullPath());
    // The row takes the keyboard, so a screen reader needs its name.
    setAccessibleName(doc_->name());
    tagButton_->setOn(model_.popup() && *model_.popup() == Popup::tags(doc_->id));
    refreshTrailing();
}

void DocRow::refreshTrailing()
{
    closeButton_->setVisible(hover_);
    dirtyDot_->setVisible(!hover_ && doc_->isDirty());
    update();
}

void DocRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool active = model_.activeID() && *model_.activeID() == doc_->id;
    if (active || hover_) {
        p.setPen(Qt::NoPen);
        p.setBrush(active ? Palette::selection().resolve() : Palette::hover().resolve());
        p.drawRoundedRect(QRectF(rect()).adjusted(6, 1, -6, -1), 5, 5);
    }
    if (ext_->isVisible()) {
        p.setPen(QPen(Palette::line().resolve(), 1));
        p.setBrush(Qt::NoBrush);
        const QRectF g = ext_->geometry();
        const qreal h = ext_->fontMetrics().height() + 2;
        p.drawRoundedRect(QRectF(g.left() + 0.5, g.center().y() - h / 2, g.width() - 1, h), 3, 3);
    }
    if (dirtyDot_->isVisible()) {
        p.setPen(Qt::NoPen);
        p.setBrush(Palette::fg2().resolve());
        p.drawEllipse(QRectF(dirtyDot_->parentWidget()->geometry()).center(), 3.5, 3.5);
    }
    if (dropOver_) {
        p.setPen(QPen(Palette::accent().resolve(), 2));
        p.drawLine(QPointF(8, 1), QPointF(width() - 8, 1));
    }
    paintFocus(p);
}

void DocRow::choose() { model_.activate(doc_); }

void DocRow::enterEvent(QEnterEvent*)
{
    hover_ = true;
    refreshTrailing();
}

void DocRow::leaveEvent(QEvent*)
{
    hover_ = false;
    refreshTrailing();
}

void DocRow::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        pressed_ = true;
        pressAt_ = e->position().toPoint();
    }
}

void DocRow::mouseMoveEvent(QMouseEvent* e)
{
    if (!pressed_ || !(e->buttons() & Qt::LeftButton))
        return;
    if ((e->position().toPoint() - pressAt_).manhattanLength() < QApplication::startDragDistance())
        return;
    pressed_ = false;
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setText(doc_->id.toString(QUuid::WithoutBraces));
    drag->setMimeData(mime);
    drag->setPixmap(grab());
    drag->exec(Qt::MoveAction);
}

void DocRow::mouseReleaseEvent(QMouseEvent* e)
{
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    if (click)
        model_.activate(doc_);
}

QMenu* DocRow::contextMenu()
{
    auto* menu = new QMenu(this);
    auto* tagMenu = menu->addMenu(QStringLiteral("标签"));
    for (const Tag& tag : model_.tags()) {
        auto* a = tagMenu->addAction(tag.name);
        a->setCheckable(true);
        a->setChecked(doc_->tags().contains(tag.id));
        const QString tagID = tag.id;
        connect(a, &QAction::triggered, this, [this, tagID] { model_.toggleTag(tagID, doc_); });
    }
    connect(menu->addAction(QStringLiteral("上移")), &QAction::triggered, this, [this] { model_.step(doc_, -1); });
    connect(menu->addAction(QStringLiteral("下移")), &QAction::triggered, this, [this] { model_.step(doc_, 1); });
    connect(menu->addAction(QStringLiteral("重命名…")), &QAction::triggered, this, [this] { model_.askRename(doc_); });
    if (doc_->url()) {
        const QString path = *doc_->url();
        connect(menu->addAction(QStringLiteral("在文件管理器中显示")), &QAction::triggered, this,
                [path] { QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath())); });
        connect(menu->addAction(QStringLiteral("复制路径")), &QAction::triggered, this,
                [path] { QApplication::clipboard()->setText(path); });
    }
    connect(menu->addAction(QStringLiteral("关闭")), &QAction::triggered, this, [this] { model_.close(doc_); });
    return menu;
}

void DocRow::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = contextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void DocRow::dragEnterEvent(QDragEnterEvent* e)
{
    if (!draggedDocID(e->mimeData()))
        return;
    e->acceptProposedAction();
    dropOver_ = true;
    update();
}

void DocRow::dragLeaveEvent(QDragLeaveEvent*)
{
    dropOver_ = false;
    update();
}

void DocRow::dropEvent(QDropEvent* e)
{
    dropOver_ = false;
    update();
    const auto id = draggedDocID(e->mimeData());
    if (!id)
        return;
    e->acceptProposedAction();
    model_.move(*id, doc_->id);
}

// ---- RecentRow ----

RecentRow::RecentRow(AppModel& model, const QString& path, QWidget* parent) : ListRow(model, parent), path_(path)
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
    AppModel& model = model_;
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
