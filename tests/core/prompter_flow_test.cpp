#include "RecordingPrompter.h"
#include "Workspace.h"

#include <functional>

namespace {

class PrompterFlow : public WorkspaceTest {
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        model->setPrompter(&prompter);
    }
    RecordingPrompter prompter;
};

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
        prompter.asked.clear();
        prompter.notes.clear();
        const DocPtr d = model->open(file(QStringLiteral("c.txt"), "c"));
        ASSERT_TRUE(d);
        d->setText(QStringLiteral("改过"));
        c.run(d);
        ASSERT_EQ(prompter.asked.size(), c.question.isEmpty() ? 0 : 1);
        if (!c.question.isEmpty()) {
            EXPECT_EQ(prompter.asked.first().title, c.question);
        }
        EXPECT_EQ(prompter.notes, c.note.isEmpty() ? QStringList{} : QStringList{c.note});
        // The window's own question and toast are left alone.
        EXPECT_FALSE(model->dialog());
        EXPECT_TRUE(model->dialogQueue().isEmpty());
        EXPECT_FALSE(model->toast());
        // Leave the document as the next case expects to find it.
        prompter.answer(QStringLiteral("取消"));
        if (model->docAt(*d->url()))
            model->remove(d);
    }
}

TEST_F(PrompterFlow, RenameTakesTheTypedNameAndOffersTheOldOneFirst)
{
    const DocPtr d = model->open(file(QStringLiteral("notes.txt"), "n"));
    model->askRename(d);
    ASSERT_EQ(prompter.asked.size(), 1);
    const Dialog& q = prompter.asked.first();
    EXPECT_EQ(q.text, QStringLiteral("notes.txt"));
    EXPECT_EQ(q.inputSelection, 5);
    prompter.typed = QStringLiteral("  plan.md ");
    ASSERT_TRUE(prompter.answer(QStringLiteral("重命名")));
    EXPECT_EQ(d->name(), QStringLiteral("plan.md"));
    EXPECT_EQ(prompter.notes, QStringList{QStringLiteral("已重命名为 plan.md")});
    EXPECT_TRUE(QFileInfo::exists(files.path(QStringLiteral("plan.md"))));
}

TEST_F(PrompterFlow, AQuitAnsweredOneByOneDiscardsAndEnds)
{
    const DocPtr a = model->open(file(QStringLiteral("a.txt"), "a"));
    const DocPtr b = model->open(file(QStringLiteral("b.txt"), "b"));
    a->setText(QStringLiteral("a2"));
    b->setText(QStringLiteral("b2"));
    std::optional<bool> quit;
    model->confirmQuit([&](bool ok) { quit = ok; });
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_TRUE(prompter.asked.first().message.contains(QStringLiteral("之后还有 1 个未保存文件")));
    ASSERT_TRUE(prompter.answer(QStringLiteral("不保存")));
    ASSERT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.asked.first().title, QStringLiteral("是否保存对「b.txt」的修改？"));
    EXPECT_FALSE(quit);
    ASSERT_TRUE(prompter.answer(QStringLiteral("不保存")));
    EXPECT_EQ(quit, true);
    EXPECT_TRUE(model->quitting());
}

}  // namespace

// The window's questions: a queued one's field shows its own text when it comes up.
TEST_F(WorkspaceTest, AQueuedQuestionsFieldTextComesWithIt)
{
    const DocPtr d = model->open(file(QStringLiteral("q.txt"), "q"));
    Dialog first;
    first.title = QStringLiteral("第一个");
    first.input = QStringLiteral("输入");
    first.text = QStringLiteral("甲");
    first.buttons = {{QUuid::createUuid(), QStringLiteral("好"), Dialog::Role::primary, [] {}}};
    model->present(first);
    EXPECT_EQ(model->dialogInput(), QStringLiteral("甲"));
    model->setDialogInput(QStringLiteral("甲乙"));
    model->askRename(d);
    // What is being typed into the question on screen stays.
    EXPECT_EQ(model->dialogInput(), QStringLiteral("甲乙"));
    ASSERT_TRUE(model->chooseButton(QStringLiteral("好")));
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("重命名"));
    EXPECT_EQ(model->dialogInput(), QStringLiteral("q.txt"));
}
