#include "plugins/YAMLPlugin.h"

#include "plugins/YAML.h"

#include <exception>

namespace YAMLPlugin {

QList<Diagnostic> validate(const QString& text)
{
    try {
        YAML::parse(text);
    } catch (const PluginError& e) {
        return {Diagnostic{e.line.value_or(1), e.message}};
    } catch (const std::exception& e) {
        return {Diagnostic{1, QString::fromLocal8Bit(e.what())}};
    }
    return {};
}

QString previewHTML(const QString& text) { return YAML::parse(text).treeHTML(); }

}
