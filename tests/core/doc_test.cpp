#include "TestFiles.h"
#include "core/Doc.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

DocSnapshot snapshotFor(const QString& path, const QString& text)
{
    DocSnapshot s;
    s.id = QUuid::createUuid();
    s.path = path;
    s.name = QStringLiteral("a.txt");
    s.text = text;
    s.savedAt = QDateTime::currentDateTimeUtc();
    return s;
}

}

TEST(Doc, NewDocumentsAreCleanOnlyWhenEmpty)
{
    EXPECT_FALSE(newDoc(QStringLiteral("a.md"), QString())->isDirty());
    auto d = newDoc(QStringLiteral("a.md"), QStringLiteral("# 标题\n\n"));
    EXPECT_TRUE(d->isDirty());
    EXPECT_EQ(d->mode(), ViewMode::split);
    EXPECT_EQ(newDoc(QStringLiteral("a.toml"), QString())->mode(), ViewMode::editor);
    EXPECT_EQ(d->fullPath(), QStringLiteral("未保存 · a.md"));
    EXPECT_EQ(d->displayPath(), QStringLiteral("未保存"));
}

TEST(Doc, DirtinessUsesCanonicalEquivalence)
{
    TestDir dir;
    const QString file = dir.write(QStringLiteral("n.txt"), QStringLiteral("caf\u00e9").toUtf8());
    auto opened = Doc::open(file);
    ASSERT_TRUE(opened);
    DocPtr d = opened.value();
    EXPECT_FALSE(d->isDirty());
    d->setText(QStringLiteral("cafe\u0301"));  // decomposed é
    EXPECT_FALSE(d->isDirty());
    d->setText(QStringLiteral("cafe"));
    EXPECT_TRUE(d->isDirty());
    d->setText(QStringLiteral("caf\u00e9"));
    d->setMetaDirty(true);
    EXPECT_TRUE(d->isDirty());
    d->setMetaDirty(false);
    d->setOriginalName(QStringLiteral("old.txt"));
    EXPECT_TRUE(d->isDirty());
}

TEST(Doc, OpensWithGivenEncodingOrFailsWithItsLabel)
{
    TestDir dir;
    const QString file = dir.write(QStringLiteral("g.txt"),
                                   *TextEncoding(TextEncoding::gbk).encode(QStringLiteral("你好")));
    auto ok = Doc::open(file, TextEncoding::gbk);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok.value()->text(), QStringLiteral("你好"));
    EXPECT_EQ(ok.value()->encoding(), TextEncoding::gbk);

    auto bad = Doc::open(file, TextEncoding::utf8);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error(), QStringLiteral("无法按 UTF-8 解码该文件"));

    EXPECT_FALSE(Doc::open(dir.path(QStringLiteral("missing.txt"))));
    EXPECT_FALSE(Doc::open(dir.dir.path()));
}

TEST(Doc, ReloadReplacesTextAndBaselineOrLeavesEverything)
{
    TestDir dir;
    const QString file = dir.write(QStringLiteral("r.txt"),
                                   *TextEncoding(TextEncoding::big5).encode(QStringLiteral("繁體\r\n")));
    auto opened = Doc::open(file, TextEncoding::latin1);
    ASSERT_TRUE(opened);
    DocPtr d = opened.value();
    d->setText(QStringLiteral("edited"));

    EXPECT_EQ(d->reload(TextEncoding::utf8), QStringLiteral("无法按 UTF-8 解码该文件"));
    EXPECT_EQ(d->text(), QStringLiteral("edited"));
    EXPECT_EQ(d->encoding(), TextEncoding::latin1);

    EXPECT_FALSE(d->reload(TextEncoding::big5).has_value());
    EXPECT_EQ(d->text(), QStringLiteral("繁體\n"));
    EXPECT_EQ(d->eol(), LineEnding::crlf);
    EXPECT_EQ(d->encoding(), TextEncoding::big5);
    EXPECT_FALSE(d->isDirty());
}

TEST(Doc, FailedWriteKeepsTheFileUnchanged)
{
    TestDir dir;
    const QByteArray original = "keep me";
    const QString file = dir.write(QStringLiteral("k.txt"), original);
    auto opened = Doc::open(file, TextEncoding::latin1);
    ASSERT_TRUE(opened);
    DocPtr d = opened.value();
    d->setText(QStringLiteral("中文"));
    EXPECT_EQ(d->write(file), QStringLiteral("内容中有 ISO-8859-1 无法表示的字符，请换用 UTF-8 保存"));
    EXPECT_EQ(TestDir::read(file), original);

    // A directory in the way of the target is an error, never a crash.
    d->setText(QStringLiteral("x"));
    EXPECT_TRUE(d->write(dir.dir.path()).has_value());
    EXPECT_TRUE(d->write(dir.path(QStringLiteral("no/such/dir/f.txt"))).has_value());
}

TEST(Doc, RestoreTellsAMissingAndAChangedFile)
{
    TestDir dir;
    DocSnapshot s = snapshotFor(dir.path(QStringLiteral("gone.txt")), QString());
    DocPtr d = Doc::restore(s);
    EXPECT_EQ(d->notice(), DocNotice::missing);
    EXPECT_TRUE(d->isDirty());
    EXPECT_EQ(d->text(), QString());
    EXPECT_EQ(d->id, s.id);

    // A file is changed when its time differs from the snapshot's by more than half a second.
    const QString file = dir.write(QStringLiteral("m.txt"), "disk\n");
    const QDateTime base = QDateTime::fromMSecsSinceEpoch(1700000000000, Qt::UTC);
    ASSERT_TRUE(setMTime(file, base.addMSecs(500)));

    s = snapshotFor(file, QStringLiteral("mine\n"));
    s.diskModified = base;
    s.mode = ViewMode::preview;  // plain text offers no preview
    DocPtr exact = Doc::restore(s);
    EXPECT_FALSE(exact->notice().has_value());
    EXPECT_TRUE(exact->baseline().matches(QStringLiteral("disk\n")));
    EXPECT_FALSE(exact->baseline().matches(QStringLiteral("mine\n")));
    EXPECT_EQ(exact->text(), QStringLiteral("mine\n"));
    EXPECT_EQ(exact->mode(), ViewMode::editor);

    ASSERT_TRUE(setMTime(file, base.addMSecs(501)));
    DocPtr changed = Doc::restore(s);
    EXPECT_EQ(changed->notice(), DocNotice::diskChanged);
    EXPECT_EQ(changed->diskModified(), base);
}

TEST(Doc, TextSetterAndModesNotifyOnlyOnChange)
{
    auto d = newDoc(QStringLiteral("a.txt"), QStringLiteral("x"));
    QSignalSpy text(d.get(), &Doc::textChanged);
    QSignalSpy mode(d.get(), &Doc::modeChanged);
    QSignalSpy modified(d.get(), &Doc::modifiedChanged);
    d->setText(QStringLiteral("x"));
    EXPECT_EQ(text.count(), 0);
    d->setMode(ViewMode::preview);
    EXPECT_EQ(d->mode(), ViewMode::editor);
    EXPECT_EQ(mode.count(), 0);
    d->setText(QStringLiteral("y"));
    d->setText(QStringLiteral("yz"));
    EXPECT_EQ(text.count(), 2);
    // The unsaved mark changes once, not with every edit; saving clears it
    // and so does typing back the saved text.
    EXPECT_EQ(modified.count(), 1);
    d->markSaved();
    d->setText(QStringLiteral("yzz"));
    d->setText(QStringLiteral("yzzz"));
    d->setText(QStringLiteral("yz"));
    QList<bool> marks;
    for (const auto& args : modified)
        marks << args.at(0).toBool();
    EXPECT_EQ(marks, QList<bool>({true, false, true, false}));

    auto md = newDoc(QStringLiteral("a.md"), QString());
    md->setMode(ViewMode::preview);
    EXPECT_EQ(md->mode(), ViewMode::preview);
    md->setName(QStringLiteral("a.toml"));
    md->resetMode();
    EXPECT_EQ(md->mode(), ViewMode::editor);
    md->setName(QStringLiteral("a.json"));
    md->resetMode();
    EXPECT_EQ(md->mode(), ViewMode::editor);
}

namespace {

DocPtr openFile(const QString& path, std::optional<TextEncoding> encoding = std::nullopt)
{
    Doc::setAnalysisEnabled(false);
    auto opened = Doc::open(path, encoding);
    Doc::setAnalysisEnabled(true);
    return opened ? opened.value() : nullptr;
}

}

// An opened file hands its bytes on as they are (a UTF-8 mark and carriage
// returns taken off), and writing it back gives the file again.
TEST(OpenBytes, FilesComeBackByteExactThroughTheUTF8Path)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        TextEncoding encoding;
        LineEnding eol;
        QString text;
    };
    const QString chinese = QStringLiteral("第一行 café 😀\n第二行");
    const Case cases[] = {
        {"utf8.txt", chinese.toUtf8(), TextEncoding::utf8, LineEnding::lf, chinese},
        {"bom.txt", "\xEF\xBB\xBF" + chinese.toUtf8(), TextEncoding::utf8BOM, LineEnding::lf, chinese},
        {"crlf.txt", "a\r\nb\r\n\xE4\xB8\xAD\r\n", TextEncoding::utf8, LineEnding::crlf, QStringLiteral("a\nb\n中\n")},
        {"cr.txt", "a\rb\r", TextEncoding::utf8, LineEnding::cr, QStringLiteral("a\nb\n")},
        {"gb.txt",
         *TextEncoding(TextEncoding::gb18030).encode(QStringLiteral("简体中文的文本，足够长以便识别。\r\n第二行")),
         TextEncoding::gb18030, LineEnding::crlf, QStringLiteral("简体中文的文本，足够长以便识别。\n第二行")},
        {"le.txt", *TextEncoding(TextEncoding::utf16LE).encode(QStringLiteral("UTF-16 文本\n")), TextEncoding::utf16LE,
         LineEnding::lf, QStringLiteral("UTF-16 文本\n")},
    };
    TestDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = dir.write(QString::fromLatin1(c.name), c.bytes);
        DocPtr d = openFile(file);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->encoding(), c.encoding);
        EXPECT_EQ(d->eol(), c.eol);
        // Held as UTF-8 until someone asks for a QString.
        const TextCopy copy = d->textCopy();
        ASSERT_TRUE(copy.isUtf8());
        EXPECT_EQ(copy.utf8, c.text.toUtf8());
        EXPECT_FALSE(d->isDirty());
        const QString out = dir.path(QStringLiteral("out-") + QString::fromLatin1(c.name));
        EXPECT_FALSE(d->write(out).has_value());
        EXPECT_EQ(TestDir::read(out), c.bytes);
        EXPECT_EQ(d->text(), c.text);
        EXPECT_FALSE(d->isDirty());
    }
}

TEST(OpenBytes, WhatIsReadIsWrittenBackByteForByte)
{
    TestDir dir;
    // A stray byte that no encoding takes: a repaired reading, as before.
    const QByteArray broken = QByteArray("ok \xE4\xB8 then \xFF\xFE\x01 end\n");
    const QString file = dir.write(QStringLiteral("broken.txt"), broken);
    DocPtr d = openFile(file);
    ASSERT_TRUE(d);
    const TextEncoding::Detection expected = TextEncoding::detect(broken);
    EXPECT_EQ(d->encoding(), expected.encoding);
    EXPECT_EQ(d->text(), expected.text);
    EXPECT_EQ(d->likelyEncoding(), expected.likely);
    // Latin-1 text is converted once and written back unchanged.
    const QByteArray latin = "caf\xE9 cr\xE8me br\xFBl\xE9"
                             "e\n";
    const QString latinFile = dir.write(QStringLiteral("latin.txt"), latin);
    DocPtr l = openFile(latinFile, TextEncoding::latin1);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->encoding(), TextEncoding::latin1);
    EXPECT_EQ(l->text(), QStringLiteral("café crème brûlée\n"));
    EXPECT_EQ(l->encoded().value(), latin);

    // A UTF-8 mark is kept as text when plain UTF-8 is asked for.
    const QByteArray bytes = "\xEF\xBB\xBFmarked\n";
    const QString marked = dir.write(QStringLiteral("m.txt"), bytes);
    DocPtr asked = openFile(marked, TextEncoding::utf8);
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->text(), QStringLiteral("\uFEFFmarked\n"));
    EXPECT_EQ(asked->encoded().value(), bytes);
    DocPtr withMark = openFile(marked, TextEncoding::utf8BOM);
    ASSERT_TRUE(withMark);
    EXPECT_EQ(withMark->text(), QStringLiteral("marked\n"));
    EXPECT_EQ(withMark->encoded().value(), bytes);
}
