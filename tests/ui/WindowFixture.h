#pragma once

#include "core/AppModel.h"
#include "editor/EditorCache.h"
#include "views/window/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// The full main window over a model with private preferences, shown and active.
struct WindowFixture : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<EditorCache> editors;
    std::unique_ptr<MainWindow> window;

    // Keys go to whatever has the keyboard in the whole window, as a user's do.
    static QWidget* focused()
    {
        QTest::qWait(30);
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

    void SetUp() override
    {
        model = std::make_unique<AppModel>(std::make_unique<Preferences>(dir.filePath("prefs.ini")));
        editors = std::make_unique<EditorCache>(*model);
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
};
