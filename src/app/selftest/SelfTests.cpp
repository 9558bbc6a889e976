#include "app/selftest/SelfTests.h"

#include <cstdio>

namespace SelfTests {

namespace {

int passedCount = 0;
int failedCount = 0;

std::function<void(const QString&)>& sinkRef()
{
    static std::function<void(const QString&)> sink = [](const QString& line) {
        const QByteArray utf8 = line.toUtf8();
        std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    };
    return sink;
}

}

int passed() { return passedCount; }
int failed() { return failedCount; }

void reset()
{
    passedCount = 0;
    failedCount = 0;
}

void setSink(std::function<void(const QString& line)> sink) { sinkRef() = std::move(sink); }

bool check(bool condition, const char* label, const QString& detail)
{
    if (condition) {
        ++passedCount;
        return true;
    }
    ++failedCount;
    QString line = QString::fromUtf8(label);
    if (!detail.isEmpty())
        line += detail;
    sinkRef()(line);
    return false;
}

const std::vector<Group>& groups()
{
    static const std::vector<Group> all = {
        {"fileNames", fileNames}, {"json", json},         {"yaml", yaml},         {"toml", toml}, {"csv", csv},
        {"markdown", markdown},   {"plantuml", plantuml}, {"encoding", encoding}, {"find", find}, {"backup", backup},
    };
    return all;
}

QString summary()
{
    return QStringLiteral("%1 单元测试：%2 通过，%3 失败")
        .arg(failedCount == 0 ? QStringLiteral("✓") : QStringLiteral("✗"))
        .arg(passedCount)
        .arg(failedCount);
}

bool run(const std::vector<Group>& selected)
{
    for (const Group& g : selected)
        g.run();
    sinkRef()(summary());
    return failedCount == 0;
}

bool run() { return run(groups()); }

}
