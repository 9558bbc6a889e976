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
