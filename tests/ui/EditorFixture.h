#pragma once

#include "WaitUntil.h"
#include "core/Preferences.h"
#include "editor/CodeTextView.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "editor/LineNumberRuler.h"
#include "views/state/WindowModel.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// A workspace of its own with documents and their editors.
struct EditorFixture : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<WindowModel> model;
    std::vector<std::unique_ptr<EditorController>> editors;

    void SetUp() override
    {
        model = std::make_unique<WindowModel>(std::make_unique<Preferences>(dir.filePath(QStringLiteral("prefs.ini"))));
    }
    void TearDown() override
    {
        editors.clear();
        model.reset();
    }

    DocPtr newDoc(const QString& text, bool activate = true)
    {
        DocPtr d = makeDoc(QUuid::createUuid(), QStringLiteral("t.txt"), text, std::nullopt, TextEncoding(),
                           LineEnding(), {});
        model->appendDoc(d);
        if (activate)
            model->setActiveID(d->id);
        return d;
    }
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    EditorController& editorFor(const DocPtr& d)
    {
        editors.push_back(std::make_unique<EditorController>(d, *model, model->view()));
        EditorController& e = *editors.back();
        e.widget()->resize(600, 400);
        return e;
    }
    // The find bar open with a query, as typed into it.
    void find(const QString& q, bool regex = false, bool whole = false)
    {
        model->find().setUseRegex(regex);
        model->find().setWholeWord(whole);
        model->find().setQuery(q);
        model->find().setVisible(true);
    }
    static void select(CodeTextView* v, int from, int to) { v->setSelection(from, to); }
    static void key(CodeTextView* v, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, k, m, text);
        QApplication::sendEvent(v, &press);
    }
    static void type(CodeTextView* v, const QString& text)
    {
        for (QChar c : text)
            key(v, Qt::Key_unknown, Qt::NoModifier, QString(c));
    }
};
