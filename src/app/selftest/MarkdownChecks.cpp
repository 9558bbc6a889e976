#include "app/selftest/SelfTests.h"
#include "plugins/Markdown.h"

namespace SelfTests {

void markdown()
{
    const QString sample = Markdown::html(QStringLiteral(
        "# T\n\n- [x] done\n- b\n  - c\n\n| a | b |\n|---|--:|\n| 1 | 2 |\n\n```js\n<x>\n```\n**b** `c`"));
    check(sample.contains(QStringLiteral("<h1>T</h1>")), "✗ MD 标题 ");
    check(sample.contains(QStringLiteral("checkbox")) && sample.contains(QStringLiteral("checked")), "✗ MD 任务列表 ");
    check(sample.contains(QStringLiteral("<li>b<ul><li>c</li></ul>")), "✗ MD 嵌套列表 ");
    check(sample.contains(QStringLiteral("<th>a</th>")) && sample.contains(QStringLiteral("text-align:right")),
          "✗ MD 表格 ");
    check(sample.contains(QStringLiteral("&lt;x&gt;")), "✗ MD 代码转义 ");
    check(sample.contains(QStringLiteral("<strong>b</strong>")) && sample.contains(QStringLiteral("<code>c</code>")),
          "✗ MD 行内 ");

    const QString details = QStringLiteral("<details><summary>memo</summary><ol><li>a &lt; b</li></ol></details>");
    const QString raw = Markdown::html(
        details
        + QStringLiteral(
            "\n\n# T\n\n文本 <b>粗</b> &amp; <span onclick=\"x()\">s</span>\n\n<script>alert(1)</script>"));
    check(raw.contains(details), "✗ MD 块级 HTML 透传 ");
    check(raw.contains(QStringLiteral("<b>粗</b> &amp; <span>s</span>")), "✗ MD 行内 HTML 与实体 ");
    check(!raw.contains(QStringLiteral("<script")) && !raw.contains(QStringLiteral("onclick")), "✗ MD 过滤脚本与事件 ");
}

}
