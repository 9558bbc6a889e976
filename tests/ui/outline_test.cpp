// The outline popup driven by real keys sent wherever the keyboard is.
#include "WindowFixture.h"
#include "views/overlays/OutlinePanel.h"

namespace {

struct OutlineTest : WindowFixture {
    OutlinePanel* panel() const { return window->findChild<OutlinePanel*>(); }
    // Opened with its keys.
    OutlinePanel* outline() const
    {
        key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        return panel();
    }
    // With the caret under 第一节 that entry is marked and chosen; Down and
    // Return go to 第二章 and give the editor the keyboard.
    void chooseFromTheCaretsHeadingToTheNext(OutlinePanel* p, const DocPtr& doc)
    {
        EXPECT_EQ(p->caretEntry(), 1);
        EXPECT_EQ(p->currentRow(), 1);
        key(Qt::Key_Down);
        key(Qt::Key_Return);
        EXPECT_FALSE(model->popup());
        EXPECT_EQ(editors->caretLine(doc), 8);
        EXPECT_TRUE(editorHasFocus());
    }
};

const QByteArray markdown = "# 第一章\n"         // 0
                            "text\n"             // 1
                            "```\n"              // 2
                            "# not a heading\n"  // 3
                            "```\n"              // 4
                            "## 第一节\n"        // 5
                            "body\n"             // 6
                            "\n"                 // 7
                            "第二章\n"           // 8
                            "===\n"              // 9
                            "end\n";             // 10

}

TEST_F(OutlineTest, ShortcutOpensOnTheCaretsHeadingArrowsAndReturnJump)
{
    const DocPtr doc = open(QStringLiteral("book.md"), markdown);
    ASSERT_TRUE(doc);
    ASSERT_TRUE(editorHasFocus());
    editors->setCaretLine(doc, 6);

    OutlinePanel* p = outline();
    ASSERT_TRUE(model->popup() && model->popup()->kind() == Popup::Kind::outline);
    ASSERT_TRUE(p);
    EXPECT_EQ(focused(), p->filterField());
    ASSERT_EQ(p->entries().size(), 3);
    EXPECT_EQ(p->entries()[1].title, QStringLiteral("第一节"));
    EXPECT_EQ(p->entries()[1].level, 2);
    chooseFromTheCaretsHeadingToTheNext(p, doc);

    // Up twice reaches the first line of the file, which is a heading too.
    ASSERT_TRUE(outline());
    EXPECT_EQ(panel()->currentRow(), 2);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    key(Qt::Key_Return);
    EXPECT_EQ(editors->caretLine(doc), 0);
    EXPECT_TRUE(editorHasFocus());
    EXPECT_EQ(doc->text(), QString::fromUtf8(markdown)) << "keys meant for the outline reached the text";

    // Jumping from a preview-only view shows the editor.
    doc->setMode(ViewMode::preview);
    ASSERT_TRUE(outline());
    key(Qt::Key_End);
    key(Qt::Key_Return);
    EXPECT_NE(doc->mode(), ViewMode::preview);
    EXPECT_EQ(editors->caretLine(doc), 8);
    EXPECT_TRUE(editorHasFocus());
}

TEST_F(OutlineTest, EscapeClosesAClickJumpsAndNoHeadingsIsSaid)
{
    const DocPtr doc = open(QStringLiteral("conf.toml"), "a = 1\n[server]\nport = 1\n[server.tls]\nkey = 2\n");
    ASSERT_TRUE(doc);
    editors->setCaretLine(doc, 4);
    ASSERT_TRUE(outline());
    EXPECT_EQ(panel()->currentRow(), 1);
    key(Qt::Key_Escape);
    EXPECT_FALSE(model->popup());
    EXPECT_TRUE(editorHasFocus());
    EXPECT_EQ(editors->caretLine(doc), 4);

    OutlinePanel* p = outline();
    ASSERT_TRUE(p);
    const QRect first = p->visualRect(p->model()->index(0, 0));
    QTest::mouseClick(p->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    EXPECT_FALSE(model->popup());
    EXPECT_EQ(editors->caretLine(doc), 1);
    EXPECT_TRUE(editorHasFocus());

    // Without headings it says so, and Return does nothing.
    const DocPtr plain = open(QStringLiteral("plain.md"), "just text\nmore\n");
    ASSERT_TRUE(plain);
    editors->setCaretLine(plain, 1);
    p = outline();
    ASSERT_TRUE(p);
    ASSERT_EQ(p->count(), 1);
    EXPECT_EQ(p->text(0), QStringLiteral("没有标题"));
    key(Qt::Key_Return);
    EXPECT_TRUE(model->popup());
    key(Qt::Key_Escape);
    EXPECT_FALSE(model->popup());
    EXPECT_EQ(editors->caretLine(plain), 1);
    EXPECT_EQ(plain->text(), QStringLiteral("just text\nmore\n"));
}

TEST_F(OutlineTest, ABigTextIsGatheredAsideWhileThePanelKeepsTheKeyboard)
{
    const qsizetype saved = OutlinePanel::asideBytes;
    OutlinePanel::asideBytes = 0;
    const DocPtr doc = open(QStringLiteral("big.md"), markdown);
    ASSERT_TRUE(doc);
    editors->setCaretLine(doc, 6);

    // Closed before its headings arrive: nothing is left behind.
    ASSERT_TRUE(outline());
    key(Qt::Key_Escape);
    EXPECT_FALSE(model->popup());
    nextTurn();

    OutlinePanel* p = outline();
    ASSERT_TRUE(p);
    EXPECT_EQ(focused(), p->filterField());
    EXPECT_TRUE(waitUntil([&] { return p->entries().size() == 3; }));
    OutlinePanel::asideBytes = saved;
    EXPECT_EQ(focused(), p->filterField());
    EXPECT_EQ(p->count(), 3);
    chooseFromTheCaretsHeadingToTheNext(p, doc);
}

TEST_F(OutlineTest, TypingNarrowsTheHeadingsByCharactersOrPinyin)
{
    const DocPtr doc = open(QStringLiteral("trip.md"),
                            "# 北京之行\n\n## 背景\n\n## 上海\n\n## Budget\n\n## 行程安排\n");
    ASSERT_TRUE(doc);
    OutlinePanel* p = outline();
    ASSERT_TRUE(p);
    ASSERT_TRUE(waitUntil([&] { return p->entries().size() == 5; }));
    const auto listed = [&] {
        QStringList out;
        for (int i = 0; i < p->count(); ++i)
            if (!p->isRowHidden(i))
                out << p->text(i);
        return out;
    };
    struct Case {
        const char* typed;
        QStringList listed;
    };
    const Case cases[] = {
        {"bj", {QStringLiteral("北京之行"), QStringLiteral("背景")}},
        {"bud", {QStringLiteral("Budget")}},
        {"",
         {QStringLiteral("北京之行"), QStringLiteral("背景"), QStringLiteral("上海"), QStringLiteral("Budget"),
          QStringLiteral("行程安排")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        p->filterField()->clear();
        if (*c.typed)
            type(QString::fromUtf8(c.typed));
        EXPECT_EQ(listed(), c.listed);
    }
    // Characters from an input method narrow too; Down and Return go to the
    // second heading still listed.
    p->filterField()->clear();
    commit(QStringLiteral("景"));
    EXPECT_EQ(listed(), QStringList{QStringLiteral("背景")});
    p->filterField()->clear();
    type(QStringLiteral("bj"));
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_FALSE(model->popup());
    EXPECT_EQ(editors->caretLine(doc), 2);
    EXPECT_FALSE(doc->text().contains(u'j')) << "keys meant for the outline reached the text";
}
