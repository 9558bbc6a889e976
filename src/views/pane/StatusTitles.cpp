#include "views/pane/StatusTitles.h"

#include "plugins/PluginRegistry.h"

namespace StatusTitles {

QString format(const QString& name)
{
    if (const auto id = PluginRegistry::formatID(name))
        if (const FormatPlugin* p = PluginRegistry::pluginWithID(*id))
            return p->displayName;
    if (const auto ext = PluginRegistry::customExt(name))
        return u'.' + *ext + QStringLiteral(" · 纯文本");
    return QStringLiteral("无格式");
}

QString validation(const Doc& doc)
{
    if (!doc.plugin().validates)
        return {};
    const auto n = doc.diagnostics().size();
    return n == 0 ? QStringLiteral("● 校验通过") : QStringLiteral("● %1 个问题").arg(n);
}

QString strip(const Doc& doc)
{
    const auto& d = doc.diagnostics();
    if (d.isEmpty())
        return doc.plugin().displayName + QStringLiteral(" 格式正确");
    return QStringLiteral("第 %1 行 · ").arg(d.first().line) + d.first().message;
}

QString stripCount(const Doc& doc)
{
    const auto n = doc.diagnostics().size();
    return n > 1 ? QStringLiteral("共 %1 个问题").arg(n) : QString();
}

}
