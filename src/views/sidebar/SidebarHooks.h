#pragma once

#include "core/Doc.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QUuid>
#include <functional>
#include <optional>

class QWidget;

// One group of the sidebar: a tag with its open documents, or "_" for the
// untagged ones.
struct SidebarGroup {
    QString id;
    QString name;
    QColor color;
    QList<DocPtr> docs;
};

// The workspace operations the sidebar calls that live outside the base
// model (grouping, ordering, tagging, closing, popups). The window fills
// them in from AppModel; tests record the calls.
struct SidebarHooks {
    std::function<QList<SidebarGroup>()> groups;
    std::function<void(QUuid id, std::optional<QUuid> before)> move;
    std::function<void(const DocPtr&, int by)> step;
    std::function<void(const QString& tagID, const DocPtr&)> toggleTag;
    std::function<void(const DocPtr&)> close;
    std::function<void(const DocPtr&)> askRename;
    std::function<void(const QString& anchor)> togglePopup;
    // The opening control of a popup reports where it is.
    std::function<void(const QString& anchor, QWidget*)> reportAnchor;
    std::function<void(const QString& path)> reveal;
};
