#include "TestFiles.h"
#include "core/Preferences.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

// What the file holds now, not what the store has in memory.
bool onDisk(const QString& file, const QString& key)
{
    for (const QByteArray& line : TestDir::read(file).split('\n'))
        if (line.startsWith(key.toUtf8() + '='))
            return true;
    return false;
}

TEST(Preferences, EachChangeOutsideABatchReachesTheFileAtOnce)
{
    struct Case {
        const char* name;
        std::function<void(Preferences&)> change;
        bool stored;
    };
    const Case cases[] = {
        {"blob", [](Preferences& p) { p.setBlob(QStringLiteral("k"), "new"); }, true},
        {"string", [](Preferences& p) { p.setString(QStringLiteral("k"), QStringLiteral("new")); }, true},
        {"remove", [](Preferences& p) { p.remove(QStringLiteral("k")); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        const QString file = dir.write(QStringLiteral("p.ini"), "[General]\nk=old\n");
        Preferences prefs(file);
        c.change(prefs);
        EXPECT_EQ(onDisk(file, QStringLiteral("k")), c.stored);
        if (c.stored) {
            EXPECT_TRUE(TestDir::read(file).contains("new"));
        }
    }
}

TEST(Preferences, ABatchWritesItsChangesTogetherWhenTheOutermostEnds)
{
    TestDir dir;
    const QString file = dir.write(QStringLiteral("p.ini"), "[General]\ngone=1\n");
    Preferences prefs(file);
    {
        const Preferences::Batch outer(prefs);
        prefs.setBlob(QStringLiteral("blob"), "b");
        prefs.setString(QStringLiteral("text"), QStringLiteral("t"));
        prefs.remove(QStringLiteral("gone"));
        {
            const Preferences::Batch inner(prefs);
            prefs.setBlob(QStringLiteral("nested"), "n");
        }
        for (const char* key : {"blob", "text", "nested"}) {
            SCOPED_TRACE(key);
            EXPECT_FALSE(onDisk(file, QString::fromLatin1(key)));
        }
        EXPECT_TRUE(onDisk(file, QStringLiteral("gone")));
        // The program reads its own changes before they are written.
        EXPECT_EQ(prefs.blob(QStringLiteral("blob")), QByteArray("b"));
        EXPECT_EQ(prefs.string(QStringLiteral("text")), QStringLiteral("t"));
        EXPECT_FALSE(prefs.contains(QStringLiteral("gone")));
    }
    for (const char* key : {"blob", "text", "nested"}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(onDisk(file, QString::fromLatin1(key)));
    }
    EXPECT_FALSE(onDisk(file, QStringLiteral("gone")));
}

}
