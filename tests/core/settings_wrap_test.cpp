// Soft wrap per format: its defaults, how it is stored, how settings from
// before it load, and how a document's own choice stands beside the setting.
#include "Workspace.h"
#include "core/JSONCodec.h"
#include "core/StoredJSON.h"

namespace {

std::optional<Settings> read(const char* json) { return JSONCodec<Settings>::decode(*StoredJSON::read(json)); }

// Which formats wrap under these settings, in the order 设置 lists them.
QStringList wrapped(const Settings& s)
{
    QStringList out;
    for (const QString& format : Settings::formats())
        if (s.wrapFor(format))
            out << format;
    return out;
}

const QStringList prose = {QStringLiteral("markdown"), QStringLiteral("text")};

}

TEST(SettingsWrap, SettingsFromBeforeWrapPerFormatLoadSensibly)
{
    struct Case {
        const char* json;
        QStringList wrapped;
    };
    const QStringList all = Settings::formats();
    for (const Case& c : {
             // The one switch turned on: every format keeps wrapping.
             Case{R"({"appearance":0,"scheme":"g","fontSize":13,"wordWrap":true})", all},
             // Off was the old default, not a choice: each format gets its own.
             Case{R"({"appearance":0,"scheme":"g","fontSize":13,"wordWrap":false})", prose},
             // No choice at all: prose wraps, data, diagrams and tables do not.
             Case{R"({"appearance":0,"scheme":"g","fontSize":13})", prose},
             Case{R"({"appearance":0,"scheme":"g","fontSize":13,"wordWrap":"yes"})", prose},
             // Stored per format, the old switch no longer counts.
             Case{R"({"appearance":0,"scheme":"g","fontSize":13,"wordWrap":true,"wraps":{"json":true}})",
                  {QStringLiteral("markdown"), QStringLiteral("json"), QStringLiteral("text")}},
             // Entries that are no choice keep the default; the rest loads.
             Case{R"({"appearance":0,"scheme":"g","fontSize":13,"wraps":{"csv":1,"text":false,"yaml":true}})",
                  {QStringLiteral("markdown"), QStringLiteral("yaml")}},
             Case{R"({"appearance":0,"scheme":"g","fontSize":13,"wraps":7,"hanDoubleWidth":"on"})", prose},
         }) {
        SCOPED_TRACE(c.json);
        const auto s = read(c.json);
        ASSERT_TRUE(s);
        EXPECT_EQ(wrapped(*s), c.wrapped);
        EXPECT_FALSE(s->hanDoubleWidth);
    }
}

using WrapChoice = WorkspaceTest;

TEST_F(WrapChoice, TheToggleChangesTheActiveDocumentAndTheSettingTheOthers)
{
    const DocPtr notes = model->createDoc(QStringLiteral("n.md"), std::nullopt, {});
    const DocPtr data = model->createDoc(QStringLiteral("d.json"), std::nullopt, {});
    const DocPtr more = model->createDoc(QStringLiteral("m.json"), std::nullopt, {});
    model->setActiveID(data->id);
    EXPECT_TRUE(model->wraps(*notes));
    EXPECT_FALSE(model->wraps(*data));

    model->toggleWrap();
    EXPECT_TRUE(model->wraps(*data));
    EXPECT_FALSE(model->wraps(*more));
    EXPECT_EQ(model->settings(), Settings());
    model->toggleWrap();
    EXPECT_FALSE(model->wraps(*data));

    // The setting reaches the documents of its format that made no choice of their own.
    model->toggleWrap();
    model->setActiveID(notes->id);
    model->toggleWrap();
    Settings s = model->settings();
    s.wraps.insert(QStringLiteral("json"), false);
    s.wraps.insert(QStringLiteral("markdown"), true);
    model->setSettings(s);
    s.wraps.insert(QStringLiteral("json"), true);
    model->setSettings(s);
    EXPECT_TRUE(model->wraps(*more));
    EXPECT_TRUE(model->wraps(*data));
    EXPECT_FALSE(model->wraps(*notes));
    s.wraps.insert(QStringLiteral("json"), false);
    model->setSettings(s);
    EXPECT_FALSE(model->wraps(*more));
    EXPECT_TRUE(model->wraps(*data));
}
