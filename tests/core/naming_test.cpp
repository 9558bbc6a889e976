#include "TestFiles.h"
#include "core/Doc.h"

#include <gtest/gtest.h>

namespace {

QString title(const char* text, const char* skipping = "")
{
    return Doc::title(QString::fromUtf8(text), QString::fromUtf8(skipping));
}

DocPtr autoNamed(const QString& name, const QString& ext)
{
    DocPtr d = makeDoc(QUuid::createUuid(), name, QString(), std::nullopt, TextEncoding::utf8, LineEnding::lf, {});
    d->setAutoExt(ext);
    return d;
}

}

// The first line with a letter or digit, its markers, blanks and dots gone.
TEST(Title, TakesTheFirstMeaningfulLineWithoutItsMarkers)
{
    const struct {
        const char* text;
        const char* skipping;
        const char* title;
    } cases[] = {
        {"\n## 周报：第 3 周\n正文", "", "周报：第 3 周"},
        {"a/b:c", "", "a-b-c"},
        {"{\n  \n}", "", "未命名"},
        {"", "", "未命名"},
        {"# 标题\n\n会议记录", "# 标题\n\n", "会议记录"},
        // A space stops the markers: only the first one goes.
        {"> - * 引用", "", "- * 引用"},
        // Markers go first, the whitespace they uncover only afterwards.
        {"## word", "", "word"},
        {"// TODO: fix", "", "TODO- fix"},
        {";;; config.ini ...", "", "config.ini"},
        {"%!PS", "", "PS"},
        {"\t\u3000 全角空格\u3000", "", "全角空格"},
        {"时间：今天", "", "时间：今天"},  // full-width punctuation stays
        // Lines without letters or digits do not qualify.
        {"....\n####\n---\nv2", "", "v2"},
        {"🎉🎉\n—\n", "", "未命名"},
        {"\u0301", "", "\u0301"},              // a combining mark alone counts as alphanumeric
        {"😀 \U00020000", "", "😀 \U00020000"},  // letters outside the basic plane too
        // Skipped lines are compared untrimmed.
        {"# 标题\n新内容", "# 标题 ", "标题"},
        {"@startuml\nA -> B : 你好\n@enduml\n", "@startuml\nA -> B : 你好\n@enduml\n", "未命名"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(title(c.text, c.skipping), QString::fromUtf8(c.title));
    }
}

TEST(Title, KeepsFortyUserPerceivedCharacters)
{
    QString sixty;
    for (int i = 0; i < 60; ++i)
        sixty += QChar(0x4E00 + i);
    EXPECT_EQ(Doc::title(sixty), sixty.left(40));

    // Emoji with skin-tone modifiers and family sequences are one character
    // each; so is a letter with combining marks.
    const QString thumbs = QStringLiteral("👍🏽");
    const QString family = QStringLiteral("👨‍👩‍👧");
    const QString accented = QStringLiteral("e\u0301\u0323");
    QString mixed = QStringLiteral("a");
    for (int i = 0; i < 13; ++i)
        mixed += thumbs + family + accented;  // 1 + 39 characters
    mixed += QStringLiteral("zzz");
    const QString t = Doc::title(mixed);
    EXPECT_TRUE(t.endsWith(accented));
    EXPECT_EQ(t, mixed.left(mixed.size() - 3));

    // No cluster is ever cut in half.
    QString flags;
    for (int i = 0; i < 41; ++i)
        flags += QStringLiteral("x🇨🇳");
    const QString ft = Doc::title(flags);
    EXPECT_EQ(ft, flags.left(20 * 5));
}

// Fifty non-empty lines are looked at; a cut line is trimmed again, its
// replacements made, and dots at the cut kept when the line goes on.
TEST(Title, OnlyFiftyLinesAreExaminedAndACutLineIsTrimmedAgain)
{
    const QString fiftyRules = QStringLiteral("---\n\n").repeated(50);
    const QString spaced = QStringLiteral("a") + QString(38, QLatin1Char('b')) + QStringLiteral(" tail");
    const QString dots = QString(39, QLatin1Char('y')) + QStringLiteral(".") + QString(10, QLatin1Char('z'));
    const struct {
        QString text, title;
    } cases[] = {
        {fiftyRules + QStringLiteral("words"), QStringLiteral("未命名")},
        {fiftyRules.mid(5) + QStringLiteral("words"), QStringLiteral("words")},
        {spaced, spaced.left(39)},  // character 40 is the space
        // The space stops the markers, so the first slash becomes a hyphen.
        {QStringLiteral("## /usr/share:doc/") + QString(100, QLatin1Char('x')),
         QStringLiteral("-usr-share-doc-") + QString(25, QLatin1Char('x'))},
        {dots, dots.left(40)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.left(60).toStdString());
        EXPECT_EQ(Doc::title(c.text), c.title);
    }
}

TEST(AutoName, FollowsTheTextUntilNamedOrSaved)
{
    DocPtr d = autoNamed(QStringLiteral("未命名.md"), QStringLiteral("md"));
    d->setText(QStringLiteral("v1.2 发布说明\n"));
    EXPECT_EQ(d->name(), QStringLiteral("v1.2 发布说明.md"));
    d->setText(QStringLiteral("{}"));
    EXPECT_EQ(d->name(), QStringLiteral("未命名.md"));

    DocPtr plain = autoNamed(QStringLiteral("未命名"), QString());
    plain->setText(QStringLiteral("购物清单"));
    EXPECT_EQ(plain->name(), QStringLiteral("购物清单"));
    // Named by hand, the same text set again does not take the name back.
    d->setText(QStringLiteral("一"));
    d->setName(QStringLiteral("手动.md"));
    d->setText(QStringLiteral("一"));
    EXPECT_EQ(d->name(), QStringLiteral("手动.md"));

    // Never without an extension to name by, nor with a file.
    DocPtr manual = makeDoc(QUuid::createUuid(), QStringLiteral("notes"), QString(), std::nullopt, TextEncoding::utf8,
                            LineEnding::lf, {});
    manual->setText(QStringLiteral("标题"));
    EXPECT_EQ(manual->name(), QStringLiteral("notes"));

    TestDir dir;
    auto opened = Doc::open(dir.write(QStringLiteral("saved.md"), "old"));
    ASSERT_TRUE(opened);
    DocPtr saved = opened.value();
    saved->setAutoExt(QStringLiteral("md"));
    saved->setText(QStringLiteral("新标题"));
    EXPECT_EQ(saved->name(), QStringLiteral("saved.md"));
}
