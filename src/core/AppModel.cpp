#include "core/AppModel.h"

#include "core/EditorLink.h"

AppModel::AppModel(std::unique_ptr<Preferences> ud, QObject* parent)
    : QObject(parent), ud_(ud ? std::move(ud) : std::make_unique<Preferences>())
{
    // Before anyone else hears of the new tags, so that the groups they look at are current.
    connect(&tags_, &TagStore::tagsChanged, this, [this] { docGroups_.setTags(tags_.tags()); });
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
