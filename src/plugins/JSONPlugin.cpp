#include "plugins/JSONPlugin.h"

#include "plugins/JSONText.h"

#include <exception>

namespace JSONPlugin {

QList<Diagnostic> validate(const QString& text)
{
    try {
        JSONText::check(text);
    } catch (const PluginError& e) {
        return {Diagnostic{e.line.value_or(1), e.message, e.column}};
    } catch (const std::exception& e) {
        return {Diagnostic{1, QString::fromLocal8Bit(e.what())}};
    }
    return {};
}

QString previewHTML(const QString& text)
{
    // Big files keep only the first part of the tree in memory.
    TreeBudget budget;
    return JSONText::parseWithin(text, budget).treeHTML(&budget);
}

QList<PluginAction> actions()
{
    return {
        {QStringLiteral("格式化"),
         [](const QString& t) { return JSONText::pretty(JSONText::parse(t), QString()) + QLatin1Char('\n'); }},
        {QStringLiteral("压缩"), [](const QString& t) { return JSONText::compact(JSONText::parse(t)); }},
        {QStringLiteral("转义"), [](const QString& t) { return JSONText::escape(t); }},
        {QStringLiteral("反转义"), [](const QString& t) { return JSONText::unescape(t); }},
    };
}

}
