// The menu bar as the user reads it: the words it uses, the view modes as
// radio items, and the keyboard shortcut sheet listing every key.
#include "WindowFixture.h"
#include "views/overlays/Feature.h"
#include "views/pane/ViewModeLabels.h"
#include "views/sheets/ShortcutSheet.h"

#include <QActionGroup>
#include <QFontMetrics>
#include <QTreeWidget>

namespace {

struct Menus : WindowFixture {
    static void texts(const QMenu* m, QStringList& out)
    {
        for (const QAction* a : m->actions()) {
            out << a->text();
            if (a->menu())
                texts(a->menu(), out);
        }
    }
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

TEST_F(Menus, TheWordsAreCopyAndFindEverywhere)
{
    QStringList all;
    for (QAction* top : window->menuBar()->actions())
        texts(top->menu(), all);
    for (const Feature& f : Feature::all())
        all << f.name;
    for (const QString& t : all) {
        SCOPED_TRACE(t.toStdString());
        EXPECT_FALSE(t.contains(QStringLiteral("搜索")));
        EXPECT_FALSE(t.contains(QStringLiteral("拷贝")));
    }
    QStringList edit;
    texts(menu(QStringLiteral("编辑(&E)")), edit);
    for (const char* wanted : {"复制", "查找", "查找和替换"}) {
        SCOPED_TRACE(wanted);
        EXPECT_TRUE(edit.contains(QString::fromUtf8(wanted)));
    }
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
