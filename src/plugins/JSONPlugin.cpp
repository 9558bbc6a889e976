#include "plugins/JSONPlugin.h"

#include "plugins/JSONText.h"

#include <exception>

namespace JSONPlugin {

namespace {
// One reading of a failed check, whichever form of the text was checked.
template <typename Check> QList<Diagnostic> diagnose(Check check)
{
    try {
        check();
    } catch (const PluginError& e) {
        return {Diagnostic{e.line.value_or(1), e.message, e.column}};
    } catch (const std::exception& e) {
        return {Diagnostic{1, QString::fromLocal8Bit(e.what()), std::nullopt}};
    }
    return {};
}
}

QList<Diagnostic> validate(const QString& text)
{
    return diagnose([&] { JSONText::check(text); });
}

QList<Diagnostic> validateUtf8(QByteArrayView utf8)
{
    return diagnose([&] { JSONText::checkUtf8(utf8); });
}

QString previewHTML(const QString& text) { return previewHTMLUtf8(text.toUtf8()); }

QString previewHTMLUtf8(QByteArrayView utf8)
{
    // Big files keep only the first part of the tree in memory.
    TreeBudget budget;
    return JSONText::parseUtf8Within(utf8, budget).treeHTML(&budget);
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
