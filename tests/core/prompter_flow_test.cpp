#include "Workspace.h"
#include "core/DocumentManager.h"

#include <functional>

namespace {

// The document flows on their own: the documents, the stores and the disk
// watcher they are given, and a prompter that answers for the user.
class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override { clearBackups(); }
    void TearDown() override
    {
        settleSaves();
        manager.reset();
        clearBackups();
    }

    TestDir files;
    Preferences ud{files.path(QStringLiteral("prefs.ini"))};
    DocumentModel docs;
    DiskWatcher disk;
    TagStore tags{ud, docs};
    SessionStore session{ud, docs, tags, disk};
    WindowlessPrompter prompter;
    std::unique_ptr<DocumentManager> manager = std::make_unique<DocumentManager>(docs, tags, session, disk, prompter);
};

TEST_F(ManagerTest, AnAnswerGivenAfterTheManagerIsGoneDoesNothing)
{
    struct Case {
        const char* what;
        std::function<void(DocumentManager&, const DocPtr&)> ask;
        QString button;
    };
    const QList<Case> cases{
        {"close, not saving", [](DocumentManager& m, const DocPtr& d) { m.saver().close(d); },
         QStringLiteral("不保存")},
        {"close, saving", [](DocumentManager& m, const DocPtr& d) { m.saver().close(d); }, QStringLiteral("保存")},
        {"quit, not saving", [](DocumentManager& m, const DocPtr&) { m.saver().confirmQuit({}); },
         QStringLiteral("不保存")},
        {"rename", [](DocumentManager& m, const DocPtr& d) { m.askRename(d); }, QStringLiteral("重命名")},
        {"reopen", [](DocumentManager& m, const DocPtr& d) { m.encodings().reopen(d, TextEncoding::gbk); },
         QStringLiteral("重新打开")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        manager = std::make_unique<DocumentManager>(docs, tags, session, disk, prompter);
        const QString path = files.write(QStringLiteral("b.txt"), "b");
        const DocPtr d = manager->open(path);
        ASSERT_TRUE(d);
        d->setText(QStringLiteral("b2"));
        c.ask(*manager, d);
        ASSERT_TRUE(prompter.shown());
        EXPECT_TRUE(prompter.waiting().isEmpty());
        prompter.type(QStringLiteral("c.txt"));
        manager.reset();
        ASSERT_TRUE(prompter.choose(c.button));
        // Nothing was closed, written, renamed or read again.
        EXPECT_EQ(docs.docs(), QList<DocPtr>{d});
        EXPECT_EQ(TestDir::read(path), QByteArray("b"));
        EXPECT_EQ(d->name(), QStringLiteral("b.txt"));
        EXPECT_EQ(d->text(), QStringLiteral("b2"));
        EXPECT_FALSE(session.quitting());
        docs.remove(d->id);
        session.unwatch(d->id);
    }
}

}  // namespace
