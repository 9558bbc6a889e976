#include "app/selftest/SelfTests.h"
#include "text/LineEnding.h"
#include "text/TextEncoding.h"

namespace SelfTests {

namespace {

void detects(TextEncoding encoding, const char* label)
{
    const QString text = QStringLiteral("中文 abc");
    const std::optional<QByteArray> bytes = encoding.encode(text);
    if (!bytes) {
        check(false, label, QStringLiteral("无法编码"));
        return;
    }
    const TextEncoding::Detection d = TextEncoding::detect(*bytes);
    check(d.text == text && d.encoding == encoding, label, d.encoding.rawValue());
}

}

void encoding()
{
    detects(TextEncoding::gb18030, "✗ GB18030 探测 ");
    detects(TextEncoding::utf8BOM, "✗ UTF-8 BOM 探测 ");
    check(LineEnding::detect(QStringLiteral("a\r\nb")) == LineEnding::crlf, "✗ CRLF 探测 ");
    check(LineEnding::normalize(QStringLiteral("a\r\nb\rc")) == QStringLiteral("a\nb\nc"), "✗ 换行归一 ");
}

}
