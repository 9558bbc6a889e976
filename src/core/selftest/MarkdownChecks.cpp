#include "core/selftest/SelfTests.h"
#include "plugins/Markdown.h"

namespace SelfTests {

void markdown()
{
    const QString h = Markdown::html(QStringLiteral(
        "# T\n\n- [x] done\n- b\n  - c\n\n| a | b |\n|---|--:|\n| 1 | 2 |\n\n```js\n<x>\n```\n**b** `c`"));
    check(h.contains(QLatin1String("<h1>T</h1>")), "✗ MD 标题 ");
    check(h.contains(QLatin1String("checkbox")) && h.contains(QLatin1String("checked")), "✗ MD 任务列表 ");
    check(h.contains(QLatin1String("<li>b<ul><li>c</li></ul>")), "✗ MD 嵌套列表 ");
    check(h.contains(QLatin1String("<th>a</th>")) && h.contains(QLatin1String("text-align:right")), "✗ MD 表格 ");
    check(h.contains(QLatin1String("&lt;x&gt;")), "✗ MD 代码转义 ");
    check(h.contains(QLatin1String("<strong>b</strong>")) && h.contains(QLatin1String("<code>c</code>")), "✗ MD 行内 ");

    const QString details = QStringLiteral("<details><summary>memo</summary><ol><li>a &gt; b</li></ol></details>");
    const QString r = Markdown::html(details + QStringLiteral(
        "\n\n# T\n\n文本 <b>粗</b> &amp; <span onclick=\"x()\">s</span>\n\n<script>alert(1)</script>"));
    check(r.contains(details), "✗ MD 块级 HTML 透传 ");
    check(r.contains(QStringLiteral("<b>粗</b> &amp; <span>s</span>")), "✗ MD 行内 HTML 与实体 ");
    check(!r.contains(QLatin1String("script")) && !r.contains(QLatin1String("onclick")), "✗ MD 过滤脚本与事件 ");
}

}
