#include "plugins/PluginRegistry.h"

#include "plugins/CSVPlugin.h"
#include "plugins/FileName.h"
#include "plugins/JSONPlugin.h"
#include "plugins/MarkdownPlugin.h"
#include "plugins/PlantUMLPlugin.h"
#include "plugins/TOMLPlugin.h"
#include "plugins/YAMLPlugin.h"

namespace PluginRegistry {

namespace {

const QList<ViewMode> allModes{ViewMode::editor, ViewMode::split, ViewMode::preview};

QList<FormatPlugin> build()
{
    QList<FormatPlugin> list;

    FormatPlugin md;
    md.id = QStringLiteral("markdown");
    md.displayName = QStringLiteral("Markdown");
    md.summary = QStringLiteral("实时渲染");
    md.extensions = {QStringLiteral("md"), QStringLiteral("markdown"), QStringLiteral("mdown")};
    md.viewModes = allModes;
    md.comment = {{}, QStringLiteral("<!--"), QStringLiteral("-->")};
    md.templateText = QStringLiteral("# 标题\n\n");
    md.previewFn = &MarkdownPlugin::previewHTML;
    list << md;

    FormatPlugin puml;
    puml.id = QStringLiteral("plantuml");
    puml.displayName = QStringLiteral("PlantUML");
    puml.summary = QStringLiteral("图表渲染");
    puml.extensions = {QStringLiteral("puml"), QStringLiteral("plantuml"), QStringLiteral("pu"), QStringLiteral("uml")};
    puml.viewModes = allModes;
    puml.comment.line = QStringLiteral("'");
    puml.templateText = QStringLiteral("@startuml\nA -> B : 你好\n@enduml\n");
    puml.validates = true;
    puml.validateFn = &PlantUMLPlugin::validate;
    puml.previewFn = &PlantUMLPlugin::previewHTML;
    list << puml;

    FormatPlugin json;
    json.id = QStringLiteral("json");
    json.displayName = QStringLiteral("JSON");
    json.summary = QStringLiteral("树形 · 转义");
    json.extensions = {QStringLiteral("json"), QStringLiteral("jsonc"), QStringLiteral("geojson")};
    json.viewModes = allModes;
    json.actions = JSONPlugin::actions();
    json.templateText = QStringLiteral("{\n  \n}\n");
    json.validates = true;
    json.validateFn = &JSONPlugin::validate;
    json.previewFn = &JSONPlugin::previewHTML;
    json.validateUtf8Fn = &JSONPlugin::validateUtf8;
    json.previewUtf8Fn = &JSONPlugin::previewHTMLUtf8;
    list << json;

    FormatPlugin yaml;
    yaml.id = QStringLiteral("yaml");
    yaml.displayName = QStringLiteral("YAML");
    yaml.summary = QStringLiteral("校验 · 树形");
    yaml.extensions = {QStringLiteral("yaml"), QStringLiteral("yml")};
    yaml.viewModes = allModes;
    yaml.comment.line = QStringLiteral("#");
    yaml.templateText = QStringLiteral("key: value\n");
    yaml.validates = true;
    yaml.validateFn = &YAMLPlugin::validate;
    yaml.previewFn = &YAMLPlugin::previewHTML;
    list << yaml;

    FormatPlugin toml;
    toml.id = QStringLiteral("toml");
    toml.displayName = QStringLiteral("TOML");
    toml.summary = QStringLiteral("格式校验");
    toml.extensions = {QStringLiteral("toml")};
    toml.comment.line = QStringLiteral("#");
    toml.templateText = QStringLiteral("[section]\nkey = \"value\"\n");
    toml.validates = true;
    toml.validateFn = &TOMLPlugin::validate;
    list << toml;

    FormatPlugin csv;
    csv.id = QStringLiteral("csv");
    csv.displayName = QStringLiteral("CSV");
    csv.summary = QStringLiteral("表格渲染");
    csv.extensions = {QStringLiteral("csv"), QStringLiteral("tsv")};
    csv.viewModes = allModes;
    csv.templateText = QStringLiteral("列1,列2\n");
    csv.previewFn = &CSVPlugin::previewHTML;
    csv.previewUtf8Fn = &CSVPlugin::previewHTMLUtf8;
    list << csv;

    FormatPlugin text;
    text.id = QStringLiteral("text");
    text.displayName = QStringLiteral("纯文本");
    text.summary = QStringLiteral("无渲染");
    text.extensions = {QStringLiteral("txt"), QStringLiteral("text"), QStringLiteral("log")};
    // Files of unknown kinds open as plain text, most of them scripts and
    // settings that comment with #.
    text.comment.line = QStringLiteral("#");
    list << text;

    return list;
}

const FormatPlugin* byExtension(const QString& ext)
{
    if (ext.isEmpty())
        return nullptr;
    for (const FormatPlugin& p : all())
        if (p.extensions.contains(ext))
            return &p;
    return nullptr;
}

}

const QList<FormatPlugin>& all()
{
    static const QList<FormatPlugin> plugins = build();
    return plugins;
}

const QList<Entry>& catalog()
{
    static const QList<Entry> entries = [] {
        QList<Entry> e;
        for (const FormatPlugin& p : all())
            e.append({p.id, p.displayName, p.summary, p.defaultExt()});
        return e;
    }();
    return entries;
}

const FormatPlugin& plainText() { return all().last(); }

namespace {

// The CSV format as a .tsv file uses it: the same entry, split at tabs only.
const FormatPlugin& tsv()
{
    static const FormatPlugin plugin = [] {
        FormatPlugin p = *pluginWithID(QStringLiteral("csv"));
        p.previewFn = &CSVPlugin::previewTSV;
        p.previewUtf8Fn = &CSVPlugin::previewTSVUtf8;
        return p;
    }();
    return plugin;
}

}

const FormatPlugin& plugin(const QString& forName)
{
    const QString ext = FileName::ext(forName);
    if (ext == QLatin1String("tsv"))
        return tsv();
    const FormatPlugin* p = byExtension(ext);
    return p ? *p : plainText();
}

const FormatPlugin* pluginWithID(const QString& id)
{
    for (const FormatPlugin& p : all())
        if (p.id == id)
            return &p;
    return nullptr;
}

std::optional<QString> formatID(const QString& forName)
{
    if (const FormatPlugin* p = byExtension(FileName::ext(forName)))
        return p->id;
    return std::nullopt;
}

std::optional<QString> customExt(const QString& forName)
{
    const QString ext = FileName::ext(forName);
    if (ext.isEmpty() || formatID(forName))
        return std::nullopt;
    return ext;
}

}
