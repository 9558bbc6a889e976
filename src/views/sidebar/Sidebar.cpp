#include "views/sidebar/Sidebar.h"

#include "core/AppModel.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

SidebarColors colorsOf(const QWidget* w) { return SidebarColors::of(w->palette()); }

// Line drawings of the few symbols the sidebar needs, in a square `r`.
void drawSymbol(QPainter& p, const QString& symbol, const QRectF& r, const QColor& c)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF s = r.adjusted(r.width() * 0.25, r.height() * 0.25, -r.width() * 0.25, -r.height() * 0.25);
    if (symbol == QLatin1String("plus")) {
        p.drawLine(QPointF(s.center().x(), s.top()), QPointF(s.center().x(), s.bottom()));
        p.drawLine(QPointF(s.left(), s.center().y()), QPointF(s.right(), s.center().y()));
    } else if (symbol == QLatin1String("xmark")) {
        const QRectF x = s.adjusted(1.5, 1.5, -1.5, -1.5);
        p.drawLine(x.topLeft(), x.bottomRight());
        p.drawLine(x.topRight(), x.bottomLeft());
    } else if (symbol == QLatin1String("folder")) {
        QPainterPath path;
        path.moveTo(s.left(), s.bottom());
        path.lineTo(s.left(), s.top() + 1);
        path.lineTo(s.left() + s.width() * 0.4, s.top() + 1);
        path.lineTo(s.left() + s.width() * 0.5, s.top() + s.height() * 0.2);
        path.lineTo(s.right(), s.top() + s.height() * 0.2);
        path.lineTo(s.right(), s.bottom());
        path.closeSubpath();
        p.drawPath(path);
    } else if (symbol == QLatin1String("tag")) {
        QPainterPath path;
        path.moveTo(s.left(), s.top());
        path.lineTo(s.left() + s.width() * 0.55, s.top());
        path.lineTo(s.right(), s.top() + s.height() * 0.45);
        path.lineTo(s.left() + s.width() * 0.45, s.bottom());
        path.lineTo(s.left(), s.top() + s.height() * 0.55);
        path.closeSubpath();
        p.drawPath(path);
        p.drawEllipse(QPointF(s.left() + s.width() * 0.28, s.top() + s.height() * 0.28), 1, 1);
    } else if (symbol == QLatin1String("gearshape")) {
        p.drawEllipse(s.center(), s.width() * 0.22, s.width() * 0.22);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(s.center());
            p.rotate(45 * i);
            p.drawLine(QPointF(0, s.width() * 0.34), QPointF(0, s.width() * 0.5));
            p.restore();
        }
        p.drawEllipse(s.center(), s.width() * 0.36, s.width() * 0.36);
    } else if (symbol == QLatin1String("chevron.down")) {
        const QRectF x = s.adjusted(1, 2.5, -1, -2.5);
        p.drawPolyline(QPolygonF({x.topLeft(), QPointF(x.center().x(), x.bottom()), x.topRight()}));
    } else if (symbol == QLatin1String("chevron.right")) {
        const QRectF x = s.adjusted(2.5, 1, -2.5, -1);
        p.drawPolyline(QPolygonF({x.topLeft(), QPointF(x.right(), x.center().y()), x.bottomLeft()}));
    } else if (symbol == QLatin1String("checkmark")) {
        p.drawPolyline(QPolygonF({QPointF(s.left(), s.center().y()),
                                  QPointF(s.left() + s.width() * 0.4, s.bottom()), s.topRight()}));
    }
    p.restore();
}

QString abbreviatedHome(const QString& path)
{
    const QString home = QDir::homePath();
    if (!home.isEmpty() && home != QLatin1String("/")
        && (path == home || path.startsWith(home + QLatin1Char('/'))))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

QLabel* mutedLabel(const QString& text, QWidget* parent, int pointDelta = -2)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPointSizeF(std::max(7.0, f.pointSizeF() + pointDelta));
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colorsOf(parent).fg3);
    l->setPalette(pal);
    return l;
}

}  // namespace

// ---- SmallButton ----

SmallButton::SmallButton(const QString& symbol, const QString& help, std::function<void()> action,
                         QWidget* parent)
    : QFrame(parent), symbol_(symbol), action_(std::move(action))
{
    setToolTip(help);
    setFixedSize(20, 20);
    setCursor(Qt::PointingHandCursor);
}

void SmallButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const auto c = colorsOf(this);
    if (hover_) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(c.hover.darker(106));
        p.drawRoundedRect(QRectF(rect()), 4, 4);
    }
    drawSymbol(p, symbol_, QRectF(rect()), lit_ ? c.accent : c.fg2);
}

void SmallButton::enterEvent(QEnterEvent*) { hover_ = true; update(); }
void SmallButton::leaveEvent(QEvent*) { hover_ = false; update(); }

void SmallButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && action_)
        action_();
    e->accept();
}

// ---- SectionTitle ----

SectionTitle::SectionTitle(const QString& title, std::optional<int> count, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 10, 12, 4);
    auto* t = mutedLabel(title, this);
    t->setObjectName(QStringLiteral("title"));
    row->addWidget(t);
    row->addStretch();
    if (count) {
        auto* n = mutedLabel(QString::number(*count), this);
        n->setObjectName(QStringLiteral("count"));
        row->addWidget(n);
    }
}

// ---- DocRow ----

DocRow::DocRow(AppModel& model, const SidebarHooks& hooks, DocPtr doc, QWidget* parent)
    : QWidget(parent), model_(model), hooks_(hooks), doc_(std::move(doc))
{
    setFixedHeight(rowHeight);
    setAcceptDrops(true);
    setMouseTracking(true);
    setToolTip(doc_->fullPath());
    const auto c = colorsOf(this);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(26, 0, 8, 0);
    row->setSpacing(6);
    const QFileInfo nameInfo(doc_->name());
    const QString ext = nameInfo.suffix();
    const QString base = ext.isEmpty() ? doc_->name() : nameInfo.completeBaseName();
    auto* name = new QLabel(base, this);
    name->setObjectName(QStringLiteral("name"));
    name->setTextFormat(Qt::PlainText);
    name->setMinimumWidth(10);
    QPalette np = name->palette();
    np.setColor(QPalette::WindowText, c.fg);
    name->setPalette(np);
    row->addWidget(name, 0);
    if (!ext.isEmpty()) {
        auto* badge = new QLabel(ext, this);
        badge->setObjectName(QStringLiteral("ext"));
        badge->setTextFormat(Qt::PlainText);
        QFont f(QStringLiteral("monospace"));
        f.setStyleHint(QFont::Monospace);
        f.setPointSizeF(std::max(7.0, font().pointSizeF() - 2.5));
        badge->setFont(f);
        badge->setStyleSheet(QStringLiteral("QLabel{color:%1;background:transparent;border:1px solid %2;border-radius:3px;padding:0 3px;}")
                                 .arg(c.fg2.name(), c.line.name()));
        badge->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        row->addWidget(badge, 0, Qt::AlignVCenter);
    }
    row->addStretch(1);
    const QUuid id = doc_->id;
    tagButton_ = new SmallButton(QStringLiteral("tag"), QStringLiteral("标签"), [this, id] {
        if (hooks_.togglePopup)
            hooks_.togglePopup(Popup::tags(id).anchor());
    }, this);
    tagButton_->setObjectName(QStringLiteral("tagButton"));
    tagButton_->setLit(model_.popup() && *model_.popup() == Popup::tags(id));
    if (hooks_.reportAnchor)
        hooks_.reportAnchor(Popup::tags(id).anchor(), tagButton_);
    row->addWidget(tagButton_);
    closeButton_ = new SmallButton(QStringLiteral("xmark"), QStringLiteral("关闭  Ctrl+W"), [this] {
        if (hooks_.close)
            hooks_.close(doc_);
    }, this);
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    row->addWidget(closeButton_);
    dirtyDot_ = new QWidget(this);
    dirtyDot_->setObjectName(QStringLiteral("dirtyDot"));
    dirtyDot_->setFixedSize(20, 20);
    dirtyDot_->setToolTip(QStringLiteral("未保存"));
    dirtyDot_->installEventFilter(this);
    row->addWidget(dirtyDot_);
    dirtyDot_->setStyleSheet(QStringLiteral("QWidget#dirtyDot{background:transparent;}"));
    // The dot itself is painted by the row so it stays 7 × 7 at any scale.
    refreshTrailing();
}

void DocRow::refresh()
{
    tagButton_->setLit(model_.popup() && *model_.popup() == Popup::tags(doc_->id));
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
    const auto c = colorsOf(this);
    const bool active = model_.activeID() && *model_.activeID() == doc_->id;
    if (active || hover_) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(active ? c.selection : c.hover);
        p.drawRoundedRect(QRectF(rect()).adjusted(6, 1, -6, -1), 5, 5);
    }
    if (dirtyDot_->isVisible()) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(c.fg2);
        p.drawEllipse(QRectF(dirtyDot_->geometry()).center(), 3.5, 3.5);
    }
    if (dropOver_) {
        p.setPen(QPen(c.accent, 2));
        p.drawLine(QPointF(8, 1), QPointF(width() - 8, 1));
    }
}

void DocRow::enterEvent(QEnterEvent*) { hover_ = true; refreshTrailing(); }
void DocRow::leaveEvent(QEvent*) { hover_ = false; refreshTrailing(); }

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
        connect(a, &QAction::triggered, this, [this, tagID] {
            if (hooks_.toggleTag)
                hooks_.toggleTag(tagID, doc_);
        });
    }
    connect(menu->addAction(QStringLiteral("上移")), &QAction::triggered, this, [this] {
        if (hooks_.step)
            hooks_.step(doc_, -1);
    });
    connect(menu->addAction(QStringLiteral("下移")), &QAction::triggered, this, [this] {
        if (hooks_.step)
            hooks_.step(doc_, 1);
    });
    connect(menu->addAction(QStringLiteral("重命名…")), &QAction::triggered, this, [this] {
        if (hooks_.askRename)
            hooks_.askRename(doc_);
    });
    if (doc_->url()) {
        const QString path = *doc_->url();
        connect(menu->addAction(QStringLiteral("在文件管理器中显示")), &QAction::triggered, this, [this, path] {
            if (hooks_.reveal)
                hooks_.reveal(path);
        });
        connect(menu->addAction(QStringLiteral("拷贝路径")), &QAction::triggered, this,
                [path] { QApplication::clipboard()->setText(path); });
    }
    connect(menu->addAction(QStringLiteral("关闭")), &QAction::triggered, this, [this] {
        if (hooks_.close)
            hooks_.close(doc_);
    });
    return menu;
}

void DocRow::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = contextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

static std::optional<QUuid> draggedID(const QMimeData* mime)
{
    if (!mime || !mime->hasText())
        return std::nullopt;
    const QUuid id = QUuid::fromString(mime->text().trimmed());
    if (id.isNull())
        return std::nullopt;
    return id;
}

void DocRow::dragEnterEvent(QDragEnterEvent* e)
{
    if (!draggedID(e->mimeData()))
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
    const auto id = draggedID(e->mimeData());
    if (!id)
        return;
    e->acceptProposedAction();
    if (hooks_.move)
        hooks_.move(*id, doc_->id);
}

// ---- GroupView ----

GroupView::GroupView(AppModel& model, const SidebarHooks& hooks, const SidebarGroup& group, bool capped,
                     QWidget* parent)
    : QWidget(parent), model_(model), hooks_(hooks), id_(group.id)
{
    const auto c = colorsOf(this);
    const bool open = !model_.collapsed().contains(id_);
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);

    header_ = new QWidget(this);
    header_->setObjectName(QStringLiteral("groupHeader"));
    header_->setFixedHeight(rowHeight);
    header_->setCursor(Qt::PointingHandCursor);
    header_->installEventFilter(this);
    header_->setProperty("open", open);
    header_->setProperty("color", group.color);
    auto* hrow = new QHBoxLayout(header_);
    hrow->setContentsMargins(26 + 12, 0, 12, 0);
    auto* name = new QLabel(group.name, header_);
    name->setObjectName(QStringLiteral("groupName"));
    name->setTextFormat(Qt::PlainText);
    QFont nf = name->font();
    nf.setWeight(QFont::DemiBold);
    name->setFont(nf);
    QPalette np = name->palette();
    np.setColor(QPalette::WindowText, c.fg2);
    name->setPalette(np);
    hrow->addWidget(name);
    hrow->addStretch();
    auto* count = mutedLabel(QString::number(group.docs.size()), header_, -1);
    count->setObjectName(QStringLiteral("groupCount"));
    hrow->addWidget(count);
    col->addWidget(header_);

    if (open) {
        auto* rows = new QWidget;
        auto* rcol = new QVBoxLayout(rows);
        rcol->setContentsMargins(0, 0, 0, 0);
        rcol->setSpacing(0);
        for (const DocPtr& d : group.docs)
            rcol->addWidget(new DocRow(model_, hooks_, d, rows));
        if (capped && group.docs.size() > visibleLimit) {
            rowScroll_ = new QScrollArea(this);
            rowScroll_->setObjectName(QStringLiteral("groupScroll"));
            rowScroll_->setFrameShape(QFrame::NoFrame);
            rowScroll_->setWidgetResizable(true);
            rowScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            rowScroll_->setFixedHeight(visibleLimit * rowHeight);
            rowScroll_->setWidget(rows);
            rowScroll_->viewport()->setAutoFillBackground(false);
            rows->setAutoFillBackground(false);
            col->addWidget(rowScroll_);
        } else {
            rows->setParent(this);
            col->addWidget(rows);
        }
    }
    endZone_ = new QWidget(this);
    endZone_->setObjectName(QStringLiteral("groupEnd"));
    endZone_->setFixedHeight(6);
    endZone_->setAcceptDrops(true);
    endZone_->installEventFilter(this);
    col->addWidget(endZone_);
}

QList<DocRow*> GroupView::rows() const { return findChildren<DocRow*>(); }

bool GroupView::eventFilter(QObject* o, QEvent* e)
{
    if (o == header_) {
        if (e->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
            QSet<QString> set = model_.collapsed();
            if (!set.remove(id_))
                set.insert(id_);
            model_.setCollapsed(set);
            model_.persist();
            return true;
        }
        if (e->type() == QEvent::Paint) {
            QPainter p(header_);
            const auto c = colorsOf(this);
            drawSymbol(p, header_->property("open").toBool() ? QStringLiteral("chevron.down")
                                                             : QStringLiteral("chevron.right"),
                       QRectF(8, 6, 16, 16), c.fg3);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(header_->property("color").value<QColor>());
            p.drawEllipse(QPointF(31, rowHeight / 2.0), 4, 4);
            return false;
        }
    }
    if (o == endZone_) {
        switch (e->type()) {
        case QEvent::DragEnter: {
            auto* de = static_cast<QDragEnterEvent*>(e);
            if (draggedID(de->mimeData())) {
                de->acceptProposedAction();
                endOver_ = true;
                endZone_->update();
            }
            return true;
        }
        case QEvent::DragLeave:
            endOver_ = false;
            endZone_->update();
            return true;
        case QEvent::Drop: {
            auto* de = static_cast<QDropEvent*>(e);
            endOver_ = false;
            endZone_->update();
            if (const auto id = draggedID(de->mimeData())) {
                de->acceptProposedAction();
                if (hooks_.move)
                    hooks_.move(*id, std::nullopt);
            }
            return true;
        }
        case QEvent::Paint:
            if (endOver_) {
                QPainter p(endZone_);
                p.setPen(QPen(colorsOf(this).accent, 2));
                p.drawLine(QPointF(8, 1), QPointF(endZone_->width() - 8, 1));
            }
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(o, e);
}

// ---- RecentRow ----

RecentRow::RecentRow(AppModel& model, const QString& path, QWidget* parent)
    : QWidget(parent), model_(model), path_(path)
{
    setFixedHeight(rowHeight);
    setCursor(Qt::PointingHandCursor);
    missing_ = !QFileInfo::exists(path_);
    setToolTip(missing_ ? QStringLiteral("文件已不存在，点击移除") : abbreviatedHome(path_));
}

void RecentRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const auto c = colorsOf(this);
    if (hover_) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(c.hover);
        p.drawRoundedRect(QRectF(rect()).adjusted(6, 1, -6, -1), 5, 5);
    }
    QFont f = font();
    f.setStrikeOut(missing_);
    p.setFont(f);
    p.setPen(missing_ ? c.fg3 : c.fg2);
    const QRect text = rect().adjusted(8 + 12, 0, -8 - 8, 0);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(QFileInfo(path_).fileName(), Qt::ElideMiddle, text.width()));
}

void RecentRow::enterEvent(QEnterEvent*) { hover_ = true; update(); }
void RecentRow::leaveEvent(QEvent*) { hover_ = false; update(); }

void RecentRow::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
        const QString path = path_;
        AppModel& model = model_;
        // Opening rebuilds the sidebar and so deletes this row.
        QMetaObject::invokeMethod(&model, [&model, path] { model.openRecent(path); }, Qt::QueuedConnection);
    }
}

// ---- Sidebar ----

Sidebar::Sidebar(AppModel& model, SidebarHooks hooks, QWidget* parent)
    : QFrame(parent), model_(model), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("Sidebar"));
    setFixedWidth(fixedWidth);
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(0, 0, 1, 0);
    col->setSpacing(0);

    auto* tools = new QWidget(this);
    tools->setFixedHeight(46);
    auto* trow = new QHBoxLayout(tools);
    trow->setContentsMargins(8, 0, 10, 0);
    trow->setSpacing(4);
    trow->addStretch();
    openButton_ = new SmallButton(QStringLiteral("folder"), QStringLiteral("打开文件  Ctrl+O"),
                                  [this] { model_.openPanel(); }, tools);
    newButton_ = new SmallButton(QStringLiteral("plus"), QStringLiteral("新建文件  Ctrl+N"),
                                 [this] { model_.setShowNewFile(true); }, tools);
    for (auto* b : {openButton_, newButton_}) {
        b->setFixedSize(26, 26);
        trow->addWidget(b);
    }
    col->addWidget(tools);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    col->addWidget(scroll_, 1);

    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(40);
    auto* brow = new QHBoxLayout(bottom);
    brow->setContentsMargins(10, 0, 10, 0);
    settingsButton_ = new SmallButton(QStringLiteral("gearshape"), QStringLiteral("设置  Ctrl+,"), [this] {
        if (hooks_.togglePopup)
            hooks_.togglePopup(Popup::settings().anchor());
    }, bottom);
    settingsButton_->setFixedSize(26, 26);
    if (hooks_.reportAnchor)
        hooks_.reportAnchor(Popup::settings().anchor(), settingsButton_);
    brow->addWidget(settingsButton_);
    brow->addStretch();
    col->addWidget(bottom);

    connect(&model_, &AppModel::changed, this, [this](AppModel::Field f) {
        using F = AppModel::Field;
        if (f == F::docs || f == F::tags || f == F::recent || f == F::collapsed)
            QMetaObject::invokeMethod(this, &Sidebar::rebuild, Qt::QueuedConnection);
        else if (f == F::activeID || f == F::popup)
            for (auto* r : findChildren<DocRow*>())
                r->refresh();
    });
    rebuild();
}

bool Sidebar::shouldCap(const QList<SidebarGroup>& groups, const QSet<QString>& collapsed,
                        int recentCount, int available)
{
    if (groups.size() < 6)
        return false;
    qint64 need = 28LL * groups.size() + 30;
    for (const auto& g : groups)
        if (!collapsed.contains(g.id))
            need += 28LL * g.docs.size();
    if (recentCount > 0)
        need += 24LL * recentCount + 40;
    need += 12;
    return need > available;
}

static QList<SidebarGroup> defaultGroups(const AppModel& model)
{
    // Without grouping wired in every document sits in one untagged group.
    return {SidebarGroup{QStringLiteral("_"), QStringLiteral("未分组"), QColor("#8b929c"), model.docs()}};
}

void Sidebar::watchDocs()
{
    for (const auto& c : docLinks_)
        disconnect(c);
    docLinks_.clear();
    for (const DocPtr& d : model_.docs())
        docLinks_ << connect(d.get(), &Doc::changed, this, [this](Doc::Field f) {
            if (f == Doc::Field::name || f == Doc::Field::url || f == Doc::Field::tags)
                QMetaObject::invokeMethod(this, &Sidebar::rebuild, Qt::QueuedConnection);
            else if (f == Doc::Field::text || f == Doc::Field::savedText || f == Doc::Field::metaDirty
                     || f == Doc::Field::originalName)
                for (auto* r : findChildren<DocRow*>())
                    r->refresh();
        });
}

void Sidebar::rebuild()
{
    const int scrollPos = scroll_->verticalScrollBar()->value();
    const auto groups = hooks_.groups ? hooks_.groups() : defaultGroups(model_);
    const int available = scroll_->viewport()->height();
    lastCap_ = shouldCap(groups, model_.collapsed(), model_.recent().size(), available);

    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("sidebarList"));
    content->setAutoFillBackground(false);
    auto* col = new QVBoxLayout(content);
    col->setContentsMargins(0, 0, 0, 12);
    col->setSpacing(0);
    col->addWidget(new SectionTitle(QStringLiteral("打开的文件"), int(model_.docs().size()), content));
    for (const auto& g : groups)
        col->addWidget(new GroupView(model_, hooks_, g, lastCap_, content));
    if (model_.docs().isEmpty()) {
        auto* none = mutedLabel(QStringLiteral("没有打开的文件"), content, -1);
        none->setObjectName(QStringLiteral("noDocs"));
        none->setContentsMargins(20, 4, 12, 4);
        col->addWidget(none);
    }
    if (!model_.recent().isEmpty()) {
        col->addWidget(new SectionTitle(QStringLiteral("最近"), std::nullopt, content));
        for (const QString& path : model_.recent())
            col->addWidget(new RecentRow(model_, path, content));
    }
    col->addStretch(1);
    delete scroll_->takeWidget();
    content_ = content;
    scroll_->setWidget(content);
    scroll_->verticalScrollBar()->setValue(scrollPos);
    watchDocs();
}

void Sidebar::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    const auto groups = hooks_.groups ? hooks_.groups() : defaultGroups(model_);
    if (shouldCap(groups, model_.collapsed(), model_.recent().size(), scroll_->viewport()->height()) != lastCap_)
        QMetaObject::invokeMethod(this, &Sidebar::rebuild, Qt::QueuedConnection);
}

QList<GroupView*> Sidebar::groupViews() const
{
    return content_ ? content_->findChildren<GroupView*>() : QList<GroupView*>{};
}

QList<RecentRow*> Sidebar::recentRows() const
{
    return content_ ? content_->findChildren<RecentRow*>() : QList<RecentRow*>{};
}

void Sidebar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const auto c = colorsOf(this);
    p.fillRect(rect(), c.background);
    p.fillRect(QRect(width() - 1, 0, 1, height()), c.line);
}
