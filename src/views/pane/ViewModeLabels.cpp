#include "views/pane/ViewModeLabels.h"

namespace ViewModeLabels {

QString title(ViewMode mode)
{
    switch (mode) {
    case ViewMode::editor: return QStringLiteral("编辑");
    case ViewMode::split: return QStringLiteral("编辑与预览");
    case ViewMode::preview: return QStringLiteral("预览");
    }
    return {};
}

QString icon(ViewMode mode)
{
    switch (mode) {
    case ViewMode::editor: return QStringLiteral("pencil");
    case ViewMode::split: return QStringLiteral("rectangle.split.2x1");
    case ViewMode::preview: return QStringLiteral("eye");
    }
    return {};
}

}
