#include "core/AppModel.h"

#include "core/AnalysisQueue.h"
#include "core/EditorLink.h"

#include <QTimer>

AppModel::AppModel(std::unique_ptr<Preferences> ud, QObject* parent)
    : QObject(parent), ud_(ud ? std::move(ud) : std::make_unique<Preferences>())
{
    connect(&disk_, &DiskWatcher::reloadWanted, this, &AppModel::reloadChanged);
    connect(&documents_, &DocumentModel::listChanged, this, &AppModel::docsChanged);
    // Before anyone else hears of the new tags, so that the groups they look at are current.
    connect(&tags_, &TagStore::tagsChanged, this, [this] { docGroups_.setTags(tags_.tags()); });
    connect(&tags_, &TagStore::tagsChanged, this, &AppModel::tagsChanged);
    connect(&tags_, &TagStore::collapsedChanged, this, &AppModel::collapsedChanged);
    connect(&session_, &SessionStore::recentChanged, this, &AppModel::recentChanged);
    connect(&session_, &SessionStore::settingsChanged, this, &AppModel::settingsChanged);
    connect(&view_, &ViewState::fullScreenChanged, this, &AppModel::fullScreenChanged);
    connect(&view_, &ViewState::showNewFileChanged, this, &AppModel::showNewFileChanged);
    connect(&view_, &ViewState::dialogChanged, this, &AppModel::dialogChanged);
    connect(&view_, &ViewState::dialogInputChanged, this, &AppModel::dialogInputChanged);
    connect(&view_, &ViewState::popupChanged, this, &AppModel::popupChanged);
    connect(&view_, &ViewState::toastChanged, this, &AppModel::toastChanged);
    connect(&view_, &ViewState::multiCaretCountChanged, this, &AppModel::multiCaretCountChanged);
    connect(&view_, &ViewState::zoomChanged, this, &AppModel::zoomChanged);
}

AppModel::~AppModel()
{
    for (const auto& c : bag_)
        disconnect(c);
}

AppModel& AppModel::shared()
{
    // Lives until the process ends, like the application object's children.
    static AppModel* instance = new AppModel;
    return *instance;
}

DocPtr AppModel::active() const { return documents_.active(); }

DocPtr AppModel::doc(QUuid id) const { return documents_.doc(id); }

DocPtr AppModel::docAt(const QString& path) const { return OpenPaths::find(docs(), path); }

#define LV_MODEL_SETTER(fn, member, signal, Type) \
    void AppModel::fn(Type v)                     \
    {                                             \
        if ((member) == v)                        \
            return;                               \
        (member) = std::move(v);                  \
        emit signal();                            \
    }

void AppModel::setActiveID(std::optional<QUuid> v)
{
    if (!documents_.setActiveID(v))
        return;
    // The document on screen gets its own analysis lane.
    const DocPtr shown = active();
    AnalysisQueue::shared().setShown(shown.get());
    emit activeChanged();
}
#undef LV_MODEL_SETTER
