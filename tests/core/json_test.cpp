#include "core/Json.h"
#include "core/JsonCodec.h"

#include <gtest/gtest.h>

namespace {

QByteArray written(const Json& j) { return *Json::write(j); }

Json obj(std::initializer_list<std::pair<const char*, Json>> members)
{
    Json::Object o;
    for (const auto& [k, v] : members)
        o.insert(QString::fromLatin1(k), v);
    return Json(std::move(o));
}

}

TEST(JsonWrite, IsCompactWithSlashesEscaped)
{
    const Json j = obj({{"path", Json(QStringLiteral("/home/u/a.md"))},
                        {"list", Json(Json::Array{Json(1), Json(true), Json(nullptr), Json(2.5)})},
                        {"empty", Json(Json::Object{})}});
    EXPECT_EQ(written(j), QByteArray(R"({"path":"\/home\/u\/a.md","list":[1,true,null,2.5],"empty":{}})"));
}

TEST(JsonWrite, EscapesControlsAndKeepsUnicodeAsUtf8)
{
    const QString s = QStringLiteral("引号\"反斜杠\\\n\t\r\b\f") + QChar(0x01) + QChar(0x1F) + QStringLiteral("😀");
    EXPECT_EQ(written(Json(s)), QByteArray("\"引号\\\"反斜杠\\\\\\n\\t\\r\\b\\f\\u0001\\u001f😀\""));
    EXPECT_EQ(written(Json(QString(QChar(0)))), QByteArray("\"\\u0000\""));
}

TEST(JsonWrite, LoneSurrogatesSurviveARoundTrip)
{
    QString s = QStringLiteral("a");
    s += QChar(0xD83D);  // high surrogate without its partner
    s += QStringLiteral("b");
    s += QChar(0xDE00);
    const QByteArray bytes = written(Json(s));
    EXPECT_EQ(bytes, QByteArray("\"a\\ud83db\\ude00\""));
    EXPECT_EQ(Json::read(bytes)->toString(), s);
}

TEST(JsonWrite, NumbersRoundTripAndNonFiniteFails)
{
    for (double d : {0.0, -3.0, 0.1, 1e-9, 789012345.123, 1e300, 12345678901234567.0}) {
        const auto back = Json::read(written(Json(d)));
        ASSERT_TRUE(back && back->isNumber()) << d;
        EXPECT_EQ(back->toNumber(), d);
    }
    EXPECT_EQ(written(Json(13.0)), QByteArray("13"));
    EXPECT_FALSE(Json::write(Json(std::numeric_limits<double>::infinity())));
    EXPECT_FALSE(Json::write(Json(Json::Array{Json(std::nan(""))})));
}

TEST(JsonRead, AcceptsStandardJson)
{
    const auto j = Json::read(R"( { "a" : [ 1 , -2.5e3 , "x\u4e2d\/" ] , "b" : false , "a" : "last" } )");
    ASSERT_TRUE(j && j->isObject());
    EXPECT_EQ(j->toObject().value(u"a")->toString(), QStringLiteral("last"));
    EXPECT_EQ(j->toObject().members().front().second.toArray()[1].toNumber(), -2500);
    EXPECT_EQ(j->toObject().members().front().second.toArray()[2].toString(), QStringLiteral("x中/"));
    EXPECT_EQ(Json::read("\"\\ud83d\\ude00\"")->toString(), QStringLiteral("😀"));
}

TEST(JsonRead, RejectsMalformedInput)
{
    for (const char* bad : {"", "{", "[1,]", "{\"a\":1,}", "01", "1.", ".5", "-", "+1", "1e", "tru", "nul",
                            "\"abc", "\"\\x\"", "\"\\u12g4\"", "[1] 2", "{\"a\" 1}", "{1:2}", "\"tab\there\"",
                            "NaN", "1e999"})
        EXPECT_FALSE(Json::read(QByteArray(bad))) << bad;
    // Invalid UTF-8 is refused, never replaced.
    EXPECT_FALSE(Json::read(QByteArray("\"\xC3\x28\"")));
    EXPECT_FALSE(Json::read(QByteArray("\"\xED\xA0\x80\"")));  // encoded surrogate
    EXPECT_FALSE(Json::read(QByteArray("\"\xC0\xAF\"")));      // overlong
}

TEST(JsonRead, DeepNestingFailsInsteadOfOverflowing)
{
    const QByteArray ok = QByteArray(Json::maxDepth, '[') + QByteArray(Json::maxDepth, ']');
    EXPECT_TRUE(Json::read(ok));
    const QByteArray deep = QByteArray(100000, '[') + QByteArray(100000, ']');
    EXPECT_FALSE(Json::read(deep));
}

TEST(JsonTime, SecondsSince2001)
{
    const QDateTime ref(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    EXPECT_EQ(Json::seconds(ref), 0.0);
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(1700000000123LL, Qt::UTC);
    EXPECT_DOUBLE_EQ(Json::seconds(t), 1700000000.123 - 978307200.0);
    EXPECT_EQ(*Json::date(Json::seconds(t)), t);
    EXPECT_FALSE(Json::date(1e300));
}

TEST(JsonCodecs, RecordsAreStrict)
{
    const auto tag = JsonCodec<Tag>::decode(*Json::read(R"({"id":"x","name":"名","color":5})"));
    ASSERT_TRUE(tag);
    EXPECT_EQ(*tag, (Tag{"x", "名", 5}));
    EXPECT_FALSE(JsonCodec<Tag>::decode(*Json::read(R"({"id":"x","name":"名","color":1.5})")));
    EXPECT_FALSE(JsonCodec<Tag>::decode(*Json::read(R"({"id":"x","color":1})")));

    const Settings s{2, QStringLiteral("paper"), 15.5, true};
    EXPECT_EQ(JsonCodec<Settings>::decode(*Json::read(written(JsonCodec<Settings>::encode(s)))), s);
    EXPECT_FALSE(JsonCodec<Settings>::decode(*Json::read(R"({"appearance":0,"scheme":"g","fontSize":13})")));

    const auto item = JsonCodec<SessionItem>::decode(*Json::read(R"({"backup":"0f8fad5b-d9cb-469f-a165-70867728950e"})"));
    ASSERT_TRUE(item && item->backup);
    EXPECT_FALSE(item->path);
    EXPECT_EQ(written(JsonCodec<SessionItem>::encode(*item)),
              QByteArray(R"({"backup":"0F8FAD5B-D9CB-469F-A165-70867728950E"})"));
    EXPECT_FALSE(JsonCodec<SessionItem>::decode(*Json::read(R"({"backup":"{0f8fad5b-d9cb-469f-a165-70867728950e}"})")));
    EXPECT_FALSE(JsonCodec<QStringList>::decode(*Json::read(R"(["a",1])")));
}
