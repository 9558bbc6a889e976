// Bold, italic and links in Markdown from the keyboard.
#include "EditCommandsFixture.h"

#include <QClipboard>

namespace {

struct MarkdownCommandsTest : EditCommandsFixture {};

}

TEST_F(MarkdownCommandsTest, BoldAndItalicWrapOrUnwrap)
{
    struct Case {
        const char* what;
        Qt::Key key;
        QString before, after;
    };
    const std::vector<Case> cases{
        {"the word at the caret", Qt::Key_B, "a bo|ld b", "a **«bold|** b"},
        {"unwrap around the selection", Qt::Key_B, "**«bold|**", "«bold|"},
        {"unwrap inside the selection", Qt::Key_B, "«**bold**|", "«bold|"},
        {"an empty pair between words", Qt::Key_B, "a | b", "a **|** b"},
        {"an empty pair goes away again", Qt::Key_B, "a **|** b", "a | b"},
        {"italic", Qt::Key_I, "«it|", "*«it|*"},
        {"italic inside bold", Qt::Key_I, "**«b|**", "***«b|***"},
        {"italic out of bold italic", Qt::Key_I, "***«b|***", "**«b|**"},
        {"bold out of bold italic", Qt::Key_B, "***«b|***", "*«b|*"},
        {"at every caret", Qt::Key_B, "«x| «y|", "**«x|** **«y|**"},
    };
    open(QStringLiteral("m.md"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load(c.before);
        key(c.key, Qt::ControlModifier);
        EXPECT_EQ(marked(), c.after);
        key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(doc->text(), plainOf(c.before)) << "one undo step";
    }
}

TEST_F(MarkdownCommandsTest, CtrlKMakesALinkWithTheClipboardsAddress)
{
    struct Case {
        const char* what;
        QString clipboard, before, after;
    };
    const std::vector<Case> cases{
        {"no address: the caret waits for one", "plain words", "see «docs|", "see [docs](|)"},
        {"an address from the clipboard", " https://example.com/a?b=1 ", "«docs|",
         "[docs](https://example.com/a?b=1)|"},
        {"the word at the caret", "", "li|nk", "[link](|)"},
        {"nothing selected: the text goes between the brackets", "www.example.com", "a | b",
         "a [|](www.example.com) b"},
        {"a sentence is no address", "https://x.org and more", "«t|", "[t](|)"},
    };
    open(QStringLiteral("l.md"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QApplication::clipboard()->setText(c.clipboard);
        load(c.before);
        key(Qt::Key_K, Qt::ControlModifier);
        EXPECT_EQ(marked(), c.after);
    }
}

TEST_F(MarkdownCommandsTest, OtherFormatsGreyThemOutAndIgnoreTheKeys)
{
    QMenu* edit = nullptr;
    for (QAction* m : window->menuBar()->actions())
        if (m->text() == QStringLiteral("编辑(&E)"))
            edit = m->menu();
    ASSERT_TRUE(edit);
    const auto item = [&](const QString& title) -> QAction* {
        for (QAction* a : edit->actions())
            if (a->text() == title)
                return a;
        return nullptr;
    };
    for (const auto& [file, on] : {std::pair{"n.txt", false}, {"n.yaml", false}, {"n.md", true}}) {
        SCOPED_TRACE(file);
        open(QString::fromLatin1(file), QStringLiteral("wo|rd"));
        for (const char* title : {"加粗", "斜体", "插入链接"}) {
            ASSERT_TRUE(item(QString::fromUtf8(title))) << title;
            EXPECT_EQ(item(QString::fromUtf8(title))->isEnabled(), on) << title;
        }
        key(Qt::Key_B, Qt::ControlModifier);
        EXPECT_EQ(doc->text() != QStringLiteral("word"), on);
    }
}
