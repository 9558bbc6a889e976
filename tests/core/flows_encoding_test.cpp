#include "Workspace.h"

using EncodingFlow = WorkspaceTest;

namespace {
// "汉字" in GBK.
const QByteArray gbkBytes("\xBA\xBA\xD7\xD6", 4);
// French in Latin-1 that no CJK encoding reads.
const QString french = QStringLiteral("Un café très chaud, à emporter.\nÇa coûte 3 francs? Où ça?\n");
const QByteArray frenchBytes = french.toLatin1();
}

TEST_F(EncodingFlow, ACleanFileReopensWithoutAskingAnEditedOneAsks)
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

    // With edits it asks, and cancelling keeps everything.
    d->setText("edited");
    model->reopen(d, TextEncoding::latin1);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("重新打开将丢弃未保存的修改"));
    EXPECT_EQ(model->dialog()->message, QStringLiteral("按 ISO-8859-1 从磁盘重新读取「g.txt」。"));
    EXPECT_EQ(buttonTitles(*model->dialog()), (QStringList{"取消", "重新打开"}));
    model->chooseButton("取消");
    EXPECT_EQ(d->text(), "edited");
    EXPECT_EQ(d->encoding(), TextEncoding::gbk);
    model->reopen(d, TextEncoding::latin1);
    model->chooseButton("重新打开");
    EXPECT_EQ(d->text(), QString::fromLatin1(gbkBytes));
    EXPECT_FALSE(d->isDirty());
}

TEST_F(EncodingFlow, UndecodableReopenChangesNothing)
{
    DocPtr d = model->open(file("bad.txt", QByteArray("ok \xC3\x28 \xFF")));
    ASSERT_TRUE(model->chooseButton("保持现状"));  // the Latin-1 offer
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
    settleSaves();
    EXPECT_EQ(d->encoding(), TextEncoding::utf16LE);
    EXPECT_EQ(TestDir::read(path), QByteArray("\xFF\xFEh\0i\0", 6));

    // Latin-1 cannot carry 汉: the save fails and the document stays UTF-16LE.
    d->setText("汉");
    model->convert(d, TextEncoding::latin1);
    settleSaves();
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("保存失败"));
    EXPECT_EQ(d->encoding(), TextEncoding::utf16LE);
    model->chooseButton("好");

    // A cancelled format question also puts the old encoding back.
    model->setFormat(d, QStringLiteral("json"));
    model->convert(d, TextEncoding::utf8);
    settleSaves();
    model->chooseButton("取消");
    EXPECT_EQ(d->encoding(), TextEncoding::utf16LE);

    DocPtr n = model->createDoc("n.txt", std::nullopt, {});
    model->convert(n, TextEncoding::gb18030);
    settleSaves();
    EXPECT_EQ(n->encoding(), TextEncoding::gb18030);
    EXPECT_EQ(model->toast(), QStringLiteral("保存时将使用 GB18030"));
    EXPECT_FALSE(n->url());
}

TEST_F(EncodingFlow, LatinFileOpensRepairedAndOffersLatin1)
{
    const QString path = file("fr.txt", frenchBytes);
    DocPtr d = model->open(path);
    EXPECT_TRUE(d->text().contains(QChar(0xFFFD)));
    EXPECT_EQ(d->likelyEncoding(), TextEncoding(TextEncoding::latin1));
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("此文件可能是 ISO-8859-1 编码"));
    EXPECT_TRUE(model->dialog()->message.startsWith(QStringLiteral("「fr.txt」中有无法解码的字节")));
    EXPECT_EQ(buttonTitles(*model->dialog()), (QStringList{"保持现状", "按 ISO-8859-1 重新打开"}));
    model->chooseButton("按 ISO-8859-1 重新打开");
    settleSaves();
    EXPECT_FALSE(model->dialog());
    EXPECT_EQ(d->text(), french);
    EXPECT_EQ(d->encoding(), TextEncoding::latin1);
    EXPECT_FALSE(d->isDirty());
    EXPECT_FALSE(d->likelyEncoding());
    EXPECT_EQ(model->toast(), QStringLiteral("已按 ISO-8859-1 重新打开"));

    // An untouched save keeps every byte; an edit is written in Latin-1.
    model->save(d);
    settleSaves();
    EXPECT_EQ(TestDir::read(path), frenchBytes);
    d->setText(french + QStringLiteral("Grüße\n"));
    model->save(d);
    settleSaves();
    EXPECT_EQ(TestDir::read(path), (french + QStringLiteral("Grüße\n")).toLatin1());

    // Files that read cleanly are not questioned.
    model->open(file("ok.txt", QStringLiteral("café\n").toUtf8()));
    EXPECT_FALSE(model->dialog());
}

TEST_F(EncodingFlow, ConvertingARepairedFileAsksFirst)
{
    const QString path = file("fr.txt", frenchBytes);
    DocPtr d = model->open(path);
    model->chooseButton("保持现状");
    ASSERT_FALSE(model->dialog());

    model->convert(d, TextEncoding::utf8);
    settleSaves();
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("转换将永久丢失无法解码的字节"));
    EXPECT_EQ(buttonTitles(*model->dialog()), (QStringList{"取消", "仍然转换", "按 ISO-8859-1 重新打开"}));
    model->chooseButton("取消");
    EXPECT_EQ(TestDir::read(path), frenchBytes);
    EXPECT_EQ(d->encoding(), TextEncoding::latin1);

    // A plain save cannot write the repaired text and says what helps.
    d->setText(d->text() + QStringLiteral("!"));
    model->save(d);
    settleSaves();
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->message,
              QStringLiteral("内容中有无法解码的字节（显示为 \uFFFD），请先按 ISO-8859-1 重新打开"));
    model->chooseButton("好");
    EXPECT_EQ(TestDir::read(path), frenchBytes);
    d->setText(d->text().chopped(1));

    // Reopening first, then converting, keeps the accents.
    model->convert(d, TextEncoding::utf8);
    settleSaves();
    model->chooseButton("按 ISO-8859-1 重新打开");
    settleSaves();
    EXPECT_EQ(d->text(), french);
    model->convert(d, TextEncoding::utf8);
    settleSaves();
    EXPECT_FALSE(model->dialog());
    EXPECT_EQ(TestDir::read(path), french.toUtf8());

    // Converting anyway writes the repaired text, once.
    const QString other = file("fr2.txt", frenchBytes);
    d = model->open(other);
    model->chooseButton("保持现状");
    const QString repaired = d->text();
    model->convert(d, TextEncoding::utf8);
    settleSaves();
    model->chooseButton("仍然转换");
    settleSaves();
    EXPECT_EQ(d->encoding(), TextEncoding::utf8);
    EXPECT_EQ(TestDir::read(other), repaired.toUtf8());
    // The file is UTF-8 now: Latin-1 no longer reads what is on disk.
    EXPECT_FALSE(d->likelyEncoding());
    model->convert(d, TextEncoding::utf16LE);
    settleSaves();
    EXPECT_FALSE(model->dialog());
    EXPECT_EQ(d->encoding(), TextEncoding::utf16LE);
}

TEST_F(EncodingFlow, UTF16WithoutAMarkIsOfferedAndReopened)
{
    const QString text = QStringLiteral("名称: Lorvane\n版本 1\n");
    QByteArray le = *TextEncoding(TextEncoding::utf16LE).encode(text);
    le.remove(0, 2);
    DocPtr d = model->open(file("u16.txt", le));
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("此文件可能是 UTF-16 LE 编码"));
    model->chooseButton("按 UTF-16 LE 重新打开");
    EXPECT_EQ(d->text(), text);
    EXPECT_EQ(d->encoding(), TextEncoding::utf16LE);
}
