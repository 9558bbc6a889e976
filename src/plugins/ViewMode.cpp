#include "plugins/ViewMode.h"

QString ViewMode::rawValue() const
{
    switch (v_) {
    case editor: return QStringLiteral("editor");
    case split: return QStringLiteral("split");
    case preview: return QStringLiteral("preview");
    }
    return {};
}

QString ViewMode::title() const
{
    switch (v_) {
    case editor: return QStringLiteral("编辑");
    case split: return QStringLiteral("编辑与预览");
    case preview: return QStringLiteral("预览");
    }
    return {};
}

QString ViewMode::symbol() const
{
    switch (v_) {
    case editor: return QStringLiteral("pencil");
    case split: return QStringLiteral("rectangle.split.2x1");
    case preview: return QStringLiteral("eye");
    }
    return {};
}

std::optional<ViewMode> ViewMode::fromRawValue(const QString& raw)
{
    for (ViewMode m : allCases())
        if (m.rawValue() == raw)
            return m;
    return std::nullopt;
}

const QList<ViewMode>& ViewMode::allCases()
{
    static const QList<ViewMode> all{editor, split, preview};
    return all;
}
