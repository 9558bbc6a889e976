#include "core/AppModel.h"

#include "core/EditorLink.h"

AppModel::AppModel(std::unique_ptr<Preferences> ud, QObject* parent)
    : QObject(parent), ud_(ud ? std::move(ud) : std::make_unique<Preferences>())
{
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
    connect(&manager_, &DocumentManager::activeChanged, this, &AppModel::activeChanged);
    // The find bar goes with the last document.
    connect(&manager_.saver(), &DocumentSaver::removed, this, [this] {
        if (docs().isEmpty())
            find_.setVisible(false);
    });
}

AppModel::~AppModel() = default;

AppModel& AppModel::shared()
{
    // Lives until the process ends, like the application object's children.
    static AppModel* instance = new AppModel;
    return *instance;
}
