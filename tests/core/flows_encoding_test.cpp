#include "Workspace.h"

using EncodingFlow = WorkspaceTest;

namespace {
// "汉字" in GBK.
const QByteArray gbkBytes("\xBA\xBA\xD7\xD6", 4);
}

TEST_F(EncodingFlow, CleanFileReopensWithoutAsking)
{
    const QString path = file("g.txt", gbkBytes);
    DocPtr d = model->open(path);
    model->reopen(d, TextEncoding::latin1);
    EXPECT_EQ(d->text(), QString::fromLatin1(gbkBytes));
    EXPECT_EQ(d->encoding(), TextEncoding::latin1);
    model->reopen(d, TextEncoding::gbk);
    EXPECT_FALSE(model->dialog());
    EXPECT_EQ(d->text(), QStringLiteral("汉字"));
    EXPECT_EQ(d->encoding(), TextEncoding::gbk);
    EXPECT_EQ(model->toast(), QStringLiteral("已按 GBK 重新打开"));
    EXPECT_TRUE(editor.calls.contains("load g.txt"));
}

TEST_F(EncodingFlow, DirtyFileAsksAndCancelKeepsEverything)
{
    DocPtr d = model->open(file("u.txt", "abc"));
    d->setText("edited");
    model->reopen(d, TextEncoding::latin1);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("重新打开将丢弃未保存的修改"));
    EXPECT_EQ(model->dialog()->message, QStringLiteral("按 ISO-8859-1 从磁盘重新读取「u.txt」。"));
    EXPECT_EQ(buttonTitles(*model->dialog()), (QStringList{"取消", "重新打开"}));
    model->chooseButton("取消");
    EXPECT_EQ(d->text(), "edited");
    EXPECT_EQ(d->encoding(), TextEncoding::utf8);
    model->reopen(d, TextEncoding::latin1);
    model->chooseButton("重新打开");
    EXPECT_EQ(d->text(), "abc");
    EXPECT_FALSE(d->isDirty());
}

TEST_F(EncodingFlow, UndecodableReopenChangesNothing)
{
    DocPtr d = model->open(file("bad.txt", QByteArray("ok \xC3\x28 \xFF")));
    const QString before = d->text();
    const TextEncoding enc = d->encoding();
    model->reopen(d, TextEncoding::utf8);
    ASSERT_NE(enc, TextEncoding::utf8);  // strict UTF-8 cannot have read it
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("无法按 UTF-8 打开"));
    EXPECT_EQ(d->text(), before);
    EXPECT_EQ(d->encoding(), enc);
    DocPtr n = model->createDoc("n.txt", std::nullopt, {});
    model->reopen(n, TextEncoding::big5);
    EXPECT_EQ(n->encoding(), TextEncoding::big5);
}

TEST_F(EncodingFlow, ConvertWritesAtOnceOrRestoresTheOldEncoding)
{
    const QString path = file("c.txt", "hi");
    DocPtr d = model->open(path);
    model->convert(d, TextEncoding::utf16LE);
    EXPECT_EQ(d->encoding(), TextEncoding::utf16LE);
    EXPECT_EQ(TestDir::read(path), QByteArray("\xFF\xFEh\0i\0", 6));

    // Latin-1 cannot carry 汉: the save fails and the document stays UTF-16LE.
    d->setText("汉");
    model->convert(d, TextEncoding::latin1);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("保存失败"));
    EXPECT_EQ(d->encoding(), TextEncoding::utf16LE);
    model->chooseButton("好");

    // A cancelled format question also puts the old encoding back.
    model->setFormat(d, QStringLiteral("json"));
    model->convert(d, TextEncoding::utf8);
    model->chooseButton("取消");
    EXPECT_EQ(d->encoding(), TextEncoding::utf16LE);

    DocPtr n = model->createDoc("n.txt", std::nullopt, {});
    model->convert(n, TextEncoding::gb18030);
    EXPECT_EQ(n->encoding(), TextEncoding::gb18030);
    EXPECT_EQ(model->toast(), QStringLiteral("保存时将使用 GB18030"));
    EXPECT_FALSE(n->url());
}
