// The editor's context menu: how it opens, what it offers and greys, and
// what its items do.
#include "EditCommandsFixture.h"
#include "plugins/PluginRegistry.h"

#include <QClipboard>
#include <QImage>

namespace {

struct ContextMenuTest : EditCommandsFixture {
    // Where a text position shows, in the view's viewport.
    QPoint pointOf(int pos) const
    {
        using B = QsciScintillaBase;
        const long b = long(view()->toByte(pos));
        return {int(view()->SendScintilla(B::SCI_POINTXFROMPOSITION, 0, b)) + 1,
                int(view()->SendScintilla(B::SCI_POINTYFROMPOSITION, 0, b)) + view()->lineHeight() / 2};
    }
    QMenu* rightClick(int pos) const
    {
        // Through the window, as the platform delivers it: the press also
        // asks for the context menu.
        QWidget* top = view()->window();
        const QPoint at = view()->viewport()->mapTo(top, pointOf(pos));
        QTest::mouseClick(top->windowHandle(), Qt::RightButton, Qt::NoModifier, at);
        return openMenu();
    }
    static QMenu* openMenu()
    {
        QMenu* m = nullptr;
        waitUntil([&] { return (m = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; }, 2000);
        return m;
    }
    // The window manager gives the window back its activation when a menu closes.
    void closed() const
    {
        EXPECT_TRUE(waitUntil([] { return QApplication::activePopupWidget() == nullptr; }));
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void close(QMenu* m) const
    {
        QTest::keyClick(m, Qt::Key_Escape);
        closed();
    }
    static QStringList titles(QMenu* m)
    {
        QStringList out;
        for (QAction* a : m->actions())
            if (!a->isSeparator() && a->isVisible())
                out << a->text();
        return out;
    }
    static QStringList enabled(QMenu* m)
    {
        QStringList out;
        for (QAction* a : m->actions())
            if (!a->isSeparator() && a->isVisible() && a->isEnabled())
                out << a->text();
        return out;
    }
    static QAction* item(QMenu* m, const QString& title)
    {
        for (QAction* a : m->actions())
            if (a->text() == title)
                return a;
        return nullptr;
    }
    // Runs an item the way a user does: highlighted, then Return.
    void choose(QMenu* m, const QString& title) const
    {
        ASSERT_TRUE(m);
        QAction* a = item(m, title);
        ASSERT_TRUE(a) << title.toStdString();
        m->setActiveAction(a);
        QTest::keyClick(m, Qt::Key_Return);
        closed();
    }
};

}

TEST_F(ContextMenuTest, OffersTheEditingCommandsGreyedWhenTheyCannotAct)
{
    const QStringList editing{"撤销", "重做", "剪切", "复制", "粘贴", "删除", "全选"};
    struct Case {
        const char* what;
        QString file, text, clipboard;
        bool edit;  // one edit made first
        QStringList on, format;
    };
    const std::vector<Case> cases{
        {"fresh text, empty clipboard", "a.txt", "ab|c", "", false, {"全选", "切换注释"}, {"切换注释"}},
        {"a selection and clipboard text",
         "a.txt",
         "«ab|c",
         "x",
         false,
         {"剪切", "复制", "粘贴", "删除", "全选", "切换注释"},
         {"切换注释"}},
        {"after an edit", "a.txt", "ab|c", "", true, {"撤销", "全选", "切换注释"}, {"切换注释"}},
        {"Markdown adds its markup",
         "a.md",
         "ab|c",
         "",
         false,
         {"全选", "切换注释", "加粗", "斜体", "插入链接"},
         {"切换注释", "加粗", "斜体", "插入链接"}},
        {"JSON has its actions and no comments",
         "a.json",
         "{|}",
         "",
         false,
         {"全选", "格式化", "压缩", "转义", "反转义"},
         {"切换注释", "格式化", "压缩", "转义", "反转义"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open(c.file, c.text);
        QApplication::clipboard()->setText(c.clipboard);
        if (c.edit) {
            type(QStringLiteral("z"));
            key(Qt::Key_Left);
        }
        QMenu* m = rightClick(view()->cursorPosition());
        ASSERT_TRUE(m);
        EXPECT_EQ(titles(m), editing + c.format);
        EXPECT_EQ(enabled(m), c.on);
        close(m);
    }
    // A picture alone on the clipboard: Markdown takes it, plain text does not.
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (const char* file : {"p.md", "p.txt"}) {
        SCOPED_TRACE(file);
        open(QString::fromLatin1(file), QStringLiteral("ab|c"));
        QApplication::clipboard()->setImage(picture);
        QMenu* m = rightClick(view()->cursorPosition());
        ASSERT_TRUE(m);
        EXPECT_EQ(enabled(m).contains(QStringLiteral("粘贴")), QByteArray(file).endsWith(".md"));
        close(m);
    }
}

TEST_F(ContextMenuTest, RightClickKeepsASelectionItLandsInAndMovesTheCaretElsewhere)
{
    open(QStringLiteral("r.txt"), QStringLiteral("one «two| three"));
    QMenu* m = rightClick(5);
    ASSERT_TRUE(m);
    close(m);
    EXPECT_EQ(marked(), QStringLiteral("one «two| three"));

    m = rightClick(10);
    ASSERT_TRUE(m);
    close(m);
    EXPECT_EQ(marked(), QStringLiteral("one two th|ree"));

    // Several selections stay too, and the menu's items act on all of them.
    load(QStringLiteral("«ab| x «ab|"));
    m = rightClick(1);
    ASSERT_TRUE(m);
    choose(m, QStringLiteral("删除"));
    EXPECT_EQ(marked(), QStringLiteral("| x |"));
}

TEST_F(ContextMenuTest, TheMenuKeyAndShiftF10OpenItAtTheCaret)
{
    open(QStringLiteral("k.txt"), QStringLiteral("abc\n«de|f"));
    for (const auto& [k, mods] : {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()}, {Qt::Key_F10, Qt::ShiftModifier}}) {
        SCOPED_TRACE(k);
        ASSERT_EQ(focused(), view()) << "the keyboard is in the text";
        key(k, mods);
        QMenu* m = openMenu();
        ASSERT_TRUE(m);
        // Next to the caret's line, not wherever the mouse is.
        const QPoint caret = view()->viewport()->mapToGlobal(pointOf(view()->cursorPosition()));
        EXPECT_LT(std::abs(m->geometry().top() - caret.y()), 2 * view()->lineHeight());
        choose(m, QStringLiteral("复制"));
        EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("de"));
    }
    EXPECT_EQ(focused(), view()) << "the keyboard goes back to the text";
}

TEST_F(ContextMenuTest, ItemsRunTheirCommands)
{
    const QString json = QStringLiteral("{\"a\":[1,2]}");
    open(QStringLiteral("f.json"), json);
    choose(rightClick(0), QStringLiteral("格式化"));
    const PluginAction format = PluginRegistry::pluginWithID(QStringLiteral("json"))->actions.first();
    EXPECT_EQ(doc->text(), format.run(json));
    choose(rightClick(0), QStringLiteral("撤销"));
    EXPECT_EQ(doc->text(), json);

    open(QStringLiteral("c.yaml"), QStringLiteral("a: |1"));
    choose(rightClick(0), QStringLiteral("切换注释"));
    EXPECT_EQ(doc->text(), QStringLiteral("# a: 1"));
    choose(rightClick(0), QStringLiteral("全选"));
    EXPECT_EQ(marked(), QStringLiteral("|# a: 1»"));

    // Read-only text: nothing that edits stays on.
    view()->setReadOnly(true);
    QMenu* m = rightClick(2);
    ASSERT_TRUE(m);
    EXPECT_EQ(enabled(m), QStringList({"复制", "全选"}));
    close(m);
}
