#include "core/AppModel.h"

#include "core/AnalysisQueue.h"
#include "core/EditorLink.h"

#include <QTimer>

AppModel::AppModel(std::unique_ptr<Preferences> ud, QObject* parent)
    : QObject(parent), ud_(ud ? std::move(ud) : std::make_unique<Preferences>())
{
    toastWork_ = new QTimer(this);
    toastWork_->setSingleShot(true);
    connect(toastWork_, &QTimer::timeout, this, [this] { setToast(std::nullopt); });
    connect(&disk_, &DiskWatcher::reloadWanted, this, &AppModel::reloadChanged);
    connect(&documents_, &DocumentModel::listChanged, this, &AppModel::docsChanged);
    // Before anyone else hears of the new tags, so that the groups they look at are current.
    connect(&tags_, &TagStore::tagsChanged, this, [this] { docGroups_.setTags(tags_.tags()); });
    connect(&tags_, &TagStore::tagsChanged, this, &AppModel::tagsChanged);
    connect(&tags_, &TagStore::collapsedChanged, this, &AppModel::collapsedChanged);
    connect(&session_, &SessionStore::recentChanged, this, &AppModel::recentChanged);
    connect(&session_, &SessionStore::settingsChanged, this, &AppModel::settingsChanged);
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

void AppModel::setShowNewFile(bool v)
{
    if (showNewFile_ == v)
        return;
    showNewFile_ = v;
    emit showNewFileChanged();
    if (v) {
        setPopup(std::nullopt);
        if (editorLink_)
            editorLink_->releaseFocus();
    } else if (DocPtr a = active(); a && editorLink_) {
        editorLink_->focus(a);
    }
}

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
LV_MODEL_SETTER(setIsFullScreen, isFullScreen_, fullScreenChanged, bool)
LV_MODEL_SETTER(setDialog, dialog_, dialogChanged, std::optional<Dialog>)
LV_MODEL_SETTER(setDialogInput, dialogInput_, dialogInputChanged, const QString&)
LV_MODEL_SETTER(setPopup, popup_, popupChanged, std::optional<Popup>)
LV_MODEL_SETTER(setToast, toast_, toastChanged, std::optional<QString>)
LV_MODEL_SETTER(setMultiCaretCount, multiCaretCount_, multiCaretCountChanged, std::optional<int>)
LV_MODEL_SETTER(setZoom, zoom_, zoomChanged, int)
#undef LV_MODEL_SETTER
