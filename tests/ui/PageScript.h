#pragma once

#include "WaitUntil.h"
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
    waitUntil([&done] { return done; }, 5000);
    return out;
}

// Waits up to five seconds for the script to give true.
inline bool waitForScript(PreviewView& view, const QString& js)
{
    return static_cast<bool>(waitUntil([&] { return evaluate(view, js).toBool(); }, 5000));
}
