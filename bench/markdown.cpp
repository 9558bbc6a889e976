// Markdown preview rendering time on realistic notes, 1 MB and 10 MB.
#include "plugins/MarkdownPlugin.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char* section =
    "## 第 %1 节：发布说明\n\n"
    "本节介绍 **新功能** 与 `config.yaml` 的变化，详见 https://example.com/docs/%1 以及 [手册](https://example.com/m)。\n"
    "第二行带有 *强调*、~~删除~~ 与 snake_case_name，以及一个 <b>内联</b> 标签 &amp; 实体。\n\n"
    "- [x] 完成迁移\n- [ ] 更新文档\n  - 子项目 _一_\n  - 子项目 二\n1. 第一步\n2. 第二步\n\n"
    "| 模块 | 状态 | 耗时 |\n|:---|:--:|---:|\n| 解析 | 通过 | 12 |\n| 渲染 | 通过 | 34 |\n\n"
    "> 引用一段话，\n> 带有 `code` 片段。\n\n"
    "```cpp\nint main() { return 0; }\n```\n\n";

QString document(qsizetype bytes)
{
    QString out;
    for (int i = 0; out.toUtf8().size() < bytes; ++i) {
        QString chunk;
        for (int k = 0; k < 64; ++k)
            chunk += QString::fromUtf8(section).arg(i * 64 + k);
        out += chunk;
    }
    return out;
}

void bench(const char* label, qsizetype bytes, int runs)
{
    const QString text = document(bytes);
    std::vector<double> times;
    qsizetype out = 0;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        out = MarkdownPlugin::previewHTML(text).size();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-28s %6.1f MB  median %8.1f ms  best %8.1f ms  (%lld chars of HTML)\n", label,
                text.toUtf8().size() / 1e6, times[times.size() / 2], times.front(), (long long)out);
}

}

int main()
{
    bench("Markdown preview 1 MB", 1 << 20, 7);
    bench("Markdown preview 10 MB", 10 << 20, 3);
    return 0;
}
