#include "WindowFixture.h"
#include "views/controls/Controls.h"
#include "views/overlays/DialogLayer.h"
#include "views/overlays/Feature.h"
#include "views/overlays/PopupLayer.h"
#include "views/pane/EditorArea.h"
#include "views/pane/PaneHeader.h"
#include "views/pane/PaneStatusBar.h"
#include "views/pane/StatusTitles.h"
#include "views/pane/ViewModeLabels.h"
#include "views/sheets/NewFileSheet.h"
#include "views/sheets/ShortcutSheet.h"
#include "views/window/QtFileChooser.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QActionGroup>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTreeWidget>
#include <QWebEngineView>
#include <Qsci/qsciscintillabase.h>

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

TEST(FileDialogs, FiltersStartWithEveryFileThenTheFormats)
{
    const QStringList f = QtFileChooser::filters().split(QStringLiteral(";;"));
    ASSERT_GE(f.size(), 3);
    EXPECT_EQ(f[0], QStringLiteral("所有文件 (*)"));
    EXPECT_TRUE(f[1].startsWith(QStringLiteral("支持的格式 (")));
    EXPECT_TRUE(f[1].contains(QStringLiteral("*.json")));
    EXPECT_TRUE(f.filter(QStringLiteral("JSON (*.json")).size() == 1) << f.join(u'|').toStdString();
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

TEST_F(MainWindowTest, EndToEndCreateTypeSaveCloseReopenAndDropAnother)
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

    // A file dropped on the text is opened, not inserted.
    const DocPtr host = model->active();
    EXPECT_TRUE(drop(view(host)->viewport(), {write(QStringLiteral("dropped.txt"), "other")}));
    EXPECT_EQ(host->text(), QStringLiteral("第一行\nsecond"));
    ASSERT_TRUE(model->active());
    EXPECT_EQ(model->active()->name(), QStringLiteral("dropped.txt"));
    EXPECT_EQ(model->active()->text(), QStringLiteral("other"));
}

namespace {

struct Menus : WindowFixture {
    static QList<QAction*> withKeys(const QMenu* m)
    {
        QList<QAction*> out;
        for (QAction* a : m->actions()) {
            if (a->menu())
                out << withKeys(a->menu());
            else if (!a->shortcuts().isEmpty())
                out << a;
        }
        return out;
    }
    ShortcutSheet* sheet() const { return window->findChild<ShortcutSheet*>(); }
    // The sheet's rows as "group/name" → keys, read from the table on screen.
    QHash<QString, QString> sheetRows() const
    {
        QHash<QString, QString> out;
        QTreeWidget* t = sheet()->table();
        for (int g = 0; g < t->topLevelItemCount(); ++g) {
            const QTreeWidgetItem* group = t->topLevelItem(g);
            for (int i = 0; i < group->childCount(); ++i)
                out.insert(group->text(0) + u'/' + group->child(i)->text(0), group->child(i)->text(1));
        }
        return out;
    }
    void openSheet()
    {
        key(Qt::Key_Question, Qt::ControlModifier);
        ASSERT_TRUE(waitUntil([this] { return sheet() && sheet()->isVisible(); }));
    }
};

}

// The feature menu and the menu bar offer the same features: same names,
// same keys, and each one's state follows what it does.
TEST_F(Menus, FeaturesAreTheMenuBarsToo)
{
    QStringList ids;
    for (const Feature& f : Feature::all()) {
        SCOPED_TRACE(f.name.toStdString());
        ids << f.id;
        QAction* a = menuAction(f.name);
        ASSERT_TRUE(a);
        EXPECT_EQ(a->shortcut(), QKeySequence(f.shortcut));
    }
    EXPECT_EQ(ids, (QStringList{"find", "replace", "wrap", "split"}));

    const Feature& find = Feature::byID(QStringLiteral("find"));
    const Feature& replace = Feature::byID(QStringLiteral("replace"));
    const Feature& wrap = Feature::byID(QStringLiteral("wrap"));
    const Feature& split = Feature::byID(QStringLiteral("split"));
    for (const Feature* f : {&wrap, &split})
        f->run(*model);  // no document: nothing to wrap or split
    EXPECT_FALSE(wrap.isOn(*model));
    EXPECT_FALSE(split.isOn(*model));

    const DocPtr data = open(QStringLiteral("w.json"), "{\"a\": 1,\n \"b\": 2}\n");
    find.run(*model);
    EXPECT_TRUE(find.isOn(*model));
    EXPECT_FALSE(replace.isOn(*model));
    replace.run(*model);
    EXPECT_TRUE(replace.isOn(*model));
    EXPECT_FALSE(find.isOn(*model));
    model->closeFind();

    EXPECT_FALSE(wrap.isOn(*model));
    wrap.run(*model);
    EXPECT_TRUE(wrap.isOn(*model));
    EXPECT_EQ(data->wrapChoice(), std::optional<bool>(true));
    EXPECT_EQ(model->settings(), Settings());  // the view's choice, not the setting

    view(data)->selectAll();
    split.run(*model);
    EXPECT_TRUE(split.isOn(*model));
    ASSERT_TRUE(view(data)->carets());
    EXPECT_GE(view(data)->carets()->size(), 2u);
}

TEST_F(Menus, ViewModesAreRadioItemsFollowingTheDocument)
{
    const DocPtr doc = open(QStringLiteral("m.md"), "# 标题\n");
    ASSERT_TRUE(doc);
    QList<QAction*> modes;
    for (QAction* a : menu(QStringLiteral("显示(&V)"))->actions())
        for (const ViewMode& m : ViewMode::allCases())
            if (a->text() == ViewModeLabels::title(m))
                modes << a;
    ASSERT_EQ(modes.size(), ViewMode::allCases().size());
    QActionGroup* group = modes.first()->actionGroup();
    ASSERT_TRUE(group);
    EXPECT_EQ(group->exclusionPolicy(), QActionGroup::ExclusionPolicy::Exclusive);
    for (QAction* a : modes)
        EXPECT_EQ(a->actionGroup(), group);

    // Each Ctrl+N, pressed twice: the one item of that mode is checked, the others not.
    for (int i : {2, 0, 1, 1, 2}) {
        SCOPED_TRACE(i);
        key(Qt::Key_1 + i, Qt::ControlModifier);
        EXPECT_EQ(doc->mode(), ViewMode::allCases()[i]);
        for (int j = 0; j < modes.size(); ++j)
            EXPECT_EQ(modes[j]->isChecked(), i == j) << j;
    }
    // Chosen in the menu itself the item stays on, as a radio item does.
    modes[1]->trigger();
    modes[1]->trigger();
    EXPECT_TRUE(modes[1]->isChecked());
    EXPECT_EQ(doc->mode(), ViewMode::allCases()[1]);
}

TEST_F(Menus, TheShortcutSheetListsEveryKeyOfTheMenusAndTheWindow)
{
    // An item added after the window was built shows too: the sheet reads the menus when it opens.
    QAction* late = menu(QStringLiteral("编辑(&E)"))->addAction(QStringLiteral("后来的命令"));
    late->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+J")));
    openSheet();
    const QHash<QString, QString> rows = sheetRows();
    int checked = 0;
    for (QAction* top : window->menuBar()->actions()) {
        const QString group = ShortcutSheet::plainName(top->text());
        for (QAction* a : withKeys(top->menu())) {
            const QString row = group + u'/' + ShortcutSheet::plainName(a->text());
            SCOPED_TRACE(row.toStdString());
            ASSERT_TRUE(rows.contains(row));
            // Every key but the Shift forms of another of its keys (a layout's detail).
            const QList<QKeySequence> shown = ShortcutSheet::shownKeys(a->shortcuts());
            EXPECT_GE(shown.size(), std::min<qsizetype>(a->shortcuts().size(), 2));
            for (const QKeySequence& k : a->shortcuts())
                EXPECT_EQ(rows.value(row).contains(k.toString(QKeySequence::NativeText)), shown.contains(k))
                    << k.toString().toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
    EXPECT_TRUE(rows.value(QStringLiteral("编辑/后来的命令")).contains(QStringLiteral("Ctrl+Alt+J")));
    // Opened by its keys, with no control to hang from: in the middle of the
    // window, and no name or key cut short.
    const QWidget* panel = sheet()->parentWidget();
    const QPoint off = panel->geometry().center() - panel->parentWidget()->rect().center();
    EXPECT_LE(off.manhattanLength(), 4) << off.x() << "," << off.y();
    const QTreeWidget* table = sheet()->table();
    for (int g = 0; g < table->topLevelItemCount(); ++g)
        for (int i = 0; i < table->topLevelItem(g)->childCount(); ++i) {
            const QTreeWidgetItem* item = table->topLevelItem(g)->child(i);
            SCOPED_TRACE((item->text(0) + u' ' + item->text(1)).toStdString());
            EXPECT_LE(QFontMetrics(item->font(0)).horizontalAdvance(item->text(0)) + table->indentation(),
                      table->columnWidth(0));
            EXPECT_LE(QFontMetrics(item->font(1)).horizontalAdvance(item->text(1)), table->columnWidth(1));
        }
    // Keys the window reads itself.
    for (const char* k : {"Ctrl+Tab", "Ctrl+Shift+Tab", "Alt+1", "Alt+9", "F6", "F10"}) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(rows.values().contains(QString::fromLatin1(k)));
    }
    key(Qt::Key_Escape);
    EXPECT_TRUE(waitUntil([this] { return !model->popup(); }));
}

namespace {

bool isControl(QWidget* w)
{
    if (qobject_cast<QScrollBar*>(w))
        return false;
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)
        || qobject_cast<QAbstractSlider*>(w) || qobject_cast<QsciScintillaBase*>(w)
        || (w->focusPolicy() & Qt::TabFocus);
}

// Class and position of every shown control without a name.
std::vector<std::string> unnamed(QWidget* root, int* controls)
{
    std::vector<std::string> out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible() || !isControl(w))
            continue;
        // The web view's own inner widgets are Chromium's, named by it.
        bool web = false;
        for (QWidget* p = w->parentWidget(); p && !web; p = p->parentWidget())
            web = qobject_cast<QWebEngineView*>(p);
        if (web)
            continue;
        ++*controls;
        if (w->accessibleName().trimmed().isEmpty())
            out.push_back(std::string(w->metaObject()->className()) + " \"" + w->objectName().toStdString()
                          + "\" under " + (w->parentWidget() ? w->parentWidget()->metaObject()->className() : "none"));
    }
    return out;
}

struct AccessibleNames : WindowFixture {
    void expectAllNamed(const char* scene, int atLeast)
    {
        nextTurn();
        int controls = 0;
        const auto missing = unnamed(window.get(), &controls);
        EXPECT_GE(controls, atLeast) << scene;
        for (const auto& m : missing)
            ADD_FAILURE() << scene << ": " << m;
    }
};

}

TEST_F(AccessibleNames, EveryButtonAndFieldOfEveryLayerIsNamed)
{
    window->openFiles({write(QStringLiteral("a.json"), "{\"a\": 1}\n")});
    const DocPtr doc = model->active();
    ASSERT_TRUE(doc);
    model->addTag(QStringLiteral("工作"), doc);
    model->openFind(true);
    expectAllNamed("window", 15);
    model->closeFind();

    for (const Popup& p : {Popup::feature(), Popup::encoding(), Popup::eol(), Popup::format(), Popup::settings(),
                           Popup::tags(doc->id), Popup::shortcuts()}) {
        model->setPopup(p);
        expectAllNamed(p.anchor().toUtf8().constData(), 10);
        model->setPopup(std::nullopt);
    }

    model->setShowNewFile(true);
    expectAllNamed("new-file sheet", 15);
    model->setShowNewFile(false);

    model->askRename(doc);
    expectAllNamed("rename dialog", 10);
    model->chooseRole(Dialog::Role::cancel);
}
