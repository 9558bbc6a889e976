#include "core/JSONCodec.h"
#include "core/StoredJSON.h"

#include <gtest/gtest.h>

namespace {

std::optional<Settings> read(const char* json) { return JSONCodec<Settings>::decode(*StoredJSON::read(json)); }

}

TEST(SettingsIndent, ChangedIndentsAreStoredAndReadBack)
{
    Settings s;
    s.indents.insert(QStringLiteral("json"), Indent{4, true});
    s.indents.insert(QStringLiteral("markdown"), Indent{2, false});
    const auto back = JSONCodec<Settings>::decode(*StoredJSON::read(StoredJSON::write(JSONCodec<Settings>::encode(s))));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, s);
    EXPECT_EQ(back->indentFor(QStringLiteral("json")), (Indent{4, true}));
    EXPECT_EQ(back->indentFor(QStringLiteral("yaml")), Settings::defaultIndent(QStringLiteral("yaml")));
}

TEST(SettingsIndent, SettingsStoredWithoutIndentsLoadWithEachFormatsDefault)
{
    const auto old = read(R"({"appearance":1,"scheme":"paper","fontSize":14,"wordWrap":true})");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->scheme, QStringLiteral("paper"));
    EXPECT_TRUE(old->indents.isEmpty());
    const std::pair<const char*, Indent> defaults[] = {
        {"json", {2, false}},     {"yaml", {2, false}}, {"toml", {2, false}}, {"markdown", {4, false}},
        {"plantuml", {4, false}}, {"csv", {4, false}},  {"text", {4, false}},
    };
    for (const auto& [format, indent] : defaults) {
        SCOPED_TRACE(format);
        EXPECT_EQ(old->indentFor(QString::fromLatin1(format)), indent);
    }
}

TEST(SettingsIndent, AnEntryThatIsNoIndentKeepsTheDefaultAndTheRestLoads)
{
    const auto s = read(R"({"appearance":0,"scheme":"g","fontSize":13,"wordWrap":false,"indents":{)"
                        R"("json":{"width":0,"tabs":false},"yaml":{"width":3},"toml":"wide",)"
                        R"("text":{"width":99,"tabs":true},"csv":{"width":1.5,"tabs":true},)"
                        R"("markdown":{"width":8,"tabs":true}}})");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->indents.keys(), QStringList{QStringLiteral("markdown")});
    EXPECT_EQ(s->indentFor(QStringLiteral("markdown")), (Indent{8, true}));
    EXPECT_EQ(s->indentFor(QStringLiteral("json")), (Indent{2, false}));
    // Indents that are not an object at all are no reason to drop the settings.
    EXPECT_TRUE(read(R"({"appearance":0,"scheme":"g","fontSize":13,"wordWrap":false,"indents":7})"));
}
