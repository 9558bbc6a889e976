// Markdown preview rendering of large documents, and the built-in diagram sketch.
#include "plugins/Markdown.h"
#include "plugins/MarkdownPlugin.h"
#include "plugins/SequenceSketch.h"

#include <QElapsedTimer>
#include <cstdio>

namespace {

QString document(qsizetype targetBytes)
{
    const QString unit = QStringLiteral(
        "## 第 N 节：同步服务说明\n\n"
        "这是一段普通的中文段落，包含 **加粗**、*斜体*、`code_span` 和 [链接](https://example.org/a?b=c)。\n"
        "第二行提到 https://lorvane.example/docs. 以及 snake_case_name 与 ~~删除~~。  \n"
        "第三行带有 <b>内联 HTML</b> &amp; 实体。\n\n"
        "- [x] 已完成的任务\n- 普通项目\n  - 嵌套项目 _强调_\n1. 有序\n\n"
        "> 引用一段文字\n> 第二行\n\n"
        "| 名称 | 数量 | 说明 |\n|:---|---:|:-:|\n| 苹果 | 3 | 新鲜 |\n| 香蕉 | 12 | **熟** |\n\n"
        "```cpp\nint main() { return a < b && c > d; }\n```\n\n"
        "<details><summary>更多</summary>隐藏内容</details>\n\n---\n\n");
    const qsizetype per = unit.toUtf8().size();
    QString out;
    out.reserve(unit.size() * (targetBytes / per + 1));
    for (qsizetype n = 0; n < targetBytes; n += per)
        out += unit;
    return out;
}

void report(const char* label, const QString& text, int runs)
{
    const qsizetype bytes = text.toUtf8().size();
    MarkdownPlugin::previewHTML(text); // warm the per-thread pattern cache
    double best = 1e18;
    qsizetype outSize = 0;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        outSize = MarkdownPlugin::previewHTML(text).size();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    std::printf("%-34s %7.1f MB %9.1f ms (best of %d) %7.1f MB/s  html %lld chars\n", label, bytes / 1e6, best, runs,
                (bytes / 1e6) / (best / 1e3), static_cast<long long>(outSize));
}

}

int main()
{
    report("markdown preview 1 MB (<= 50 ms)", document(1 << 20), 5);
    report("markdown preview 10 MB", document(10 << 20), 2);
    {
        const QString page = MarkdownPlugin::previewHTML(document(1 << 20));
        QElapsedTimer t;
        t.start();
        const qsizetype n = Markdown::harden(page).size();
        std::printf("%-34s %7.1f MB %9.1f ms  (%lld chars)\n", "  of which the page hardening", page.size() * 2 / 1e6,
                    t.nsecsElapsed() / 1e6, static_cast<long long>(n));
    }

    QString seq = QStringLiteral("@startuml\n");
    for (int k = 0; k < 5000; ++k)
        seq += QStringLiteral("P%1 -> P%2 : 消息 %1\n").arg(k % 40).arg((k * 7) % 40);
    seq += QStringLiteral("@enduml\n");
    QElapsedTimer t;
    t.start();
    const qsizetype n = SequenceSketch::svg(seq).size();
    std::printf("%-34s %7lld msgs %8.1f ms  svg %lld chars\n", "sequence sketch", 5000LL, t.nsecsElapsed() / 1e6,
                static_cast<long long>(n));
    return 0;
}
