#include "app/selftest/SelfTests.h"
#include "text/FindEngine.h"

namespace SelfTests {

void find()
{
    const QString found = FindEngine::unescape(QStringLiteral("a\\nb\\tc\\\\n"));
    check(found == QStringLiteral("a\nb\tc\\n"), "✗ 转义序列 ", found);
}

}
