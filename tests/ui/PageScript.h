#pragma once

#include "views/webengine/PreviewView.h"

#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>

// Runs a script in the preview's page and waits up to five seconds for its
// result; the application's own world unless another is named.
inline QVariant evaluate(PreviewView& view, const QString& js, quint32 world = QWebEngineScript::ApplicationWorld)
{
    QVariant out;
    bool done = false;
    view.page()->runJavaScript(js, world, [&](const QVariant& v) {
        out = v;
        done = true;
    });
    for (int i = 0; i < 500 && !done; ++i)
        QTest::qWait(10);
    return out;
}

// Waits up to five seconds for the script to give true.
inline bool waitForScript(PreviewView& view, const QString& js)
{
    for (int i = 0; i < 100; ++i) {
        if (evaluate(view, js).toBool())
            return true;
        QTest::qWait(50);
    }
    return false;
}
