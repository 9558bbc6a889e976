#include "views/sidebar/Sidebar.h"

#include "core/AppModel.h"
#include "editor/Palette.h"
#include "views/controls/Controls.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

Sidebar::Sidebar(AppModel& model, const AnchorSink& reportAnchor, QWidget* parent)
    : QFrame(parent), model_(model), reportAnchor_(reportAnchor)
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
    connect(&model_, &AppModel::collapsedChanged, this, &Sidebar::scheduleSync);
    connect(&model_, &AppModel::recentChanged, this, &Sidebar::syncRecent);
    connect(&model_, &AppModel::activeChanged, this, &Sidebar::refreshRows);
    connect(&model_, &AppModel::popupChanged, this, &Sidebar::refreshRows);
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
    for (const AppModel::Group& g : model_.groups()) {
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
            view->onRowMade = [this](DocRow* r) {
                if (reportAnchor_)
                    reportAnchor_(Popup::tags(r->doc()->id).anchor(), r->tagButton());
            };
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

void Sidebar::refreshRows()
{
    for (GroupView* g : groupViews())
        for (DocRow* r : g->findChildren<DocRow*>())
            r->refresh();
}

void Sidebar::rowChanged(const QModelIndex& from, const QModelIndex& to)
{
    // A group's name, colour or count: its header. A document's name, path or
    // unsaved mark: its rows, which typing leaves alone until the mark appears.
    if (!from.parent().isValid()) {
        scheduleSync();
        return;
    }
    for (int r = from.row(); r <= to.row(); ++r) {
        const QUuid id = from.siblingAtRow(r).data(DocumentModel::idRole).toUuid();
        for (GroupView* g : groupViews())
            for (DocRow* row : g->findChildren<DocRow*>())
                if (row->doc()->id == id)
                    row->refresh();
    }
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

bool Sidebar::focusList()
{
    ListRow* first = nullptr;
    for (GroupView* g : groupViews())
        for (DocRow* r : g->rows()) {
            if (!r->isVisibleTo(this))
                continue;
            if (model_.activeID() == r->doc()->id) {
                r->setFocus(Qt::ShortcutFocusReason);
                return true;
            }
            if (!first)
                first = r;
        }
    if (!first && !recentRows().isEmpty())
        first = recentRows().first();
    if (first)
        first->setFocus(Qt::ShortcutFocusReason);
    return first;
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
