#include "views/sidebar/Sidebar.h"

#include "editor/Palette.h"
#include "views/controls/Controls.h"
#include "views/sidebar/DocListView.h"
#include "views/state/WindowModel.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

Sidebar::Sidebar(WindowModel& model, const AnchorSink& reportAnchor, QWidget* parent) : QFrame(parent), model_(model)
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
    openButton_ = new IconButton(
        QStringLiteral("folder"), QStringLiteral("打开文件  Ctrl+O"), [this] { model_.openPanel(); }, tools);
    newButton_ = new IconButton(
        QStringLiteral("plus"), QStringLiteral("新建文件  Ctrl+N"), [this] { model_.setShowNewFile(true); }, tools);
    trow->addWidget(openButton_);
    trow->addWidget(newButton_);
    col->addWidget(tools);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    content_ = new QWidget;
    content_->setObjectName(QStringLiteral("sidebarList"));
    content_->setAutoFillBackground(false);
    auto* list = new QVBoxLayout(content_);
    list->setContentsMargins(0, 0, 0, 12);
    list->setSpacing(0);
    openTitle_ = new SectionTitle(QStringLiteral("打开的文件"), 0, content_);
    list->addWidget(openTitle_);
    groupList_ = new QVBoxLayout;
    groupList_->setSpacing(0);
    list->addLayout(groupList_);
    noDocs_ = new QLabel(QStringLiteral("没有打开的文件"), content_);
    noDocs_->setObjectName(QStringLiteral("noDocs"));
    noDocs_->setForegroundRole(QPalette::PlaceholderText);
    noDocs_->setContentsMargins(20, 4, 12, 4);
    list->addWidget(noDocs_);
    recentTitle_ = new SectionTitle(QStringLiteral("最近"), std::nullopt, content_);
    list->addWidget(recentTitle_);
    recentList_ = new QVBoxLayout;
    recentList_->setSpacing(0);
    list->addLayout(recentList_);
    list->addStretch(1);
    scroll_->setWidget(content_);
    // The scroll area fills what it holds; the list shows the sidebar colour instead.
    content_->setAutoFillBackground(false);
    col->addWidget(scroll_, 1);

    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(40);
    auto* brow = new QHBoxLayout(bottom);
    brow->setContentsMargins(10, 0, 10, 0);
    settingsButton_ = new IconButton(
        QStringLiteral("gearshape"), QStringLiteral("设置  Ctrl+,"), [this] { model_.toggle(Popup::settings()); },
        bottom);
    if (reportAnchor)
        reportAnchor(Popup::settings().anchor(), settingsButton_);
    brow->addWidget(settingsButton_);
    brow->addStretch();
    col->addWidget(bottom);

    // A recent file deleted or restored on disk shows so at once.
    recentWatch_ = new QFileSystemWatcher(this);
    const auto recheck = [this] {
        for (RecentRow* r : recentRows())
            r->refresh();
        syncRecent();
    };
    connect(recentWatch_, &QFileSystemWatcher::fileChanged, this, recheck);
    connect(recentWatch_, &QFileSystemWatcher::directoryChanged, this, recheck);

    // The groups' rows: documents arriving, leaving, moving or changing group, and tags renamed.
    DocGroupModel& groups = model_.docGroups();
    for (const auto signal : {&DocGroupModel::rowsInserted, &DocGroupModel::rowsRemoved})
        connect(&groups, signal, this, &Sidebar::scheduleSync);
    connect(&groups, &DocGroupModel::rowsMoved, this, &Sidebar::scheduleSync);
    connect(&groups, &DocGroupModel::modelReset, this, &Sidebar::scheduleSync);
    connect(&groups, &DocGroupModel::dataChanged, this, &Sidebar::rowChanged);
    connect(&model_.tagStore(), &TagStore::collapsedChanged, this, &Sidebar::scheduleSync);
    connect(&model_.session(), &SessionStore::recentChanged, this, &Sidebar::syncRecent);
    connect(&model_.documents(), &DocumentModel::activeChanged, this, &Sidebar::followActive);
    connect(&model_.view(), &ViewState::popupChanged, this, &Sidebar::followPopup);
    sync();
}

bool Sidebar::shouldCap(const QList<SidebarGroup>& groups, const QSet<QString>& collapsed, int recentCount,
                        int available)
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

QList<SidebarGroup> Sidebar::groups() const
{
    QList<SidebarGroup> out;
    const auto& colors = Palette::tagColors();
    for (const WindowModel::Group& g : model_.groups()) {
        const QColor c = g.color < 0 ? Palette::fg3().resolve()
                                     : colors.value(Tag{g.id, g.name, g.color}.colorIndex(int(colors.size())));
        out << SidebarGroup{g.id, g.name, c, g.docs};
    }
    return out;
}

void Sidebar::scheduleSync()
{
    // Several model changes in one turn give one pass.
    if (syncPosted_)
        return;
    syncPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            syncPosted_ = false;
            sync();
        },
        Qt::QueuedConnection);
}

void Sidebar::sync()
{
    const auto groups = this->groups();
    lastCap_ = shouldCap(groups, model_.collapsed(), int(model_.recent().size()), scroll_->viewport()->height());
    openTitle_->setCount(int(model_.docs().size()));

    QHash<QString, GroupView*> existing;
    while (QLayoutItem* item = groupList_->takeAt(0)) {
        if (auto* g = qobject_cast<GroupView*>(item->widget()))
            existing.insert(g->id(), g);
        delete item;
    }
    for (const SidebarGroup& g : groups) {
        GroupView* view = existing.take(g.id);
        if (!view) {
            view = new GroupView(model_, g.id, content_);
            connect(view->list(), &DocListView::tagClicked, this, [this, list = view->list()] { tagList_ = list; });
            followActive();
        }
        view->setGroup(g, lastCap_);
        groupList_->addWidget(view);
    }
    qDeleteAll(existing);
    noDocs_->setVisible(model_.docs().isEmpty());
    syncRecent();
}

void Sidebar::syncRecent()
{
    const QStringList& paths = model_.recent();
    QHash<QString, RecentRow*> existing;
    while (QLayoutItem* item = recentList_->takeAt(0)) {
        if (auto* r = qobject_cast<RecentRow*>(item->widget()))
            existing.insert(r->path(), r);
        delete item;
    }
    for (const QString& p : paths) {
        RecentRow* r = existing.take(p);
        if (r)
            r->refresh();
        else
            r = new RecentRow(model_, p, content_);
        recentList_->addWidget(r);
    }
    qDeleteAll(existing);
    recentTitle_->setVisible(!paths.isEmpty());

    // Watch each file, and its folder so that a file coming back is seen too.
    QStringList wanted;
    for (const QString& p : paths) {
        if (QFileInfo::exists(p))
            wanted << p;
        const QString folder = QFileInfo(p).absolutePath();
        if (QFileInfo::exists(folder) && !wanted.contains(folder))
            wanted << folder;
    }
    QStringList watched = recentWatch_->files() + recentWatch_->directories();
    QStringList gone, added;
    for (const QString& w : watched)
        if (!wanted.contains(w))
            gone << w;
    for (const QString& w : wanted)
        if (!watched.contains(w))
            added << w;
    if (!gone.isEmpty())
        recentWatch_->removePaths(gone);
    if (!added.isEmpty())
        recentWatch_->addPaths(added);
}

void Sidebar::followActive()
{
    // A list the user is not moving through shows the open document as its current row.
    const DocPtr a = model_.active();
    for (GroupView* g : groupViews()) {
        DocListView* list = g->list();
        if (list->hasFocus())
            continue;
        const QModelIndex i = a ? list->indexOf(a->id) : QModelIndex();
        if (i.isValid())
            list->setCurrentIndex(i);
    }
}

void Sidebar::followPopup()
{
    // Only the rows whose tag button turns on or off are painted again.
    const std::optional<Popup>& popup = model_.popup();
    std::optional<QUuid> now;
    if (popup && popup->kind() == Popup::Kind::tags)
        now = popup->docID();
    const std::optional<QUuid> was = std::exchange(tagPopupDoc_, now);
    if (was == now)
        return;
    for (const std::optional<QUuid>& id : {was, now})
        if (id)
            for (GroupView* g : groupViews())
                if (const QModelIndex i = g->list()->indexOf(*id); i.isValid())
                    g->list()->update(i);
}

void Sidebar::rowChanged(const QModelIndex& from, const QModelIndex&)
{
    // A group's name, colour or count: its header. A document's row is the
    // lists' own business: they paint just the rows that changed.
    if (!from.parent().isValid())
        scheduleSync();
}

void Sidebar::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    if (shouldCap(groups(), model_.collapsed(), int(model_.recent().size()), scroll_->viewport()->height()) != lastCap_)
        scheduleSync();
}

QList<GroupView*> Sidebar::groupViews() const
{
    QList<GroupView*> out;
    for (int i = 0; i < groupList_->count(); ++i)
        if (auto* g = qobject_cast<GroupView*>(groupList_->itemAt(i)->widget()))
            out << g;
    return out;
}

namespace {

// A place the keyboard can stop at in the list: a document list's row, or a recent row.
struct Stop {
    QWidget* widget;
    int row;
};

}

bool Sidebar::focusList()
{
    const DocPtr active = model_.active();
    std::optional<Stop> first;
    for (GroupView* g : groupViews()) {
        DocListView* list = g->list();
        if (!list->isVisibleTo(this) || list->count() == 0)
            continue;
        if (const QModelIndex i = active ? list->indexOf(active->id) : QModelIndex(); i.isValid()) {
            first = Stop{list, i.row()};
            break;
        }
        if (!first)
            first = Stop{list, 0};
    }
    if (!first && !recentRows().isEmpty())
        first = Stop{recentRows().first(), -1};
    if (!first)
        return false;
    if (auto* list = qobject_cast<DocListView*>(first->widget)) {
        list->setCurrentIndex(list->model()->index(first->row, 0, list->rootIndex()));
        list->scrollTo(list->currentIndex());
    }
    first->widget->setFocus(Qt::ShortcutFocusReason);
    return true;
}

void Sidebar::step(QWidget* from, int key)
{
    // Every row of the whole list, top to bottom, as it is shown.
    QList<Stop> stops;
    qsizetype at = -1;
    for (GroupView* g : groupViews()) {
        DocListView* list = g->list();
        if (!list->isVisibleTo(content_))
            continue;
        for (int r = 0; r < list->count(); ++r) {
            if (list == from && r == list->currentIndex().row())
                at = stops.size();
            stops << Stop{list, r};
        }
    }
    for (RecentRow* r : recentRows())
        if (r->isVisibleTo(content_)) {
            if (r == from)
                at = stops.size();
            stops << Stop{r, -1};
        }
    if (stops.isEmpty())
        return;
    const qsizetype to = key == Qt::Key_Home ? 0
        : key == Qt::Key_End                 ? stops.size() - 1
        : at < 0                             ? 0
                                             : at + (key == Qt::Key_Down ? 1 : -1);
    if (to < 0 || to >= stops.size())
        return;
    const Stop next = stops[to];
    QRect shown;
    if (auto* list = qobject_cast<DocListView*>(next.widget)) {
        const QModelIndex i = list->model()->index(next.row, 0, list->rootIndex());
        list->setCurrentIndex(i);
        // A long group scrolls inside the list, which scrolls too.
        list->scrollTo(i);
        shown = QRect(list->viewport()->mapTo(content_, list->visualRect(i).topLeft()), list->visualRect(i).size());
    } else {
        shown = QRect(next.widget->mapTo(content_, QPoint()), next.widget->size());
    }
    next.widget->setFocus(Qt::OtherFocusReason);
    scroll_->ensureVisible(shown.center().x(), shown.center().y(), 0, shown.height() / 2 + 8);
}

std::optional<QRect> Sidebar::anchorRect(const QString& anchor, const QWidget* in) const
{
    // The row whose tag button was clicked, else the first row of that document shown.
    QList<DocListView*> lists;
    if (tagList_)
        lists << tagList_;
    for (GroupView* g : groupViews())
        lists << g->list();
    for (DocListView* list : lists) {
        if (!list->isVisible())
            continue;
        for (int r = 0; r < list->count(); ++r) {
            const QModelIndex i = list->model()->index(r, 0, list->rootIndex());
            const DocPtr d = list->docAt(i);
            if (!d || Popup::tags(d->id).anchor() != anchor)
                continue;
            const QRect rect = DocRowDelegate::tagRect(list->visualRect(i));
            if (list->viewport()->rect().contains(rect))
                return QRect(list->viewport()->mapTo(in, rect.topLeft()), rect.size());
        }
    }
    return std::nullopt;
}

QList<RecentRow*> Sidebar::recentRows() const
{
    QList<RecentRow*> out;
    for (int i = 0; i < recentList_->count(); ++i)
        if (auto* r = qobject_cast<RecentRow*>(recentList_->itemAt(i)->widget()))
            out << r;
    return out;
}

void Sidebar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Palette::sidebar().resolve());
    p.fillRect(QRect(width() - 1, 0, 1, height()), Palette::line().resolve());
}
