#include "app/selftest/SelfTests.h"
#include "plugins/FileName.h"
#include "plugins/PluginRegistry.h"

namespace SelfTests {

void fileNames()
{
    check(FileName::ext(QStringLiteral("a.JSON")) == QStringLiteral("json"), "✗ ext 小写 ");
    check(FileName::ext(QStringLiteral("Makefile")).isEmpty(), "✗ 无后缀 ");
    check(FileName::ext(QStringLiteral(".zshrc")).isEmpty(), "✗ 隐藏文件无后缀 ");
    check(FileName::base(QStringLiteral("a.b.md")) == QStringLiteral("a.b"), "✗ base ");
    const FormatPlugin* plain = &PluginRegistry::plainText();
    check(&PluginRegistry::plugin(QStringLiteral("未命名")) == plain, "✗ 无后缀回落纯文本 ");
    check(&PluginRegistry::plugin(QStringLiteral("x.yml")) == PluginRegistry::pluginWithID(QStringLiteral("yaml")),
          "✗ yml → YAML ");
    check(&PluginRegistry::plugin(QStringLiteral("q.sql")) == plain, "✗ 未知后缀回落纯文本 ");
    check(PluginRegistry::customExt(QStringLiteral("q.sql")) == QStringLiteral("sql")
              && !PluginRegistry::customExt(QStringLiteral("a.md"))
              && !PluginRegistry::customExt(QStringLiteral("未命名")),
          "✗ 自定义后缀识别 ");
}

}
