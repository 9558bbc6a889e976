#pragma once

#include "DocRowPaint.h"
#include "WaitUntil.h"
#include "core/FileChooser.h"
#include "editor/CodeTextView.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "views/pane/DocPane.h"
#include "views/sidebar/DocListView.h"
#include "views/sidebar/Sidebar.h"
#include "views/state/WindowModel.h"
#include "views/window/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

// Answers every file dialog with `target`, or as if cancelled when it is empty.
struct ChooseFile : FileChooser {
    QString target;
    void chooseFilesToOpen(std::function<void(QStringList)> done) override
    {
        done(target.isEmpty() ? QStringList() : QStringList{target});
    }
    void chooseSaveLocation(const QString&, const QString&, std::function<void(std::optional<QString>)> done) override
    {
        done(target.isEmpty() ? std::nullopt : std::optional<QString>(target));
    }
};

// The full main window over a model with private preferences, shown and active.
struct WindowFixture : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<WindowModel> model;
    std::unique_ptr<EditorCache> editors;
    std::unique_ptr<MainWindow> window;

    // Keys go to whatever has the keyboard in the whole window, as a user's do,
    // once the focus hand-overs already queued have run.
    static QWidget* focused()
    {
        nextTurn();
        return QApplication::focusWidget();
    }
    // Without a document nothing holds the keyboard and the window takes the key.
    static void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* w = focused();
        QTest::keyClick(w ? w : QApplication::activeWindow(), Qt::Key(k), mods);
    }
    static void type(const QString& text)
    {
        QWidget* w = focused();
        ASSERT_TRUE(w) << "nothing has the keyboard";
        QTest::keyClicks(w, text);
    }
    // Text as an input method commits it (key events carry ASCII only).
    static void commit(const QString& text)
    {
        QWidget* w = focused();
        ASSERT_TRUE(w) << "nothing has the keyboard";
        QInputMethodEvent e;
        e.setCommitString(text);
        QApplication::sendEvent(w, &e);
    }

    void SetUp() override
    {
        model = std::make_unique<WindowModel>(std::make_unique<Preferences>(dir.filePath("prefs.ini")));
        editors = std::make_unique<EditorCache>(*model, model->view());
        window = std::make_unique<MainWindow>(*model, *editors);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        editors.reset();
        model.reset();
    }
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }
    // Opens a file written with `text` in the window, as the user would.
    DocPtr open(const QString& name, const QByteArray& text)
    {
        window->openFiles({write(name, text)});
        nextTurn();
        return model->active();
    }
    CodeTextView* view(const DocPtr& d) const { return editors->controller(d).textView(); }
    bool editorHasFocus() const
    {
        const DocPtr d = model->active();
        EditorController* c = d ? editors->existing(d->id) : nullptr;
        QWidget* f = focused();
        return c && f && (f == c->widget() || c->widget()->isAncestorOf(f));
    }
    QMenu* menu(const QString& title) const
    {
        for (QAction* m : window->menuBar()->actions())
            if (m->text() == title)
                return m->menu();
        return nullptr;
    }
    QAction* menuAction(const QString& title) const
    {
        for (QAction* a : window->menuBar()->findChildren<QAction*>())
            if (a->text() == title)
                return a;
        return nullptr;
    }
    // A document's row in the sidebar: its group's list and its index there.
    struct SidebarRow {
        DocListView* list = nullptr;
        QModelIndex index;
        explicit operator bool() const { return list && index.isValid(); }
        QRect rect() const { return list->visualRect(index); }
    };
    // The first shown row of a document.
    SidebarRow rowOf(const DocPtr& doc) const
    {
        for (GroupView* g : window->sidebar()->groupViews())
            if (const QModelIndex i = g->list()->indexOf(doc->id); i.isValid() && g->list()->isVisible())
                return {g->list(), i};
        return {};
    }
    // The document whose row has the keyboard; null when no row has it.
    static DocPtr focusedRow()
    {
        auto* list = qobject_cast<DocListView*>(focused());
        return list ? list->docAt(list->currentIndex()) : nullptr;
    }
    static bool paintsDot(const SidebarRow& row) { return ::paintsDot(row.list, row.index); }
    // Drops local files at the middle of a widget, the way a file manager's
    // drag ends; whether the widget took the drag.
    static bool drop(QWidget* on, const QStringList& files)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& f : files)
            urls << QUrl::fromLocalFile(f);
        mime.setUrls(urls);
        const QPointF at = QRectF(on->rect()).center();
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(on, &enter);
        QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(on, &dropped);
        nextTurn();
        return enter.isAccepted();
    }
    // A click where the user sees the control: on whatever lies on top there.
    static void clickOn(QWidget* control) { clickAt(control, control->rect().center()); }
    // Clicks whatever is on top at that point of a widget, as a pointer would.
    static void clickAt(QWidget* control, const QPoint& at)
    {
        const QPoint global = control->mapToGlobal(at);
        QWidget* top = QApplication::widgetAt(global);
        if (!top)
            top = control;
        QTest::mouseClick(top, Qt::LeftButton, {}, top->mapFromGlobal(global));
    }
};
