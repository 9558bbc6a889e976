#include "WindowFixture.h"
#include "views/controls/Controls.h"
#include "views/overlays/DialogLayer.h"
#include "views/pane/EditorArea.h"
#include "views/pane/PaneHeader.h"
#include "views/pane/PaneStatusBar.h"
#include "views/pane/StatusTitles.h"
#include "views/sheets/NewFileSheet.h"
#include "views/window/QtFileChooser.h"

#include <QAbstractScrollArea>
#include <QLabel>
#include <QRegularExpression>

namespace {

struct MainWindowTest : WindowFixture {
    // Menu titles without their mnemonic, "文件(&F)" as "文件".
    static QString bare(const QString& t) { return QString(t).remove(QRegularExpression(QStringLiteral("\\(&.\\)$"))); }
    QAction* action(const QString& menu, const QString& title)
    {
        for (QAction* m : window->menuBar()->actions())
            if (bare(m->text()) == menu)
                for (QAction* a : m->menu()->actions())
                    if (a->text() == title)
                        return a;
        return nullptr;
    }
    void openMenu(const QString& menu)
    {
        for (QAction* m : window->menuBar()->actions())
            if (bare(m->text()) == menu)
                emit m->menu()->aboutToShow();
    }
};

}

TEST(StatusTitles, FormatButtonTitles)
{
    EXPECT_EQ(StatusTitles::format(QStringLiteral("a.json")), QStringLiteral("JSON"));
    EXPECT_EQ(StatusTitles::format(QStringLiteral("notes.conf")), QStringLiteral(".conf · 纯文本"));
    EXPECT_EQ(StatusTitles::format(QStringLiteral("README")), QStringLiteral("无格式"));
}

TEST_F(MainWindowTest, EmptyStateThenTheDocumentWithItsBars)
{
    EXPECT_EQ(window->size(), QSize(MainWindow::defaultWidth, MainWindow::defaultHeight));
    EXPECT_TRUE(window->emptyState()->isVisible());
    EXPECT_TRUE(window->emptyState()->text().contains(QStringLiteral("没有打开的文件")));
    EXPECT_TRUE(window->emptyState()->text().contains(QStringLiteral("Ctrl+N 新建 · Ctrl+O 打开")));

    ASSERT_TRUE(open(QStringLiteral("c.toml"), "a = \"x\n"));
    EXPECT_FALSE(window->emptyState()->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("c.toml — Lorvane"));
    DocPane* pane = window->docPane();
    EXPECT_EQ(pane->header()->nameLabel()->text(), QStringLiteral("c.toml"));
    EXPECT_EQ(pane->status()->formatButton()->text(), QStringLiteral("TOML"));
    EXPECT_EQ(pane->status()->eolButton()->text(), QStringLiteral("LF"));
    QLabel* strip = pane->area()->strip()->text();
    ASSERT_TRUE(pane->area()->strip()->isVisible());
    // The diagnostics arrive from the background pass.
    EXPECT_TRUE(waitUntil([&] { return strip->text().startsWith(QStringLiteral("第 1 行 · ")); }))
        << strip->text().toStdString();

    // Only the editor mode exists for TOML.
    openMenu(QStringLiteral("显示"));
    EXPECT_TRUE(action(QStringLiteral("显示"), QStringLiteral("编辑"))->isEnabled());
    EXPECT_FALSE(action(QStringLiteral("显示"), QStringLiteral("预览"))->isEnabled());
    EXPECT_TRUE(action(QStringLiteral("文件"), QStringLiteral("保存"))->isEnabled());

    // Double-clicking the name asks for a new one, in a dialog whose field has focus.
    QTest::mouseDClick(pane->header()->nameLabel(), Qt::LeftButton);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("重命名"));
    ASSERT_TRUE(window->dialogLayer()->input());
    QTest::keyClick(window->dialogLayer()->input(), Qt::Key_Escape);
    EXPECT_FALSE(model->dialog());

    model->close(model->active());
    EXPECT_TRUE(window->emptyState()->isVisible());
    openMenu(QStringLiteral("文件"));
    EXPECT_FALSE(action(QStringLiteral("文件"), QStringLiteral("保存"))->isEnabled());
}

TEST_F(MainWindowTest, DialogKeysFollowTheRoles)
{
    DocPtr doc = open(QStringLiteral("n.txt"), "abc");
    ASSERT_TRUE(doc);
    QWidget* editor = editors->controller(doc).textView();
    int chosen = 0;
    Dialog d;
    d.title = QStringLiteral("问题");
    d.buttons = {
        Dialog::Button{QUuid::createUuid(), QStringLiteral("保存"), Dialog::Role::primary, [&] { chosen = 1; }},
        Dialog::Button{QUuid::createUuid(), QStringLiteral("另外"), Dialog::Role::normal, [&] { chosen = 2; }}};
    model->present(d);
    ASSERT_TRUE(window->dialogLayer()->isVisible());
    // Letters do not reach the editor behind a dialog without a field.
    QTest::keyClick(editor, Qt::Key_X);
    EXPECT_EQ(doc->text(), QStringLiteral("abc"));
    // Escape without a cancel button (and two buttons) is swallowed.
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_TRUE(model->dialog());
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(chosen, 1);
    EXPECT_FALSE(model->dialog());
    EXPECT_FALSE(window->dialogLayer()->isVisible());

    // Quitting is refused while a dialog is shown.
    model->alert(QStringLiteral("提示"), QStringLiteral("x"));
    window->requestQuit();
    EXPECT_EQ(model->dialog()->title, QStringLiteral("提示"));
    QTest::keyClick(window->dialogLayer(), Qt::Key_Escape);  // a single button is taken by Escape
    EXPECT_FALSE(model->dialog());

    // The new-file sheet closes with Escape.
    model->setShowNewFile(true);
    QTest::keyClick(window->dialogLayer()->parentWidget(), Qt::Key_Escape);
    EXPECT_FALSE(model->showNewFile());
}

TEST_F(MainWindowTest, EndToEndCreateTypeSaveCloseReopen)
{
    ChooseFile chooser;
    chooser.target = dir.filePath(QStringLiteral("会议.txt"));
    model->setFileChooser(&chooser);

    action(QStringLiteral("文件"), QStringLiteral("新建…"))->trigger();
    ASSERT_TRUE(model->showNewFile());
    auto* sheet = window->findChild<NewFileSheet*>();
    ASSERT_TRUE(sheet && sheet->isVisible());
    EXPECT_EQ(focused(), sheet->nameField());
    commit(QStringLiteral("会议.txt"));
    key(Qt::Key_Return);
    EXPECT_FALSE(model->showNewFile());
    DocPtr doc = model->active();
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->name(), QStringLiteral("会议.txt"));

    ASSERT_TRUE(editorHasFocus());
    commit(QStringLiteral("第一行"));
    key(Qt::Key_Return);
    type(QStringLiteral("second"));
    EXPECT_EQ(doc->text(), QStringLiteral("第一行\nsecond"));
    EXPECT_TRUE(doc->isDirty());

    openMenu(QStringLiteral("文件"));
    action(QStringLiteral("文件"), QStringLiteral("保存"))->trigger();
    QFile saved(chooser.target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), QStringLiteral("第一行\nsecond"));
    EXPECT_FALSE(doc->isDirty());
    EXPECT_EQ(model->toast(), QStringLiteral("已另存为 会议.txt"));
    EXPECT_TRUE(window->toastLabel()->isVisible());

    action(QStringLiteral("文件"), QStringLiteral("关闭文件"))->trigger();
    EXPECT_TRUE(model->docs().isEmpty());
    EXPECT_EQ(model->recent().value(0), chooser.target);

    action(QStringLiteral("文件"), QStringLiteral("打开…"))->trigger();
    ASSERT_TRUE(model->active());
    EXPECT_EQ(model->active()->text(), QStringLiteral("第一行\nsecond"));
    EXPECT_EQ(view(model->active())->toPlainText(), QStringLiteral("第一行\nsecond"));
    model->setFileChooser(nullptr);
}

TEST_F(MainWindowTest, AFileDroppedOnTheTextIsOpenedNotInserted)
{
    const DocPtr host = open(QStringLiteral("host.txt"), "keep");
    ASSERT_TRUE(host);
    EXPECT_TRUE(drop(view(host)->viewport(), {write(QStringLiteral("dropped.txt"), "other")}));
    EXPECT_EQ(host->text(), QStringLiteral("keep"));
    ASSERT_TRUE(model->active());
    EXPECT_EQ(model->active()->name(), QStringLiteral("dropped.txt"));
    EXPECT_EQ(model->active()->text(), QStringLiteral("other"));
}

TEST(FileDialogs, FiltersStartWithEveryFileThenTheFormats)
{
    const QStringList f = QtFileChooser::filters().split(QStringLiteral(";;"));
    ASSERT_GE(f.size(), 3);
    EXPECT_EQ(f[0], QStringLiteral("所有文件 (*)"));
    EXPECT_TRUE(f[1].startsWith(QStringLiteral("支持的格式 (")));
    EXPECT_TRUE(f[1].contains(QStringLiteral("*.json")));
    EXPECT_TRUE(f.filter(QStringLiteral("JSON (*.json")).size() == 1) << f.join(u'|').toStdString();
}
