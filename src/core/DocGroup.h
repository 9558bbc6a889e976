#pragma once

#include "core/Doc.h"

#include <QList>
#include <QString>
#include <optional>

// One sidebar group: a tag with its open documents, or "_" for the untagged.
struct DocGroup {
    QString id;
    QString name;
    // The tag's colour index (Tag::color); absent for the untagged group,
    // which the views draw in the tertiary foreground colour.
    std::optional<int> color;
    QList<DocPtr> docs;
};
