#include "Workspace.h"
#include "core/DocumentManager.h"

#include <functional>

namespace {

using PrompterFlow = WorkspaceTest;

TEST_F(PrompterFlow, EveryFlowAsksAndTellsThroughThePrompterNotTheWindow)
{
    struct Case {
        const char* what;
        std::function<void(const DocPtr&)> run;  // given an unsaved document on a file
        QString question;                        // the title asked, or empty
        QString note;                            // the note told, or empty
    };
    const QList<Case> cases{
        {"close unsaved", [&](const DocPtr& d) { model->close(d); }, QStringLiteral("是否保存对「c.txt」的修改？"), {}},
        {"quit", [&](const DocPtr&) { model->confirmQuit({}); }, QStringLiteral("是否保存对「c.txt」的修改？"), {}},
        {"ask for a name", [&](const DocPtr& d) { model->askRename(d); }, QStringLiteral("重命名"), {}},
        {"bad name",
         [&](const DocPtr& d) { model->rename(d, QStringLiteral("a/b")); },
         QStringLiteral("无法重命名"),
         {}},
        {"reopen over edits",
         [&](const DocPtr& d) { model->reopen(d, TextEncoding::gb18030); },
         QStringLiteral("重新打开将丢弃未保存的修改"),
         {}},
        {"switch format",
         [&](const DocPtr& d) { model->setFormat(d, QStringLiteral("markdown")); },
         {},
         QStringLiteral("已切换为 Markdown · 保存时选择另存为或覆盖")},
        {"recent file gone",
         [&](const DocPtr&) { model->openRecent(files.path(QStringLiteral("gone.txt"))); },
         {},
         QStringLiteral("文件已不存在，已从最近列表移除")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowlessPrompter prompter;
        model->setPrompter(&prompter);
        const DocPtr d = model->open(file(QStringLiteral("c.txt"), "c"));
        ASSERT_TRUE(d);
        d->setText(QStringLiteral("改过"));
        c.run(d);
        ASSERT_EQ(prompter.shown().has_value(), !c.question.isEmpty());
        EXPECT_TRUE(prompter.waiting().isEmpty());
        if (!c.question.isEmpty()) {
            EXPECT_EQ(prompter.shown()->title, c.question);
        }
        EXPECT_EQ(prompter.note(), c.note.isEmpty() ? std::nullopt : std::optional(c.note));
        // The window's own question and toast are left alone.
        EXPECT_FALSE(model->dialog());
        EXPECT_TRUE(model->dialogQueue().isEmpty());
        EXPECT_FALSE(model->toast());
        // Leave the document as the next case expects to find it.
        prompter.choose(QStringLiteral("取消"));
        model->setPrompter(&model->window());
        if (model->docAt(*d->url()))
            model->remove(d);
    }
}

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
