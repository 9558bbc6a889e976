#pragma once

#include "RecordingEditorLink.h"
#include "TestFiles.h"
#include "WaitUntil.h"
#include "WindowlessPrompter.h"
#include "core/AppModel.h"
#include "core/BackupStore.h"
#include "core/FileChooser.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

// Runs the event loop until every save that looked at its file on a
// worker went on.
inline void settleSaves()
{
    EXPECT_TRUE(waitUntil([] { return DiskWatcher::pendingLooksBeforeWriting() == 0; }));
}

// Edits a document of a second workspace, over preferences of its own, and
// waits for its snapshot and session: a snapshot or session write due
// before it has happened by then, so "nothing was written" can be checked.
inline ::testing::AssertionResult snapshotsSettled(const TestDir& files)
{
    AppModel other(std::make_unique<Preferences>(files.path(QStringLiteral("control.ini"))));
    DocPtr control = other.createDoc(QString(), std::nullopt, {});
    control->setText(QStringLiteral("对照"));
    auto done = waitUntil(
        [&] { return BackupStore::exists(control->id) && other.ud().contains(AppModel::sessionKey); });
    BackupStore::remove(control->id);
    return done;
}

inline void clearBackups()
{
    QDir dir(BackupStore::directory());
    for (const QString& f : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(f);
}

// The workspace with a prompter the tests answer as the window's user would.
class TestModel : public AppModel {
public:
    explicit TestModel(std::unique_ptr<Preferences> ud) : AppModel(std::move(ud)) { setPrompter(&window_); }
    ~TestModel() override { setPrompter(nullptr); }

    const std::optional<Dialog>& dialog() const { return window_.shown(); }
    const QString& dialogInput() const { return window_.typed(); }
    void setDialogInput(const QString& text) { window_.type(text); }
    bool chooseButton(const QString& title) { return window_.choose(title); }
    bool chooseRole(Dialog::Role role) { return window_.choose(role); }
    const std::optional<QString>& toast() const { return window_.note(); }

private:
    WindowlessPrompter window_;
};

// The documents' names, in their order.
inline QStringList names(const QList<DocPtr>& docs)
{
    QStringList out;
    for (const DocPtr& d : docs)
        out << d->name();
    return out;
}

// Texts of the buttons of a dialog, left to right.
inline QStringList buttonTitles(const Dialog& d)
{
    QStringList out;
    for (const Dialog::Button& b : d.buttons)
        out << b.title;
    return out;
}

// Answers the file panels with prepared choices.
struct ScriptedChooser : FileChooser {
    QStringList toOpen;
    std::optional<QString> saveTarget;
    int opened = 0;
    void chooseFilesToOpen(std::function<void(QStringList)> done) override
    {
        ++opened;
        done(toOpen);
    }
    QStringList asked;  // "name|directory" per save panel
    void chooseSaveLocation(const QString& name, const QString& dir,
                            std::function<void(std::optional<QString>)> done) override
    {
        asked << name + QLatin1Char('|') + dir;
        done(saveTarget);
    }
};

// A fresh workspace over its own preferences file and an empty backups
// directory, with fakes for the editor and the file panels.
class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearBackups();
        model = makeModel();
    }
    void TearDown() override
    {
        // A look at the disk still on its worker would outlive the test.
        settleSaves();
        model.reset();
        clearBackups();
    }

    std::unique_ptr<TestModel> makeModel()
    {
        auto m = std::make_unique<TestModel>(std::make_unique<Preferences>(prefsFile()));
        m->setEditorLink(&editor);
        m->setFileChooser(&chooser);
        return m;
    }
    // A second model over the same stores, as after a restart.
    std::unique_ptr<TestModel> relaunch()
    {
        model.reset();
        return makeModel();
    }
    // Saves as the menu does and waits for its look at the disk; saveResult
    // holds the outcome once the save has ended (after a dialog's answer too).
    void saveNow(const DocPtr& doc, bool as = false)
    {
        saveResult.reset();
        model->save(doc, as, [this](bool ok) { saveResult = ok; });
        settleSaves();
    }
    std::optional<bool> saveResult;

    // After the watcher's own look at a write has had its turn, looks at the
    // file the same way: neither look may take it for another program's
    // change (a notice for edited text, a reload for clean text).
    ::testing::AssertionResult unchangedOnDisk(const DocPtr& doc)
    {
        afterTimer(DiskWatcher::settleMSecs);
        std::optional<bool> changed;
        model->disk().whenChecked(doc, [&changed](bool c) { changed = c; });
        if (!waitUntil([&changed] { return changed.has_value(); }))
            return ::testing::AssertionFailure() << "the look never ended";
        nextTurn();
        if (*changed || doc->notice() || editor.calls.contains(QStringLiteral("load ") + doc->name()))
            return ::testing::AssertionFailure() << "taken for a change on disk";
        return ::testing::AssertionSuccess();
    }

    QString prefsFile() const { return files.path(QStringLiteral("prefs.ini")); }
    QString file(const QString& name, const QByteArray& bytes) const { return files.write(name, bytes); }

    TestDir files;
    RecordingEditorLink editor;
    ScriptedChooser chooser;
    std::unique_ptr<TestModel> model;
};
