#include "views/overlays/Feature.h"

#include "core/EditorLink.h"
#include "views/state/WindowModel.h"

const QList<Feature>& Feature::all()
{
    static const QList<Feature> list = {
        {QStringLiteral("find"), QStringLiteral("查找"), QStringLiteral("magnifyingglass"), QStringLiteral("Ctrl+F"),
         [](const WindowModel& m) { return m.find().visible() && !m.find().replaceVisible(); },
         [](WindowModel& m) { m.openFind(false); }},
        {QStringLiteral("replace"), QStringLiteral("查找和替换"), QStringLiteral("arrow.left.arrow.right"),
         QStringLiteral("Ctrl+Shift+F"),
         [](const WindowModel& m) { return m.find().visible() && m.find().replaceVisible(); },
         [](WindowModel& m) { m.openFind(true); }},
        {QStringLiteral("wrap"), QStringLiteral("自动换行"), QStringLiteral("text.word.spacing"),
         QStringLiteral("Ctrl+Alt+W"),
         [](const WindowModel& m) {
             const DocPtr a = m.active();
             return a && m.wraps(*a);
         },
         [](WindowModel& m) { m.toggleWrap(); }},
        {QStringLiteral("split"), QStringLiteral("拆分为行"),
         QStringLiteral("text.line.last.and.arrowtriangle.forward"), QStringLiteral("Ctrl+Shift+L"),
         [](const WindowModel& m) { return m.multiCaretCount().has_value(); },
         [](WindowModel& m) {
             if (DocPtr a = m.active(); a && m.editorLink())
                 m.editorLink()->toggleMultiCaret(a);
         }},
    };
    return list;
}

const Feature& Feature::byID(const QString& id)
{
    for (const Feature& f : all())
        if (f.id == id)
            return f;
    Q_UNREACHABLE();
}
