// Throughput of encoding detection, decoding and encoding on large files.
#include "core/Doc.h"
#include "core/TextBaseline.h"
#include "text/LineEnding.h"
#include "text/TextEncoding.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const QString simplified = QStringLiteral("Lorvane 编辑器测试行：混合 ASCII 与中文字符，用于吞吐量测量。 0123456789\n");

QString sampleText(qsizetype targetBytesUTF8, const QString& line = simplified)
{
    QString out;
    const qsizetype perLine = line.toUtf8().size();
    out.reserve(line.size() * (targetBytesUTF8 / perLine + 1));
    for (qsizetype n = 0; n < targetBytesUTF8; n += perLine)
        out += line;
    return out;
}

double mbps(qsizetype bytes, qint64 ns) { return ns > 0 ? (bytes / 1e6) / (ns / 1e9) : 0; }

void run(const char* label, TextEncoding enc, qsizetype size, const QString& line = simplified)
{
    const QString text = sampleText(size, line);
    const QByteArray data = *enc.encode(text);
    QElapsedTimer t;

    t.start();
    auto detected = TextEncoding::detect(data);
    const qint64 detectNs = t.nsecsElapsed();

    t.restart();
    auto decoded = enc.decode(data);
    const qint64 decodeNs = t.nsecsElapsed();

    t.restart();
    auto encoded = enc.encode(*decoded);
    const qint64 encodeNs = t.nsecsElapsed();

    // The saved-state digests of the text as UTF-8: the exact one and, when
    // the text is not in NFC, the NFC one.
    const QByteArray utf8 = text.toUtf8();
    t.restart();
    const bool nfc = TextBaseline::ofUtf8(utf8).isNFC();
    const qint64 digestNs = t.nsecsElapsed();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.txt"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(data);
    f.close();
    t.restart();
    auto doc = Doc::open(path);
    const qint64 openNs = t.nsecsElapsed();
    t.restart();
    auto err = doc.value()->write(path);
    const qint64 writeNs = t.nsecsElapsed();

    std::printf("%-8s %6.1f MB  detect %7.0f MB/s (%s)  decode %7.0f MB/s  encode %7.0f MB/s  open %7.0f MB/s  write "
                "%7.0f MB/s  digests %7.0f MB/s%s%s\n",
                label, data.size() / 1e6, mbps(data.size(), detectNs), qPrintable(detected.encoding.rawValue()),
                mbps(data.size(), decodeNs), mbps(data.size(), encodeNs), mbps(data.size(), openNs),
                mbps(data.size(), writeNs), mbps(utf8.size(), digestNs), nfc ? "" : " (not NFC)",
                detected.repaired               ? (err ? "  (repaired: save refused)" : "  MISMATCH")
                    : (err || *encoded != data) ? "  MISMATCH"
                                                : "");
}

}

int main()
{
    run("UTF-8", TextEncoding::utf8, 100'000'000);
    run("GB18030", TextEncoding::gb18030, 20'000'000);
    // These also read as GB18030; the charset detector decides.
    run("Big5", TextEncoding::big5, 20'000'000,
        QStringLiteral("Lorvane 編輯器測試行：混合 ASCII 與中文字元，用於吞吐量量測。 0123456789\n"));
    run("SJIS", TextEncoding::shiftJIS, 20'000'000,
        QStringLiteral("Lorvane エディタの試験行：ASCII と日本語の文字を混ぜて速度を測ります。 0123456789\n"));
    // Nothing reads these cleanly: the repaired reading is the worst case.
    run("Latin-1", TextEncoding::latin1, 20'000'000,
        QStringLiteral("Lorvane, éditeur de texte: ligne d'essai à mesurer, déjà très longue. 0123456789\n"));
    return 0;
}
