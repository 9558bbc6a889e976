// --export-pdf of a 2,000-line README (Chinese and English, 50 code blocks,
// tables, lists): wall time of the whole program, best and median of five.
// Also the outline of the same text. Target: export within 5 s.
#include "plugins/Outline.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray readme()
{
    QByteArray out = "# Lorvane 使用说明\n\n";
    int lines = 2;
    for (int s = 0; lines < 2000; ++s) {
        const QByteArray n = QByteArray::number(s);
        QByteArray part = "## 第 " + n
            + " 节：配置与导出\n\n"
              "本节说明 **配置文件** 的写法，见 [手册](https://example.com/"
            + n
            + ") 和 `lorvane --check`。\n"
              "The second line mixes English words with 中文 and *emphasis* and ~~old~~ text.\n\n"
              "- 第一项\n- second item\n  - 嵌套项\n\n"
              "| 选项 | 说明 |\n|---|---|\n| a | 一 |\n| b | 二 |\n\n";
        if (s % 2 == 0)
            part += "```cpp\nint main(int argc, char** argv)\n{\n    return argc > 1 ? 0 : 1;  // 注释\n}\n```\n\n";
        part += "> 引用的一段话。\n\n";
        lines += int(part.count('\n'));
        out += part;
    }
    return out;
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString exe = QCoreApplication::applicationDirPath() + QStringLiteral("/lorvane");
    QTemporaryDir dir;
    const QByteArray text = readme();
    const QString in = dir.filePath(QStringLiteral("README.md"));
    QFile f(in);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return 1;
    f.close();
    std::printf("README: %lld lines, %lld bytes, %lld code blocks\n", qlonglong(text.count('\n')),
                qlonglong(text.size()), qlonglong(text.count("```cpp")));

    QElapsedTimer outline;
    outline.start();
    const auto entries = Outline::markdown(QString::fromUtf8(text));
    std::printf("outline: %lld headings in %.1f ms\n", qlonglong(entries.size()), double(outline.nsecsElapsed()) / 1e6);

    std::vector<double> secs;
    for (int i = 0; i < 5; ++i) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(exe,
                {QStringLiteral("--export-pdf"), in, QStringLiteral("-o"), dir.filePath(QStringLiteral("out.pdf"))});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            std::printf("export failed: %s\n", p.readAllStandardError().constData());
            return 1;
        }
        secs.push_back(double(t.nsecsElapsed()) / 1e9);
    }
    std::sort(secs.begin(), secs.end());
    const qint64 size = QFile(dir.filePath(QStringLiteral("out.pdf"))).size();
    std::printf("--export-pdf: best %.2f s, median %.2f s, worst %.2f s (target 5 s); PDF %lld KB\n", secs.front(),
                secs[2], secs.back(), size / 1024);
    return secs[2] <= 5.0 ? 0 : 2;
}
