// Word motion on a 100 KB line and 字数 of a 100 MB text.
#include "text/TextCount.h"
#include "text/WordBreaks.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <cstdio>

int main()
{
    const QString sentence = QStringLiteral(
        "在这个快速发展的时代，我们需要不断学习新的知识。Lorvane supports 中文 text.");
    QString line;
    while (line.size() < 100 * 1024)
        line += sentence;

    // Ctrl+→ and Ctrl+← from positions spread over the line.
    QElapsedTimer t;
    constexpr int moves = 2000;
    qsizetype sink = 0;
    t.start();
    for (int i = 0; i < moves; ++i) {
        const qsizetype pos = qsizetype(i) * line.size() / moves;
        sink += WordBreaks::nextWordEnd(line, pos) + WordBreaks::previousWordStart(line, pos);
    }
    const double perMove = double(t.nsecsElapsed()) / (2.0 * moves) / 1e3;
    std::printf("word motion, %lld-unit line: %.1f µs a stop (%lld)\n", static_cast<long long>(line.size()), perMove,
                static_cast<long long>(sink % 10));

    const QByteArray text = (sentence + u'\n').toUtf8().repeated(100'000'000 / ((sentence.size() + 1) * 2));
    t.restart();
    const TextCount::Counts n = TextCount::of(text);
    const qint64 ms = t.elapsed();
    std::printf("字数 of %.0f MB: %lld words in %lld ms (%.0f MB/s)\n", text.size() / 1e6,
                static_cast<long long>(n.words), static_cast<long long>(ms), ms > 0 ? text.size() / 1e3 / ms : 0.0);
    return 0;
}
