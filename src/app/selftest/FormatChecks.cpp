#include "app/selftest/SelfTests.h"
#include "plugins/CSV.h"
#include "plugins/JSONPlugin.h"
#include "plugins/JSONText.h"
#include "plugins/TOMLPlugin.h"
#include "plugins/YAML.h"
#include "plugins/YAMLPlugin.h"

#include <optional>

namespace SelfTests {

namespace {

QString describe(const QList<Diagnostic>& diagnostics)
{
    QStringList parts;
    for (const Diagnostic& d : diagnostics)
        parts << QStringLiteral("%1: %2").arg(d.line).arg(d.message);
    return parts.join(QStringLiteral("; "));
}

bool firstOnLine(const QList<Diagnostic>& diagnostics, int line)
{
    return !diagnostics.isEmpty() && diagnostics.first().line == line;
}

template <typename Parse> std::optional<TreeNode> parsed(Parse parse, const QString& text, const char* label)
{
    try {
        TreeNode node = parse(text);
        check(true, label);
        return node;
    } catch (const PluginError& e) {
        check(false, label, e.message);
        return std::nullopt;
    }
}

const TreeNode* valueOf(const TreeNode& map, const QString& key)
{
    for (const auto& [k, v] : map.pairs)
        if (k == key)
            return &v;
    return nullptr;
}

}

void json()
{
    const QString sample = QStringLiteral(R"({"b":1,"a":[true,null,"x\n"],"c":{"d":-1.5e3}})");
    if (const auto tree = parsed(JSONText::parse, sample, "✗ JSON 解析 ")) {
        const QString compact = JSONText::compact(*tree);
        check(compact == sample, "✗ JSON 压缩保序 ", compact);
        const QString pretty = JSONText::pretty(*tree, QString());
        check(pretty.startsWith(QStringLiteral("{\n  \"b\": 1,")), "✗ JSON 格式化 ", pretty.left(40));
    }
    const auto trailing = JSONPlugin::validate(QStringLiteral("{\n  \"a\": 1,\n}"));
    check(firstOnLine(trailing, 3), "✗ JSON 末尾逗号报行号 ", describe(trailing));
    const auto colon = JSONPlugin::validate(QStringLiteral("{\n\"a\" 1}"));
    check(firstOnLine(colon, 2), "✗ JSON 缺冒号行号 ", describe(colon));

    const QString raw = QStringLiteral("a\"b\n");
    const QString escaped = JSONText::escape(raw);
    check(escaped == QStringLiteral("a\\\"b\\n"), "✗ 转义 ", escaped);
    try {
        const QString back = JSONText::unescape(escaped);
        check(back == raw, "✗ 反转义 ", back);
    } catch (const PluginError& e) {
        check(false, "✗ 反转义 ", e.message);
    }
    try {
        const QString han = JSONText::unescape(QStringLiteral("\"\\u4e2d\""));
        check(han == QStringLiteral("中"), "✗ 反转义 \\u ", han);
    } catch (const PluginError& e) {
        check(false, "✗ 反转义 \\u ", e.message);
    }
}

void yaml()
{
    const QString sample = QStringLiteral("service: sync\nreplicas: 2\nimage:\n  tag: \"1.4\"\nenv:\n  - name: A\n"
                                          "    value: x\n  - name: B\nlist: [1, 2]\ntext: |\n  line1\n  line2");
    if (const auto root = parsed(YAML::parse, sample, "✗ YAML 合法样例 ")) {
        check(root->kind == TreeNode::Kind::map, "✗ YAML 根应为映射 ");
        QStringList keys;
        for (const auto& pair : root->pairs)
            keys << pair.first;
        check(keys == QStringList({"service", "replicas", "image", "env", "list", "text"}), "✗ YAML 键顺序 ",
              keys.join(QLatin1Char(',')));
        const TreeNode* env = valueOf(*root, QStringLiteral("env"));
        check(env && env->kind == TreeNode::Kind::list, "✗ YAML env 应为序列 ");
        check(env && env->items.size() == 2, "✗ YAML 序列项 ");
        const TreeNode* text = valueOf(*root, QStringLiteral("text"));
        check(text && text->scalar == QStringLiteral("line1\nline2\n"), "✗ YAML 块标量 ",
              text ? text->scalar : QString());
        check(text && text->kind == TreeNode::Kind::string, "✗ YAML 块标量类型 ");
    }
    const auto expectFirst = [](const QString& text, int line, const char* label) {
        const auto found = YAMLPlugin::validate(text);
        check(firstOnLine(found, line), label, describe(found));
    };
    expectFirst(QStringLiteral("a: 1\n  b: 2"), 2, "✗ YAML 缩进错误行号 ");
    expectFirst(QStringLiteral("a: 1\na: 2"), 2, "✗ YAML 重复键 ");
    expectFirst(QStringLiteral("a: \"x"), 1, "✗ YAML 引号未闭合 ");
    expectFirst(QStringLiteral("a:\n\t- x"), 2, "✗ YAML Tab 缩进 ");
}

void toml()
{
    const auto valid = TOMLPlugin::validate(
        QStringLiteral("[package]\nname = \"x\"\nversion = \"0.1\" # c\n\n[deps]\nserde = { version = \"1\" }\n"
                       "list = [\n  1,\n  2,\n]\nd = 2026-11-11\n"));
    check(valid.isEmpty(), "✗ TOML 合法样例 ", describe(valid));
    const auto broken = TOMLPlugin::validate(QStringLiteral("[a]\nx = \"1\ny = fast\n[a]\n"));
    QList<int> lines;
    for (const Diagnostic& d : broken)
        lines << d.line;
    check(lines == QList<int>({2, 3, 4}), "✗ TOML 错误行号 ", describe(broken));
}

void csv()
{
    const auto rows = CSV::parse(QStringLiteral("a,b\n1,\"x, y\"\n2,\"he said \"\"hi\"\"\"\n"), QLatin1Char(','));
    const bool shaped = rows.size() == 3 && rows[1].size() > 1 && rows[2].size() > 1;
    check(shaped && rows[1][1] == QStringLiteral("x, y") && rows[2][1] == QStringLiteral("he said \"hi\""),
          "✗ CSV 引号与逗号 ", QString::number(rows.size()));
    check(CSV::detectSeparator(QStringLiteral("a\tb\tc\n")) == QLatin1Char('\t'), "✗ CSV 识别 Tab ");
}

}
