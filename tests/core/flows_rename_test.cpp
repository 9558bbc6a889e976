#include "TestFiles.h"
#include "core/FileMove.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

// Renames must never replace a file that is already there.
TEST(FlowsRename, RenameRefusesExistingTargetAndKeepsBoth)
{
    TestDir d;
    const QString a = d.write("a.txt", "alpha");
    const QString b = d.write("b.txt", "beta");
    const auto err = FileMove::renameNoReplace(a, b);
    ASSERT_TRUE(err.has_value());
    EXPECT_TRUE(err->contains(QStringLiteral("已存在")));
    EXPECT_EQ(TestDir::read(a), QByteArray("alpha"));
    EXPECT_EQ(TestDir::read(b), QByteArray("beta"));

    const QString c = d.path("c.txt");
    EXPECT_FALSE(FileMove::renameNoReplace(a, c).has_value());
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(TestDir::read(c), QByteArray("alpha"));
}

// Same file is decided by device and inode, not by how the path is spelled.
TEST(FlowsRename, SameFileSeesThroughSpellingAndLinks)
{
    TestDir d;
    const QString a = d.write("a.txt", "x");
    const QString other = d.write("b.txt", "x");
    EXPECT_TRUE(FileMove::sameFile(a, d.dir.path() + "/./a.txt"));
    ASSERT_EQ(::link(QFile::encodeName(a).constData(), QFile::encodeName(d.path("hard.txt")).constData()), 0);
    EXPECT_TRUE(FileMove::sameFile(a, d.path("hard.txt")));
    EXPECT_FALSE(FileMove::sameFile(a, other));
    EXPECT_FALSE(FileMove::sameFile(a, d.path("missing.txt")));
}

// "覆盖原文件" under a new name: new file first, old one removed only after success.
TEST(FlowsRename, WriteReplacingWritesNewThenRemovesOld)
{
    TestDir d;
    const QString oldPath = d.write("note.txt", "old");
    const QString newPath = d.path("note.md");
    EXPECT_FALSE(FileMove::writeReplacing(oldPath, newPath, "new").has_value());
    EXPECT_EQ(TestDir::read(newPath), QByteArray("new"));
    EXPECT_FALSE(QFile::exists(oldPath));
}

TEST(FlowsRename, WriteReplacingFailureKeepsOldFile)
{
    TestDir d;
    const QString oldPath = d.write("note.txt", "old");
    ASSERT_TRUE(QDir().mkdir(d.path("note.md")));
    const auto err = FileMove::writeReplacing(oldPath, d.path("note.md"), "new");
    ASSERT_TRUE(err.has_value());
    EXPECT_EQ(TestDir::read(oldPath), QByteArray("old"));
}

TEST(FlowsRename, WriteReplacingSameFileUnderOtherSpellingKeepsIt)
{
    TestDir d;
    const QString oldPath = d.write("note.txt", "old");
    const QString alias = d.dir.path() + "/./note.txt";
    EXPECT_FALSE(FileMove::writeReplacing(oldPath, alias, "new").has_value());
    ASSERT_TRUE(QFile::exists(oldPath));
    EXPECT_EQ(TestDir::read(oldPath), QByteArray("new"));
}
