#include "editor/EditorScheme.h"

const QList<EditorScheme>& EditorScheme::all()
{
    static const QList<EditorScheme> schemes = {
        {QStringLiteral("graphite"), QStringLiteral("石墨"), DynamicColor(0xfbfbfa, 0x1b1e22),
         DynamicColor(0x24292f, 0xd8dce1), DynamicColor(0xa3a9b1, 0x555c66), std::nullopt},
        {QStringLiteral("paper"), QStringLiteral("纸张"), DynamicColor(0xf6f2e9), DynamicColor(0x3a352c),
         DynamicColor(0xb3aa98), false},
        {QStringLiteral("night"), QStringLiteral("夜航"), DynamicColor(0x14181f), DynamicColor(0xc9d3e0),
         DynamicColor(0x4a5566), true},
    };
    return schemes;
}

const EditorScheme& EditorScheme::graphite() { return all()[0]; }
const EditorScheme& EditorScheme::paper() { return all()[1]; }
const EditorScheme& EditorScheme::night() { return all()[2]; }

const EditorScheme& EditorScheme::find(const QString& id)
{
    for (const EditorScheme& s : all())
        if (s.id == id)
            return s;
    return graphite();
}
