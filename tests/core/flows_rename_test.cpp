#include "TestFiles.h"
#include "core/FileMove.h"

#include <QDir>
#include <gtest/gtest.h>

// "覆盖原文件" under a new name: the new file first, the old one removed only
// after success, and a path that names the same file kept.
TEST(FlowsRename, WriteReplacingRemovesTheOldFileOnlyAfterTheNewOneIsWritten)
{
    const struct {
        const char* what;
        QString target;  // in the directory that holds note.txt
        bool ok;
        QByteArray oldAfter;  // what the old path holds afterwards
    } cases[] = {{"new name", "note.md", true, {}},
                 {"a folder in the way", "dir.md", false, "old"},
                 {"the same file spelled otherwise", "./note.txt", true, "new"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestDir d;
        const QString oldPath = d.write("note.txt", "old");
        ASSERT_TRUE(QDir().mkdir(d.path("dir.md")));
        EXPECT_EQ(!FileMove::writeReplacing(oldPath, d.path(c.target), "new").has_value(), c.ok);
        if (c.ok) {
            EXPECT_EQ(TestDir::read(d.path(c.target)), QByteArray("new"));
        }
        EXPECT_EQ(TestDir::read(oldPath), c.oldAfter);
    }
}

#include "Workspace.h"

using RenameFlow = WorkspaceTest;
using FormatFlow = WorkspaceTest;

TEST_F(RenameFlow, DialogTextsAndNeverSavedRenameEndsAutoNaming)
{
    DocPtr d = model->createDoc("", std::nullopt, {});
    ASSERT_TRUE(d->autoExt());
    model->askRename(d);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("重命名"));
    EXPECT_EQ(model->dialog()->message, QStringLiteral("文件尚未保存，仅修改名称。"));
    EXPECT_EQ(model->dialog()->input, QStringLiteral("文件名"));
    EXPECT_EQ(model->dialogInput(), d->name());
    EXPECT_EQ(buttonTitles(*model->dialog()), (QStringList{"取消", "重命名"}));
    model->setDialogInput("\t plan.md  ");
    model->chooseButton("重命名");
    EXPECT_EQ(d->name(), "plan.md");
    EXPECT_FALSE(d->autoExt());
    EXPECT_EQ(model->toast(), QStringLiteral("已重命名为 plan.md"));
    d->setText("A new title");
    EXPECT_EQ(d->name(), "plan.md");  // no longer auto-named
}

TEST_F(RenameFlow, SavedFileMovesOnDiskWithTagsAndRecent)
{
    const QString a = file("a.txt", "body");
    DocPtr d = model->open(a);
    model->toggleTag("work", d);
    QStringList recent = {a, files.path("b.md"), "/elsewhere"};
    model->setRecent(recent);
    model->askRename(d);
    EXPECT_EQ(model->dialog()->message, QStringLiteral("将直接重命名磁盘上的文件。"));
    EXPECT_EQ(model->dialog()->inputSelection, 1);  // the name without its extension
    model->setDialogInput("b.md");
    model->chooseButton("重命名");
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(TestDir::read(files.path("b.md")), QByteArray("body"));
    EXPECT_EQ(d->url(), files.path("b.md"));
    EXPECT_EQ(d->plugin().id, "markdown");
    EXPECT_EQ(model->recent(), QStringList{"/elsewhere"});
    const auto map = model->load<QMap<QString, QStringList>>(AppModel::fileTagsKey)
                         .value_or(QMap<QString, QStringList>{});
    EXPECT_FALSE(map.contains(a));
    EXPECT_EQ(map.value(files.path("b.md")), QStringList{"work"});
}

TEST_F(RenameFlow, RefusalsChangeNothing)
{
    const QString a = file("a.txt", "alpha");
    const QString b = file("b.txt", "beta");
    DocPtr d = model->open(a);
    for (const QString& bad :
         {QStringLiteral("x/y"), QStringLiteral("x:y"), QStringLiteral("."), QStringLiteral("..")}) {
        model->rename(d, bad);
        ASSERT_TRUE(model->dialog());
        EXPECT_EQ(model->dialog()->title, QStringLiteral("无法重命名"));
        EXPECT_EQ(model->dialog()->message, QStringLiteral("文件名不能包含 / 或 :。"));
        model->chooseButton("好");
    }
    model->rename(d, "b.txt");
    EXPECT_EQ(model->dialog()->message, QStringLiteral("同一目录下已存在 b.txt。"));
    model->chooseButton("好");
    EXPECT_EQ(d->name(), "a.txt");
    EXPECT_EQ(TestDir::read(a), QByteArray("alpha"));
    EXPECT_EQ(TestDir::read(b), QByteArray("beta"));

    // Only the case differs, but on this volume A.TXT is another file: the
    // move must refuse rather than replace it.
    const QString upper = file("A.TXT", "upper");
    model->rename(d, "A.TXT");
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("重命名失败"));
    model->chooseButton("好");
    EXPECT_EQ(TestDir::read(upper), QByteArray("upper"));
    EXPECT_EQ(TestDir::read(a), QByteArray("alpha"));
    EXPECT_EQ(d->url(), a);

    // A case-only rename with no other file goes through.
    QFile::remove(upper);
    model->rename(d, "A.TXT");
    EXPECT_FALSE(model->dialog());
    EXPECT_EQ(TestDir::read(upper), QByteArray("alpha"));
}

TEST_F(FormatFlow, SwitchingAndSwitchingBack)
{
    DocPtr d = model->open(file("a.md", "# x"));
    model->setFormat(d, QStringLiteral("json"));
    EXPECT_EQ(d->name(), "a.json");
    EXPECT_EQ(d->originalName(), "a.md");
    EXPECT_EQ(model->toast(), QStringLiteral("已切换为 JSON · 保存时选择另存为或覆盖"));
    EXPECT_TRUE(QFile::exists(files.path("a.md")));
    model->setFormat(d, QStringLiteral("markdown"));
    EXPECT_EQ(d->name(), "a.md");
    EXPECT_FALSE(d->originalName());
    EXPECT_EQ(model->toast(), QStringLiteral("已切换为 Markdown"));
    model->setFormat(d, std::nullopt);
    EXPECT_EQ(d->name(), "a");
    EXPECT_EQ(model->toast(), QStringLiteral("已切换为 无格式 · 保存时选择另存为或覆盖"));
}

TEST_F(FormatFlow, AutoNamedKeepsNamingWithNewExtension)
{
    DocPtr d = model->createDoc("", std::nullopt, {});
    model->setFormat(d, QStringLiteral("yaml"));
    EXPECT_EQ(d->autoExt(), "yaml");
    EXPECT_FALSE(d->originalName());
    d->setText("Server list\n");
    EXPECT_TRUE(d->name().endsWith(".yaml")) << d->name().toStdString();
}

TEST_F(FormatFlow, CustomExtensionsAreCleanedAndChecked)
{
    DocPtr d = model->createDoc("q.txt", std::nullopt, {});
    auto custom = [&](const QString& typed) {
        model->askCustomExt(d);
        model->setDialogInput(typed);
        model->chooseButton("确定");
    };
    model->askCustomExt(d);
    EXPECT_EQ(model->dialog()->title, QStringLiteral("自定义后缀"));
    EXPECT_EQ(model->dialog()->input, QStringLiteral("例如 sql、conf、log"));
    EXPECT_EQ(model->dialogInput(), "");  // txt belongs to a plugin
    model->chooseButton("取消");

    custom(" .sql. ");
    EXPECT_EQ(d->name(), "q.sql");
    EXPECT_EQ(model->toast(), QStringLiteral("已切换为 .sql（纯文本）"));
    model->askCustomExt(d);
    EXPECT_EQ(model->dialogInput(), "sql");
    model->chooseButton("取消");

    custom("a b");
    EXPECT_EQ(model->toast(), QStringLiteral("后缀不能包含空格或 /"));
    custom("x/y");
    EXPECT_EQ(d->name(), "q.sql");
    EXPECT_FALSE(model->dialog());

    custom("toml");
    EXPECT_EQ(d->name(), "q.toml");
    EXPECT_EQ(model->toast(), QStringLiteral("已切换为 TOML"));
    custom("");
    EXPECT_EQ(d->name(), "q");
    EXPECT_EQ(model->toast(), QStringLiteral("已切换为 无格式"));
}
