#include "Workspace.h"
#include "core/StoredJSON.h"

#include <QFile>
#include <QJsonObject>

namespace {

class BackupStoreTest : public ::testing::Test {
protected:
    void SetUp() override { clearBackups(); }
    void TearDown() override { clearBackups(); }

    static QByteArray raw(QUuid id) { return TestDir::read(BackupStore::fileFor(id)); }
    static void putRaw(QUuid id, const QByteArray& bytes)
    {
        QFile f(BackupStore::fileFor(id));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QString placeholder(QUuid id, const char* extra)
    {
        return QStringLiteral(
                   R"({"id":"%1","name":"a.txt","text":"t","encoding":"UTF-8","eol":"LF","tags":[],"metaDirty":false,"mode":"editor","savedAt":1%2})")
            .arg(uuidText(id), QString::fromLatin1(extra));
    }

    TestDir files;
};

}

TEST_F(BackupStoreTest, NeverSavedDocumentRoundTrips)
{
    DocPtr d = newDoc(QStringLiteral("未命名.md"), QStringLiteral("# 草稿\n路径 a/b"));
    d->setAutoExt(QStringLiteral("md"));
    d->setTags({QStringLiteral("work"), QStringLiteral("ops")});
    const QDateTime before = QDateTime::currentDateTimeUtc();
    ASSERT_TRUE(BackupStore::write(*d));
    EXPECT_TRUE(BackupStore::exists(d->id));

    const QByteArray bytes = raw(d->id);
    EXPECT_FALSE(bytes.contains("\"path\""));
    EXPECT_FALSE(bytes.contains("\"diskModified\""));
    EXPECT_FALSE(bytes.contains("\"originalName\""));
    EXPECT_TRUE(bytes.contains("\"autoExt\":\"md\""));
    EXPECT_TRUE(bytes.contains("a\\/b"));
    EXPECT_FALSE(bytes.contains(": ") || bytes.contains(", ") || bytes.contains('\n'));
    EXPECT_TRUE(bytes.contains(("\"id\":\"" + uuidText(d->id) + "\"").toUtf8()));

    const auto s = BackupStore::load(d->id);
    ASSERT_TRUE(s);
    DocSnapshot expected = BackupStore::snapshot(*d);
    expected.savedAt = s->savedAt;
    EXPECT_EQ(*s, expected);
    EXPECT_LE(std::abs(s->savedAt.msecsTo(before)), 5000);

    DocPtr plain = newDoc(QStringLiteral("x"), QStringLiteral("y"));
    BackupStore::write(*plain);
    EXPECT_FALSE(raw(plain->id).contains("\"autoExt\""));
}

TEST_F(BackupStoreTest, EveryFieldOfASavedDocumentRoundTrips)
{
    const QString path = files.write(QStringLiteral("conf.yaml"),
                                     *TextEncoding(TextEncoding::gb18030).encode(QStringLiteral("键: 值\r\n")));
    auto opened = Doc::open(path, TextEncoding::gb18030);
    ASSERT_TRUE(opened);
    DocPtr d = opened.value();
    d->setText(QStringLiteral("键: 新值\n"));
    d->setEol(LineEnding::cr);
    d->setOriginalName(QStringLiteral("old.yaml"));
    d->setMetaDirty(true);
    d->setMode(ViewMode::preview);
    d->setTags({QStringLiteral("conf")});
    ASSERT_TRUE(BackupStore::write(*d));
    const auto s = BackupStore::load(d->id);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->path, path);
    EXPECT_EQ(s->encoding, TextEncoding::gb18030);
    EXPECT_EQ(s->eol, LineEnding::cr);
    EXPECT_EQ(s->mode, ViewMode::preview);
    EXPECT_EQ(s->diskModified, d->diskModified());
    EXPECT_TRUE(s->diskModified.has_value());
    DocSnapshot expected = BackupStore::snapshot(*d);
    expected.savedAt = s->savedAt;
    EXPECT_EQ(*s, expected);

    // Rebuilt from its snapshot the document is the same document.
    DocPtr back = Doc::restore(*s);
    EXPECT_EQ(back->id, d->id);
    EXPECT_EQ(back->text(), d->text());
    EXPECT_TRUE(back->baseline() == d->baseline());
    EXPECT_EQ(back->originalName(), d->originalName());
    EXPECT_FALSE(back->notice().has_value());
}

TEST_F(BackupStoreTest, LoadIsStrictAboutRequiredKeysAndTypes)
{
    const QUuid id = QUuid::createUuid();
    putRaw(id, placeholder(id, "").toUtf8());
    ASSERT_TRUE(BackupStore::load(id));

    const QStringList required{"id", "name", "text", "encoding", "eol", "tags", "metaDirty", "mode", "savedAt"};
    for (const QString& key : required) {
        QJsonObject o = StoredJSON::read(placeholder(id, "").toUtf8())->toObject();
        ASSERT_TRUE(o.contains(key)) << key.toStdString();
        o.remove(key);
        putRaw(id, StoredJSON::write(o));
        EXPECT_FALSE(BackupStore::load(id)) << "without " << key.toStdString();
    }
    for (const auto& [from, to] :
         std::initializer_list<std::pair<const char*, const char*>>{{"\"mode\":\"editor\"", "\"mode\":\"sidebyside\""},
                                                                    {"\"encoding\":\"UTF-8\"", "\"encoding\":\"utf8\""},
                                                                    {"\"eol\":\"LF\"", "\"eol\":\"lf\""},
                                                                    {"\"metaDirty\":false", "\"metaDirty\":0"},
                                                                    {"\"tags\":[]", "\"tags\":[1]"},
                                                                    {"\"savedAt\":1", "\"savedAt\":\"1\""}}) {
        putRaw(id, placeholder(id, "").replace(QLatin1String(from), QLatin1String(to)).toUtf8());
        EXPECT_FALSE(BackupStore::load(id)) << to;
    }
    for (const char* extra : {",\"path\":7", ",\"diskModified\":\"1\""}) {
        putRaw(id, placeholder(id, extra).toUtf8());
        EXPECT_FALSE(BackupStore::load(id)) << extra;
    }
    putRaw(id, "not json at all");
    EXPECT_FALSE(BackupStore::load(id));

    // Optional keys may be null; unknown keys are ignored.
    putRaw(
        id,
        placeholder(id, ",\"path\":null,\"originalName\":null,\"diskModified\":null,\"future\":{\"x\":[1]}").toUtf8());
    const auto s = BackupStore::load(id);
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->path);
    EXPECT_FALSE(s->diskModified);
    // Failed loads never delete the file.
    EXPECT_TRUE(BackupStore::exists(id));
}

TEST_F(BackupStoreTest, AllIDsKeepsOnlyUuidJSONFilesOldestFirst)
{
    const QString dir = BackupStore::directory();
    const QString upper = uuidText(QUuid::createUuid());
    files.write(QStringLiteral("unused"), "");
    for (const QString& name : {QStringLiteral("notes.json"), upper + QStringLiteral(".JSON"),
                                uuidText(QUuid::createUuid()) + QStringLiteral(".txt")}) {
        QFile f(dir + QLatin1Char('/') + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(BackupStore::allIDs().isEmpty());

    const QDateTime base = QDateTime::currentDateTimeUtc().addSecs(-100);
    QList<QUuid> ids;
    for (int i = 0; i < 4; ++i)
        ids << QUuid::createUuid();
    const int order[] = {2, 0, 3, 1};  // oldest first
    for (int i = 0; i < 4; ++i) {
        putRaw(ids[order[i]], placeholder(ids[order[i]], "").toUtf8());
        ASSERT_TRUE(setMTime(BackupStore::fileFor(ids[order[i]]), base.addSecs(i * 10)));
    }
    EXPECT_EQ(BackupStore::allIDs(), (QList<QUuid>{ids[2], ids[0], ids[3], ids[1]}));
}

TEST_F(BackupStoreTest, AFailedWriteKeepsThePreviousSnapshot)
{
    DocPtr d = newDoc(QStringLiteral("big.txt"), QStringLiteral("第一版"));
    ASSERT_TRUE(BackupStore::write(*d));
    const QByteArray previous = raw(d->id);

    // Simulate a full disk: the process may not write files beyond 64 KiB.
    d->setText(QString(200000, QChar(u'字')));
    const bool wrote = [&] {
        FileSizeLimit full(64 * 1024);
        return BackupStore::write(*d);
    }();

    EXPECT_FALSE(wrote);
    EXPECT_EQ(raw(d->id), previous);
    EXPECT_EQ(BackupStore::load(d->id)->text, QStringLiteral("第一版"));
    // No half-written temporary file is left behind.
    EXPECT_EQ(QDir(BackupStore::directory()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // A removed snapshot directory is made again.
    ASSERT_TRUE(QDir(BackupStore::directory()).removeRecursively());
    d->setText(QStringLiteral("仍然保存"));
    EXPECT_TRUE(BackupStore::write(*d));
    EXPECT_EQ(BackupStore::load(d->id)->text, QStringLiteral("仍然保存"));
}

// A shown document's snapshot is written from a copy of the editor's bytes:
// the live text is never pulled whole on the main thread for it.
TEST_F(BackupStoreTest, AQueuedSnapshotCopiesTheLiveBytesWithoutPullingTheText)
{
    DocPtr doc = newDoc(QStringLiteral("a.md"), QString());
    int pulls = 0;
    QByteArray buffer = QStringLiteral("草稿 e\u0301 😀\n").toUtf8();
    doc->attachLiveText({[&] {
                             ++pulls;
                             return QString::fromUtf8(buffer);
                         },
                         [&] { return QString::fromUtf8(buffer).size(); },
                         {},
                         [&] { return buffer; },
                         [&] { return buffer.size(); },
                         [] { return false; },
                         [] {},
                         {},
                         {}});
    doc->liveTextChanged();
    const QString typed = QString::fromUtf8(buffer);
    BackupStore::sync(*doc, {});
    buffer = "changed after the snapshot was asked for";
    BackupStore::waitForWrites();
    EXPECT_EQ(pulls, 0);
    const auto loaded = BackupStore::load(doc->id);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->text, typed);

    // Back to the saved (empty) text: the snapshot goes.
    buffer.clear();
    doc->liveTextChanged();
    BackupStore::sync(*doc, {});
    BackupStore::waitForWrites();
    EXPECT_EQ(pulls, 0);
    EXPECT_FALSE(BackupStore::exists(doc->id));
    doc->detachLiveText();
}

// A document read from a file is snapshotted from its UTF-8 bytes, escaped
// into the JSON as they are: every character JSON must escape, marks and
// characters outside the BMP come back, on the writer thread and on this one.
TEST_F(BackupStoreTest, ATextTakenAsUtf8BytesComesBackWhole)
{
    const QByteArray bytes = QStringLiteral("引号\"反斜杠\\斜杠/</script>\t制表\x01\x1f\b\f\uFEFF中😀\n末行").toUtf8();
    const QString path = files.write(QStringLiteral("raw.txt"), bytes);
    auto opened = Doc::open(path);
    ASSERT_TRUE(opened);
    DocPtr d = opened.value();
    d->setOriginalName(QStringLiteral("raw.md"));  // dirty without touching the bytes
    ASSERT_TRUE(d->textCopy().isUtf8());
    const QString expected = TextCopy::decode(bytes);

    BackupStore::sync(*d, {});
    BackupStore::waitForWrites();
    auto s = BackupStore::load(d->id);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->text, expected);
    EXPECT_EQ(s->originalName, QStringLiteral("raw.md"));
    EXPECT_TRUE(raw(d->id).contains("\\u0001\\u001f\\b\\f"));

    BackupStore::remove(d->id);
    ASSERT_TRUE(BackupStore::write(*d));
    s = BackupStore::load(d->id);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->text, expected);
    EXPECT_EQ(s->name, QStringLiteral("raw.txt"));

    // A text held as a string goes the same way.
    DocPtr held = newDoc(QStringLiteral("held.md"), expected);
    ASSERT_TRUE(BackupStore::write(*held));
    s = BackupStore::load(held->id);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->text, expected);
}

// A snapshot's text is taken straight from the stored bytes; whatever the
// bytes, the result is the one reading the whole file as JSON gives, and
// the short way is taken for what this program writes.
TEST_F(BackupStoreTest, TheTextTakenFromTheStoredBytesIsWhatTheJSONReaderReads)
{
    const auto stored = [](const char* name, const char* text, const char* extra = "") {
        return QByteArray(R"({"encoding":"UTF-8","eol":"LF","id":"7f0b3d7e-39f3-4c39-9d53-5bb8e0c2a1aa",)") + extra
            + R"("metaDirty":false,"mode":"editor","name":")" + name
            + R"(","savedAt":1,"tags":["a\"text\":\"b"],"text":")" + text + R"("})";
    };
    const struct {
        const char* what;
        QByteArray bytes;
        bool shortWay;
    } cases[] = {
        {"escapes", stored("n", R"(q\"b\\s\/t\tn\nr\rb\bf\f\u0001 中)"), true},
        {"a leading mark and NUL",
         stored("n",
                "\xEF\xBB\xBF"
                R"(x\u0000y)"),
         true},
        {"unicode escapes", stored("n", R"(\u4e2d\ud83d\ude00\u00e9)"), true},
        {"the key inside a name", stored(R"(a\"text\":\"b)", "real"), true},
        {"a nested member first", stored("n", "real", R"("autoExt":{"text":"inner"},)"), false},
        {"a lone high surrogate", stored("n", R"(a\ud83db)"), false},
        {"a lone low surrogate", stored("n", R"(a\ude00b)"), false},
        {"a bad escape", stored("n", R"(a\xb)"), false},
        {"a short unicode escape", stored("n", R"(a\u12)"), false},
        {"a raw control character",
         stored("n",
                "a\x01"
                "b"),
         false},
        {"bytes that are not UTF-8", stored("n", "a\xC3(b"), false},
        {"cut short", stored("n", "unfinished").chopped(3), false},
        {"trailing text", stored("n", "t") + "x", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(BackupStore::splitText(c.bytes).has_value(), c.shortWay);
        const auto json = StoredJSON::read(c.bytes);
        const auto whole = json ? BackupStore::decode(*json) : std::nullopt;
        EXPECT_EQ(BackupStore::read(c.bytes), whole);
    }
    // Not vacuous: the plain cases read.
    const auto read = BackupStore::read(cases[2].bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->text, QStringLiteral("中😀é"));
}
