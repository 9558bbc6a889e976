#include "core/AppModel.h"

#include "core/EditorLink.h"

AppModel::AppModel(std::unique_ptr<Preferences> ud, QObject* parent)
    : QObject(parent), ud_(ud ? std::move(ud) : std::make_unique<Preferences>())
{
    // Before anyone else hears of the new tags, so that the groups they look at are current.
    connect(&tags_, &TagStore::tagsChanged, this, [this] { docGroups_.setTags(tags_.tags()); });
}

AppModel::~AppModel() = default;

bool AppModel::wraps(const Doc& doc) const { return doc.wrapChoice().value_or(settings().wrapFor(doc.plugin().id)); }

void AppModel::toggleWrap()
{
    if (const DocPtr a = active())
        a->setWrapChoice(!wraps(*a));
}
