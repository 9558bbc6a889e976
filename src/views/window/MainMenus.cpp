// The menu bar, laid out the Linux way: mnemonics on the top-level menus,
// 退出 last in 文件, 设置… last in 编辑, 关于 in 帮助.
#include "views/window/MainWindow.h"

#include "core/Settings.h"
#include "core/Zoom.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "views/overlays/Feature.h"
#include "views/pane/DocPane.h"
#include "views/pane/GoToLineBar.h"
#include "views/pane/ViewModeLabels.h"
#include "views/sidebar/Sidebar.h"
#include "views/state/WindowModel.h"
#include "views/window/DocSwitcher.h"
#include "views/window/ExportPDF.h"
#include "views/window/FollowActive.h"
#include "views/window/PrintDoc.h"

#include <QActionGroup>
#include <QApplication>
#include <QFileInfo>
#include <QMenuBar>
#include <QTimer>

void MainWindow::buildMenus()
{
    const auto active = [this] { return model_.active(); };
    const auto add = [this](QMenu* m, const QString& title, const QList<QKeySequence>& keys,
                            std::function<void()> run) {
        QAction* a = m->addAction(title);
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, [run] { run(); });
        return a;
    };
    const auto keys = [](std::initializer_list<const char*> list) {
        QList<QKeySequence> out;
        for (const char* k : list)
            out << QKeySequence(QString::fromLatin1(k));
        return out;
    };
    QList<QAction*> needDoc;
    // The feature menu's entries, under the same names and keys.
    const auto feature = [this, add](QMenu* m, const char* id) {
        const Feature& f = Feature::byID(QString::fromLatin1(id));
        return add(m, f.name, {QKeySequence(f.shortcut)}, [this, run = f.run] { run(model_); });
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    add(file, QStringLiteral("新建…"), keys({"Ctrl+N"}), [this] { model_.setShowNewFile(true); });
    add(file, QStringLiteral("打开…"), keys({"Ctrl+O"}), [this] { model_.openPanel(); });
    QMenu* recent = file->addMenu(QStringLiteral("最近打开"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] {
        recent->clear();
        for (const QString& path : model_.recent()) {
            QAction* a = recent->addAction(QFileInfo(path).fileName(), this, [this, path] { model_.openRecent(path); });
            a->setToolTip(path);
        }
        if (recent->isEmpty())
            recent->addAction(QStringLiteral("（无）"))->setEnabled(false);
    });
    file->addSeparator();
    needDoc << add(file, QStringLiteral("保存"), keys({"Ctrl+S"}), [this, active] {
        if (auto d = active())
            model_.save(d, false);
    });
    needDoc << add(file, QStringLiteral("另存为…"), keys({"Ctrl+Shift+S"}), [this, active] {
        if (auto d = active())
            model_.save(d, true);
    });
    needDoc << add(file, QStringLiteral("全部保存"), keys({"Ctrl+Alt+S"}), [this] { model_.saveAll(); });
    needDoc << add(file, QStringLiteral("导出 PDF…"), {}, [this, active] {
        if (auto d = active())
            ExportPDF::run(model_, d, this);
    });
    needDoc << add(file, QStringLiteral("打印…"), keys({"Ctrl+P"}), [this, active] {
        if (auto d = active())
            PrintDoc::print(model_, d, this);
    });
    needDoc << add(file, QStringLiteral("打印预览…"), {}, [this, active] {
        if (auto d = active())
            PrintDoc::preview(model_, d, this);
    });
    file->addSeparator();
    needDoc << add(file, QStringLiteral("重命名…"), {}, [this, active] {
        if (auto d = active())
            model_.askRename(d);
    });
    file->addSeparator();
    needDoc << add(file, QStringLiteral("关闭文件"), keys({"Ctrl+W"}), [this, active] {
        if (auto d = active())
            model_.close(d);
    });
    QAction* closeOthers = add(file, QStringLiteral("关闭其他"), {}, [this, active] {
        QList<DocPtr> others = model_.docs();
        others.removeAll(active());
        model_.closeEach(others);
    });
    needDoc << add(file, QStringLiteral("全部关闭"), keys({"Ctrl+Shift+W"}),
                   [this] { model_.closeEach(model_.docs()); });
    file->addSeparator();
    add(file, QStringLiteral("退出"), keys({"Ctrl+Q"}), [this] { requestQuit(); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    const auto forward = [](const char* slot) {
        return [slot] {
            if (QWidget* w = QApplication::focusWidget())
                QMetaObject::invokeMethod(w, slot);
        };
    };
    QList<QAction*> editing;
    editing << add(edit, QStringLiteral("撤销"), {QKeySequence::Undo}, forward("undo"));
    editing << add(edit, QStringLiteral("重做"), keys({"Ctrl+Shift+Z"}), forward("redo"));
    edit->addSeparator();
    editing << add(edit, QStringLiteral("剪切"), {QKeySequence::Cut}, forward("cut"));
    editing << add(edit, QStringLiteral("复制"), {QKeySequence::Copy}, forward("copy"));
    editing << add(edit, QStringLiteral("粘贴"), {QKeySequence::Paste}, forward("paste"));
    editing << add(edit, QStringLiteral("全选"), {QKeySequence::SelectAll}, forward("selectAll"));
    for (QAction* a : editing)
        a->setShortcutContext(Qt::WidgetShortcut);  // the focused widget handles these keys itself
    edit->addSeparator();
    needDoc << feature(edit, "find");
    needDoc << feature(edit, "replace");
    const auto stepFind = [this, active](int by) {
        return [this, active, by] {
            auto d = active();
            if (!d)
                return;
            if (!model_.find().visible())
                model_.openFind(false);
            else if (auto* c = editors_.existing(d->id))
                c->step(by);
        };
    };
    needDoc << add(edit, QStringLiteral("查找下一个"), keys({"Ctrl+G", "F3"}), stepFind(1));
    needDoc << add(edit, QStringLiteral("查找上一个"), keys({"Ctrl+Shift+G", "Shift+F3"}), stepFind(-1));
    needDoc << add(edit, QStringLiteral("转到行…"), keys({"Ctrl+L"}), [this, active] {
        const DocPtr d = active();
        if (!d)
            return;
        // The field works on the editor; a document shown only as preview shows its editor
        // too, and the field opens after the editor has taken the keyboard.
        if (d->mode() == ViewMode::preview) {
            d->setMode(d->plugin().offers(ViewMode::split) ? ViewMode::split : ViewMode::editor);
            QTimer::singleShot(0, this, [this] { pane_->goToLineBar()->open(); });
        } else {
            pane_->goToLineBar()->open();
        }
    });
    edit->addSeparator();
    needDoc << feature(edit, "split");
    edit->addSeparator();
    addEditCommands(edit);
    edit->addSeparator();
    add(edit, QStringLiteral("设置…"), keys({"Ctrl+,"}), [this] { showSettings(); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("显示(&V)"));
    QList<std::pair<QAction*, ViewMode>> modeItems;
    // One mode at a time: radio items.
    auto* modes = new QActionGroup(view);
    modes->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (int i = 0; i < ViewMode::allCases().size(); ++i) {
        const ViewMode m = ViewMode::allCases()[i];
        QAction* a = add(view, ViewModeLabels::title(m), {QKeySequence(QStringLiteral("Ctrl+%1").arg(i + 1))},
                         [active, m] {
                             if (auto d = active(); d && d->plugin().offers(m))
                                 d->setMode(m);
                         });
        a->setCheckable(true);
        a->setActionGroup(modes);
        modeItems << std::pair{a, m};
    }
    view->addSeparator();
    add(view, QStringLiteral("放大"), keys({"Ctrl+=", "Ctrl++", "Ctrl+Shift+=", "Ctrl+Shift++"}), [this] { zoom(1); });
    add(view, QStringLiteral("缩小"), keys({"Ctrl+-"}), [this] { zoom(-1); });
    add(view, QStringLiteral("重置缩放"), keys({"Ctrl+0"}), [this] { zoom(0); });
    view->addSeparator();
    QAction* full = add(view, QStringLiteral("正文全屏"), keys({"F11"}), [this] { model_.toggleFullScreen(); });
    full->setCheckable(true);
    QAction* wrap = feature(view, "wrap");
    wrap->setCheckable(true);
    needDoc << wrap;
    needDoc << add(view, QStringLiteral("大纲…"), keys({"Ctrl+Shift+O"}), [this] { model_.toggle(Popup::outline()); });

    QMenu* window = menuBar()->addMenu(QStringLiteral("窗口(&W)"));
    add(window, QStringLiteral("最小化"), keys({"Ctrl+M"}), [this] { showMinimized(); });
    add(window, QStringLiteral("缩放"), {}, [this] { isMaximized() ? showNormal() : showMaximized(); });
    window->addSeparator();
    // Ctrl+Tab itself is read by the window's key filter (holding Ctrl keeps walking);
    // the items show the keys and take one step.
    QList<QAction*> switching;
    switching << add(window, QStringLiteral("最近的文档\tCtrl+Tab"), {}, [this] {
        switcher_->walk(1);
        switcher_->commit();
    });
    switching << add(window, QStringLiteral("下一个文档"), keys({"Ctrl+PgDown"}), [this] { switcher_->stepInList(1); });
    switching << add(window, QStringLiteral("上一个文档"), keys({"Ctrl+PgUp"}), [this] { switcher_->stepInList(-1); });
    add(window, QStringLiteral("文件列表 / 正文"), keys({"F6"}), [this] {
        // F6 moves between the list and the text, as between panes elsewhere.
        QWidget* f = QApplication::focusWidget();
        if (f && sidebar_->isAncestorOf(f)) {
            if (const DocPtr d = model_.active())
                editors_.controller(d).focus();
        } else {
            model_.setIsFullScreen(false);
            sidebar_->focusList();
        }
    });
    // Read by the key filter like Ctrl+Tab; listed in the shortcut sheet.
    addAction(new QAction(QStringLiteral("最近的文档（反向）\tCtrl+Shift+Tab"), this));
    for (int n = 1; n <= 9; ++n) {
        auto* a = new QAction(QStringLiteral("第 %1 个文档").arg(n), this);
        a->setShortcut(QKeySequence(QStringLiteral("Alt+%1").arg(n)));
        connect(a, &QAction::triggered, this, [this, n] { switcher_->showNth(n - 1); });
        addAction(a);
    }

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    add(help, QStringLiteral("键盘快捷键"), keys({"Ctrl+?"}), [this] {
        model_.setIsFullScreen(false);
        QTimer::singleShot(0, this, [this] { model_.setPopup(Popup::shortcuts()); });
    });
    add(help, QStringLiteral("关于 Lorvane"), {}, [this] {
        model_.alert(QStringLiteral("Lorvane " LORVANE_VERSION),
                     QStringLiteral("纯文本与结构化文本编辑器。\n\n"
                                    "编辑引擎 QScintilla（GPL-3）· 字体 IBM Plex（SIL OFL 1.1）· 图标 Lucide（ISC）\n"
                                    "界面 Qt 6 · 编码 ICU\n"
                                    "以 GPL-3.0-or-later 许可发布"));
    });

    // F10 opens the menu bar at its first menu, as Alt+F does.
    auto* f10 = new QAction(QStringLiteral("打开菜单栏"), this);
    f10->setShortcut(QKeySequence(Qt::Key_F10));
    connect(f10, &QAction::triggered, this, [this] {
        if (!menuBar()->actions().isEmpty())
            menuBar()->setActiveAction(menuBar()->actions().first());
    });
    addAction(f10);

    // Validation whenever a menu opens, and before shortcuts run.
    const auto validate = [this, needDoc, modeItems, full, wrap, closeOthers, switching] {
        const DocPtr d = model_.active();
        for (QAction* a : needDoc)
            a->setEnabled(bool(d));
        closeOthers->setEnabled(model_.docs().size() > 1);
        for (QAction* a : switching)
            a->setEnabled(model_.docs().size() > 1);
        for (const auto& [a, m] : modeItems) {
            a->setEnabled(d && d->plugin().offers(m));
            a->setChecked(d && d->mode() == m);
        }
        full->setChecked(model_.isFullScreen());
        wrap->setChecked(d && model_.wraps(*d));
    };
    for (QMenu* m : {file, edit, view, window})
        connect(m, &QMenu::aboutToShow, this, validate);
    connect(&model_.view(), &ViewState::fullScreenChanged, this, validate);
    connect(&model_.session(), &SessionStore::settingsChanged, this, validate);
    followActive(this, model_, validate, &Doc::modeChanged, &Doc::wrapChanged, &Doc::nameChanged);
    validate();
}

void MainWindow::zoom(int by)
{
    model_.setZoom(Zoom::step(model_.zoom(), by));
    model_.flash(QStringLiteral("缩放 %1%").arg(model_.zoom()));
}
