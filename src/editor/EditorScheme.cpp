#include "editor/EditorScheme.h"

// Line numbers are text too: every gutter colour reads at 4.5:1 on its background.
const QList<EditorScheme>& EditorScheme::all()
{
    static const QList<EditorScheme> schemes = {
        {QStringLiteral("graphite"),
         QStringLiteral("石墨"),
         DynamicColor(0xfbfbfa, 0x1b1e22),
         DynamicColor(0x24292f, 0xd8dce1),
         DynamicColor(0x6c747f, 0x7e8794),
         {DynamicColor(0x0550ae, 0x79c0ff), DynamicColor(0x116329, 0x9bd8a0), DynamicColor(0x953800, 0xffa657),
          DynamicColor(0x6f42c1, 0xd2a8ff), DynamicColor(0x5c6670, 0x8b949e), DynamicColor(0x66707a, 0x8b949e),
          DynamicColor(0x8c1d18, 0xf2cc60), DynamicColor(0x0969da, 0x58a6ff), DynamicColor(0xcf222e, 0xff7b72)},
         std::nullopt},
        {QStringLiteral("paper"),
         QStringLiteral("纸张"),
         DynamicColor(0xf6f2e9),
         DynamicColor(0x3a352c),
         DynamicColor(0x766c57),
         {DynamicColor(0x1d4f91), DynamicColor(0x4a6b14), DynamicColor(0x9a3d00), DynamicColor(0x7a3e9d),
          DynamicColor(0x6f6553), DynamicColor(0x6d6554), DynamicColor(0x8c2f1f), DynamicColor(0x1f5fa8),
          DynamicColor(0xa8323e)},
         false},
        {QStringLiteral("night"),
         QStringLiteral("夜航"),
         DynamicColor(0x14181f),
         DynamicColor(0xc9d3e0),
         DynamicColor(0x74839a),
         {DynamicColor(0x82aaff), DynamicColor(0xc3e88d), DynamicColor(0xf78c6c), DynamicColor(0xc792ea),
          DynamicColor(0x7f8da3), DynamicColor(0x7a879b), DynamicColor(0xffcb6b), DynamicColor(0x89ddff),
          DynamicColor(0xff757f)},
         true},
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
