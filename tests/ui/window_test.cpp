#include "core/AppModel.h"
#include "core/FileChooser.h"
#include "editor/CodeTextView.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "views/controls/Controls.h"
#include "views/overlays/DialogLayer.h"
#include "views/pane/DocPane.h"
#include "views/pane/EditorArea.h"
#include "views/pane/PaneHeader.h"
#include "views/pane/PaneStatusBar.h"
#include "views/pane/StatusTitles.h"
#include "views/sheets/NewFileSheet.h"
#include "views/sidebar/Sidebar.h"
#include "views/window/MainWindow.h"
#include "views/window/QtFileChooser.h"

#include <QAbstractScrollArea>
#include <QMimeData>
#include <QUrl>

#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "WindowFixture.h"

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

    window->openFiles({write(QStringLiteral("c.toml"), "a = \"x\n")});
    ASSERT_TRUE(model->active());
    EXPECT_FALSE(window->emptyState()->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("c.toml — Lorvane"));
    DocPane* pane = window->docPane();
    EXPECT_EQ(pane->header()->nameLabel()->text(), QStringLiteral("c.toml"));
    EXPECT_EQ(pane->status()->formatButton()->text(), QStringLiteral("TOML"));
    EXPECT_EQ(pane->status()->eolButton()->text(), QStringLiteral("LF"));
    QLabel* strip = pane->area()->strip()->text();
    ASSERT_TRUE(pane->area()->strip()->isVisible());
    // The diagnostics arrive from the background pass.
    for (int i = 0; i < 100 && model->active()->diagnostics().isEmpty(); ++i)
        QTest::qWait(20);
    QTest::qWait(10);
    EXPECT_TRUE(strip->text().startsWith(QStringLiteral("第 1 行 · "))) << strip->text().toStdString();

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
    window->openFiles({write(QStringLiteral("n.txt"), "abc")});
    DocPtr doc = model->active();
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

TEST_F(MainWindowTest, DistractionFreeHidesTheSidebar)
{
    window->openFiles({write(QStringLiteral("n.txt"), "abc")});
    EXPECT_TRUE(window->sidebar()->isVisible());
    model->toggleFullScreen();
    EXPECT_FALSE(window->sidebar()->isVisible());
    model->escape();
    EXPECT_TRUE(window->sidebar()->isVisible());
}

namespace {

// Text as an input method commits it (QTest types ASCII only).
void commit(QWidget* w, const QString& text)
{
    QInputMethodEvent e;
    e.setCommitString(text);
    QCoreApplication::sendEvent(w, &e);
}

struct SaveTo : FileChooser {
    QString target;
    void chooseFilesToOpen(std::function<void(QStringList)> done) override { done({target}); }
    void chooseSaveLocation(const QString&, const QString&, std::function<void(std::optional<QString>)> done) override
    {
        done(target);
    }
};

}

TEST_F(MainWindowTest, EndToEndCreateTypeSaveCloseReopen)
{
    SaveTo chooser;
    chooser.target = dir.filePath(QStringLiteral("会议.txt"));
    model->setFileChooser(&chooser);

    action(QStringLiteral("文件"), QStringLiteral("新建…"))->trigger();
    ASSERT_TRUE(model->showNewFile());
    auto* sheet = window->findChild<NewFileSheet*>();
    ASSERT_TRUE(sheet && sheet->isVisible());
    commit(sheet->nameField(), QStringLiteral("会议.txt"));
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    EXPECT_FALSE(model->showNewFile());
    DocPtr doc = model->active();
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->name(), QStringLiteral("会议.txt"));

    CodeTextView* view = editors->controller(doc).textView();
    commit(view, QStringLiteral("第一行"));
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, QStringLiteral("second"));
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
    EXPECT_EQ(editors->controller(model->active()).textView()->toPlainText(), QStringLiteral("第一行\nsecond"));
    model->setFileChooser(nullptr);
}

TEST_F(MainWindowTest, AFileDroppedOnTheTextIsOpenedNotInserted)
{
    window->openFiles({write(QStringLiteral("host.txt"), "keep")});
    const DocPtr host = model->active();
    ASSERT_TRUE(host);
    QTest::qWait(20);
    QWidget* editor = editors->controller(host).widget();
    const QString dropped = write(QStringLiteral("dropped.txt"), "other");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(dropped)});
    QList<QWidget*> targets{editor};
    if (auto* area = qobject_cast<QAbstractScrollArea*>(editor))
        targets << area->viewport();
    QWidget* target = targets.last();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
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
