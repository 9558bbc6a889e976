// Markdown preview rendering: pathological 100 KB lines (each must render in
// at most 20 ms) and a 7.6 MB document of ordinary notes against Debian's
// cmark-gfm command with the same extensions, CPU time of both measured in
// alternating runs.
#include "plugins/Markdown.h"
#include "plugins/MarkdownPlugin.h"

#include <QByteArray>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const char* section = "## 第 %1 节：发布说明\n\n"
                      "本节介绍 **新功能** 与 `config.yaml` 的变化，详见 https://example.com/docs/%1 以及 "
                      "[手册](https://example.com/m)。\n"
                      "第二行带有 *强调*、~~删除~~ 与 snake_case_name，以及一个 <b>内联</b> 标签 &amp; 实体。\n\n"
                      "- [x] 完成迁移\n- [ ] 更新文档\n  - 子项目 _一_\n  - 子项目 二\n1. 第一步\n2. 第二步\n\n"
                      "| 模块 | 状态 | 耗时 |\n|:---|:--:|---:|\n| 解析 | 通过 | 12 |\n| 渲染 | 通过 | 34 |\n\n"
                      "> 引用一段话，\n> 带有 `code` 片段。\n\n"
                      "```cpp\nint main() { return 0; }\n```\n\n";

// Notes written with HTML between the Markdown: every tag goes through the sanitiser.
const char* htmlSection =
    "<div align=\"center\">\n<p><b>第 %1 节</b> <span style=\"color:#c00\">红色</span></p>\n</div>\n\n"
    "正文里有 <kbd>Ctrl</kbd>+<kbd>S</kbd>、<sup>1</sup>、<a href=\"https://example.com/?a=%1&amp;b=2\" "
    "title=\"说明\">链接</a> 与 <img src=\"pic/%1.png\" alt=\"图\" width=\"20\"><br>\n"
    "<details open><summary>展开</summary>\n\n- 项目 <em>一</em>\n- 项目 <code>二</code>\n\n"
    "</details>\n\n<table><tr><td align=\"right\">1</td><td>&copy; 2</td></tr></table>\n\n";

QString document(qsizetype bytes, const char* unit = section)
{
    QString out;
    qsizetype size = 0;
    for (int i = 0; size < bytes; ++i) {
        QString chunk;
        for (int k = 0; k < 64; ++k)
            chunk += QString::fromUtf8(unit).arg(i * 64 + k);
        size += chunk.toUtf8().size();
        out += chunk;
    }
    return out;
}

double cpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Best of three: the CPU seconds of one rendering.
template <class F> double bestCPU(F render)
{
    double best = 1e9;
    for (int r = 0; r < 3; ++r) {
        const double t0 = cpuSeconds();
        render();
        best = std::min(best, cpuSeconds() - t0);
    }
    return best;
}

// CPU seconds (user + system) of one cmark-gfm run on the file; negative when it cannot run.
double cmarkCPU(const QString& program, const QString& file)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        const QByteArray p = program.toLocal8Bit(), f = file.toLocal8Bit();
        // The extensions the preview parses with.
        execl(p.constData(), p.constData(), "-e", "table", "-e", "strikethrough", "-e", "autolink", "-e", "tasklist",
              "-e", "tagfilter", f.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void longLines()
{
    const qsizetype size = 100000;
    const auto repeat = [&](const char* unit) {
        const QString u = QString::fromUtf8(unit);
        QString s;
        while (s.size() < size)
            s += u;
        return s;
    };
    struct Case {
        const char* label;
        QString text;
    };
    const Case cases[] = {
        {"**a ", repeat("**a ")},
        {"*a ", repeat("*a ")},
        {"_a ", repeat("_a ")},
        {"~~a ", repeat("~~a ")},
        {"__a ", repeat("__a ")},
        {"`a ", repeat("`a ")},
        {"[a](", repeat("[a](")},
        {"![a ", repeat("![a ")},
        {"[a](b ", repeat("[a](b ")},
        {"http://a", repeat("http://a")},
        {" https://a.b.", repeat(" https://a.b.")},
        {"<https:// ", repeat("<https:// ")},
        {"&a", repeat("&a")},
        {"<!--", repeat("<!--")},
        {"<a ", repeat("<a ")},
        {"heading, many spaces", QStringLiteral("# ") + QString(size, u' ') + QStringLiteral("x")},
        {"heading, spaces and #", QStringLiteral("# x") + repeat(" #")},
        {"tag, long whitespace", QStringLiteral("x <a") + QString(size, u' ') + QStringLiteral("b")},
        {"HTML block, long whitespace", QStringLiteral("<a") + QString(size, u' ') + QStringLiteral(" onx")},
        {"<script> lines", repeat("<script>\n")},
        {"inline <script> lines", QStringLiteral("x\n") + repeat("a <script> b\n")},
        {"nested <div>", repeat("<div>")},
        {"nested <b> after a tag", QStringLiteral("<p>") + repeat("<b>")},
        {"nested <td>", QStringLiteral("<table>") + repeat("<tr><td><table>")},
        {" onx=", QStringLiteral("<div") + repeat(" onx=")},
        {"href=javascript:", QStringLiteral("<a ") + repeat("href='javascript:")},
        {"- ", repeat("- ")},
        {"| a ", repeat("| a ") + QStringLiteral("\n|") + repeat("-|")},
        {"> ", repeat("> ")},
        {"1. a blank lines", repeat("1. a\n\n")},
    };
    std::printf("Lines of 100 KB (target: at most 20 ms each)\n");
    double worst = 0;
    for (const Case& c : cases) {
        const double t = bestCPU([&] { MarkdownPlugin::previewHTML(c.text); });
        worst = std::max(worst, t);
        std::printf("  %-30s %8.2f ms\n", c.label, t * 1e3);
    }
    std::printf("  worst                          %8.2f ms %s\n", worst * 1e3,
                worst <= 0.020 ? "(ok)" : "(OVER TARGET)");
}

void againstCmark()
{
    const QString text = document(7600000);
    const QByteArray bytes = text.toUtf8();
    QTemporaryFile file;
    if (!file.open())
        return;
    file.write(bytes);
    file.flush();
    const QString cmark = QStandardPaths::findExecutable(QStringLiteral("cmark-gfm"));
    // Alternating runs, so that a change in the machine's load hits both.
    double ours = 1e9, theirs = 1e9;
    for (int r = 0; r < 5; ++r) {
        const double t0 = cpuSeconds();
        MarkdownPlugin::previewHTML(text);
        ours = std::min(ours, cpuSeconds() - t0);
        if (const double t = cmark.isEmpty() ? -1 : cmarkCPU(cmark, file.fileName()); t >= 0)
            theirs = std::min(theirs, t);
    }
    std::printf("\nOrdinary document, %.1f MB\n  Lorvane preview                %8.1f ms CPU\n", bytes.size() / 1e6,
                ours * 1e3);
    if (theirs >= 1e9) {
        std::printf("  cmark-gfm not available (apt-get install cmark-gfm)\n");
        return;
    }
    std::printf("  cmark-gfm                      %8.1f ms CPU\n  ratio                          %8.2f x (target: at "
                "most 1.0)\n",
                theirs * 1e3, ours / theirs);
}

}

// Raw HTML costs the sanitiser's parse; its share shows against a document without any.
void inlineHTML()
{
    const QString html = document(2000000, htmlSection), plain = document(2000000);
    double withTags = 1e9, without = 1e9;
    for (int r = 0; r < 3; ++r) {
        double t0 = cpuSeconds();
        MarkdownPlugin::previewHTML(html);
        withTags = std::min(withTags, cpuSeconds() - t0);
        t0 = cpuSeconds();
        MarkdownPlugin::previewHTML(plain);
        without = std::min(without, cpuSeconds() - t0);
    }
    std::printf("\nDocument with raw HTML, 2 MB\n  with tags                      %8.1f ms CPU\n"
                "  ordinary notes, 2 MB           %8.1f ms CPU\n",
                withTags * 1e3, without * 1e3);
}

int main()
{
    longLines();
    againstCmark();
    inlineHTML();
    return 0;
}
