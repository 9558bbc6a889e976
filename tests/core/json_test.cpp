#include "core/BackupStore.h"
#include "core/JSONCodec.h"
#include "core/StoredJSON.h"

#include <QJsonArray>
#include <QJsonObject>
#include <cmath>
#include <gtest/gtest.h>

TEST(StoredJSONWrite, IsCompactWithSlashesEscaped)
{
    const QJsonObject o{{QStringLiteral("path"), QStringLiteral("/home/u/a.md")},
                        {QStringLiteral("list"), QJsonArray{1, true, QJsonValue(), 2.5}},
                        {QStringLiteral("empty"), QJsonObject()}};
    EXPECT_EQ(StoredJSON::write(o), QByteArray(R"({"empty":{},"list":[1,true,null,2.5],"path":"\/home\/u\/a.md"})"));
    // Bare values at the top, as the preference blobs of single strings are.
    EXPECT_EQ(StoredJSON::write(QStringLiteral("a/b")), QByteArray(R"("a\/b")"));
    EXPECT_EQ(StoredJSON::write(13.0), QByteArray("13"));
}

TEST(StoredJSONWrite, EscapesControlsAndKeepsUnicodeAsUTF8)
{
    const QString s = QStringLiteral("引号\"反斜杠\\\n\t\r\b\f") + QChar(0x01) + QChar(0x1F) + QStringLiteral("😀");
    EXPECT_EQ(StoredJSON::write(s), QByteArray("\"引号\\\"反斜杠\\\\\\n\\t\\r\\b\\f\\u0001\\u001f😀\""));
    EXPECT_EQ(StoredJSON::write(QString(QChar(0))), QByteArray("\"\\u0000\""));
    // A text that already holds the escape keeps its backslash.
    EXPECT_EQ(StoredJSON::read(StoredJSON::write(QStringLiteral("\\/")))->toString(), QStringLiteral("\\/"));
}

TEST(StoredJSONWrite, LoneSurrogatesSurviveARoundTrip)
{
    QString s = QStringLiteral("a");
    s += QChar(0xD83D);  // high surrogate without its partner
    s += QStringLiteral("b");
    s += QChar(0xDE00);
    const QByteArray bytes = StoredJSON::write(s);
    EXPECT_EQ(bytes, QByteArray("\"a\\ud83db\\ude00\""));
    EXPECT_EQ(StoredJSON::read(bytes)->toString(), s);
}

TEST(StoredJSONWrite, NumbersRoundTrip)
{
    for (double d : {0.0, -3.0, 0.1, 1e-9, 789012345.123, 1e300, 12345678901234567.0}) {
        const auto back = StoredJSON::read(StoredJSON::write(d));
        ASSERT_TRUE(back && back->isDouble()) << d;
        EXPECT_EQ(back->toDouble(), d);
    }
}

TEST(StoredJSONRead, AcceptsStandardJSONWithEitherSlash)
{
    const auto j = StoredJSON::read(R"( { "a" : [ 1 , -2.5e3 , "x\u4e2d\/" ] , "b" : false , "a" : "last" } )");
    ASSERT_TRUE(j && j->isObject());
    EXPECT_EQ(j->toObject().value(u"a").toString(), QStringLiteral("last"));
    EXPECT_EQ(StoredJSON::read("\"\\ud83d\\ude00\"")->toString(), QStringLiteral("😀"));
    EXPECT_EQ(StoredJSON::read(R"("a/b")")->toString(), StoredJSON::read(R"("a\/b")")->toString());
    EXPECT_EQ(StoredJSON::read("[1,-2.5e3]")->toArray().at(1).toDouble(), -2500);
}

TEST(StoredJSONRead, RejectsMalformedInput)
{
    for (const char* bad :
         {"",    " ",     "{",           "[1,]",  "{\"a\":1,}", "01",        "-",     "+1",  "1e", "tru",
          "nul", "\"abc", "\"\\u12g4\"", "[1] 2", "1 2",        "{\"a\" 1}", "{1:2}", "NaN", "]",  "1]["})
        EXPECT_FALSE(StoredJSON::read(QByteArray(bad))) << bad;
    // Invalid UTF-8 is refused, never replaced.
    EXPECT_FALSE(StoredJSON::read(QByteArray("\"\xC3\x28\"")));
    EXPECT_FALSE(StoredJSON::read(QByteArray("\"\xED\xA0\x80\"")));  // encoded surrogate
    EXPECT_FALSE(StoredJSON::read(QByteArray("\"\xC0\xAF\"")));      // overlong
    // Deep nesting fails instead of overflowing the stack.
    EXPECT_FALSE(StoredJSON::read(QByteArray(100000, '[') + QByteArray(100000, ']')));
}

TEST(StoredJSONTime, SecondsSince2001)
{
    const QDateTime ref(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    EXPECT_EQ(StoredJSON::seconds(ref), 0.0);
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(1700000000123LL, Qt::UTC);
    EXPECT_DOUBLE_EQ(StoredJSON::seconds(t), 1700000000.123 - 978307200.0);
    EXPECT_EQ(*StoredJSON::date(StoredJSON::seconds(t)), t);
    EXPECT_FALSE(StoredJSON::date(1e300));
    EXPECT_FALSE(StoredJSON::date(std::nan("")));
}

TEST(JSONCodecs, SettingsStoredBeforeTheFontFamilyAndBlanksStillLoad)
{
    struct Case {
        const char* json;
        QString family;
        bool blanks;
    };
    for (const Case& c : {Case{R"({"appearance":2,"scheme":"paper","fontSize":15,"wordWrap":true})", {}, false},
                          Case{R"({"appearance":2,"scheme":"paper","fontSize":15,"wordWrap":true,)"
                               R"("fontFamily":7,"showWhitespace":"yes"})",
                               {},
                               false},
                          Case{R"({"appearance":2,"scheme":"paper","fontSize":15,"wordWrap":true,)"
                               R"("fontFamily":"Noto Sans Mono","showWhitespace":true})",
                               QStringLiteral("Noto Sans Mono"), true}}) {
        SCOPED_TRACE(c.json);
        const auto s = JSONCodec<Settings>::decode(*StoredJSON::read(c.json));
        ASSERT_TRUE(s);
        // The older fields are read whatever happens to the newer ones.
        EXPECT_EQ(s->appearance, 2);
        EXPECT_EQ(s->scheme, QStringLiteral("paper"));
        EXPECT_EQ(s->fontSize, 15);
        EXPECT_TRUE(s->wrapFor(QStringLiteral("json")));
        EXPECT_EQ(s->fontFamily, c.family);
        EXPECT_EQ(s->showWhitespace, c.blanks);
    }
}

TEST(JSONCodecs, RecordsAreStrict)
{
    const auto tag = JSONCodec<Tag>::decode(*StoredJSON::read(R"({"id":"x","name":"名","color":5})"));
    ASSERT_TRUE(tag);
    EXPECT_EQ(*tag, (Tag{"x", "名", 5}));
    EXPECT_FALSE(JSONCodec<Tag>::decode(*StoredJSON::read(R"({"id":"x","name":"名","color":1.5})")));
    EXPECT_FALSE(JSONCodec<Tag>::decode(*StoredJSON::read(R"({"id":"x","name":"名","color":3000000000})")));
    EXPECT_FALSE(JSONCodec<Tag>::decode(*StoredJSON::read(R"({"id":"x","color":1})")));

    Settings s;
    s.appearance = 2;
    s.scheme = QStringLiteral("paper");
    s.fontSize = 15.5;
    s.fontFamily = QStringLiteral("DejaVu Sans Mono");
    s.showWhitespace = true;
    EXPECT_EQ(JSONCodec<Settings>::decode(*StoredJSON::read(StoredJSON::write(JSONCodec<Settings>::encode(s)))), s);
    EXPECT_FALSE(JSONCodec<Settings>::decode(*StoredJSON::read(R"({"appearance":0,"scheme":"g"})")));

    const auto item = JSONCodec<SessionItem>::decode(
        *StoredJSON::read(R"({"backup":"0f8fad5b-d9cb-469f-a165-70867728950e"})"));
    ASSERT_TRUE(item && item->backup);
    EXPECT_FALSE(item->path);
    EXPECT_EQ(StoredJSON::write(JSONCodec<SessionItem>::encode(*item)),
              QByteArray(R"({"backup":"0F8FAD5B-D9CB-469F-A165-70867728950E"})"));
    EXPECT_FALSE(
        JSONCodec<SessionItem>::decode(*StoredJSON::read(R"({"backup":"{0f8fad5b-d9cb-469f-a165-70867728950e}"})")));
    EXPECT_FALSE(JSONCodec<QStringList>::decode(*StoredJSON::read(R"(["a",1])")));
}

// Bytes exactly as the program's former JSON writer left them on disk: keys
// in insertion order, "/" escaped, whole numbers without a fraction.
TEST(StoredJSONCompatibility, FilesOfTheFormerWriterStillLoad)
{
    const QByteArray snapshot =
        R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","path":"\/home\/u\/笔记\/a.md","name":"a.md",)"
        R"("text":"line\/one\n\"two\"\t\ud83d","encoding":"UTF-8","eol":"LF","tags":["t1"],)"
        R"("originalName":"b.md","metaDirty":true,"diskModified":789012345.5,"mode":"editor",)"
        R"("savedAt":789012346,"autoExt":"md"})";
    const auto json = StoredJSON::read(snapshot);
    ASSERT_TRUE(json);
    const auto s = BackupStore::decode(*json);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->path, QStringLiteral("/home/u/笔记/a.md"));
    QString text = QStringLiteral("line/one\n\"two\"\t");
    text += QChar(0xD83D);
    EXPECT_EQ(s->text, text);
    EXPECT_EQ(s->tags, QStringList{QStringLiteral("t1")});
    EXPECT_EQ(s->originalName, QStringLiteral("b.md"));
    EXPECT_TRUE(s->metaDirty);
    EXPECT_EQ(s->diskModified, StoredJSON::date(789012345.5));
    EXPECT_EQ(s->savedAt, StoredJSON::date(789012346));
    EXPECT_EQ(s->autoExt, QStringLiteral("md"));
    // Written again, it reads back the same, and in the same spelling of "/".
    const QByteArray again = StoredJSON::write(BackupStore::encode(*s));
    EXPECT_TRUE(again.contains(R"("path":"\/home\/u\/笔记\/a.md")")) << again.toStdString();
    EXPECT_FALSE(again.contains(R"("/home)")) << again.toStdString();
    const auto back = BackupStore::decode(*StoredJSON::read(again));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, s->text);
    EXPECT_EQ(back->diskModified, s->diskModified);

    const auto tags = JSONCodec<QMap<QString, QStringList>>::decode(
        *StoredJSON::read(R"({"\/home\/u\/a.md":["t1","t2"],"\/tmp\/b":[]})"));
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->value(QStringLiteral("/home/u/a.md")), (QStringList{QStringLiteral("t1"), QStringLiteral("t2")}));
    EXPECT_TRUE(tags->contains(QStringLiteral("/tmp/b")));
    const auto session = JSONCodec<QList<SessionItem>>::decode(
        *StoredJSON::read(R"([{"path":"\/home\/u\/a.md"},{"backup":"0F8FAD5B-D9CB-469F-A165-70867728950E"}])"));
    ASSERT_TRUE(session && session->size() == 2);
    EXPECT_EQ((*session)[0].path, QStringLiteral("/home/u/a.md"));
}
