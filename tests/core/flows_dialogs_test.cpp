#include "Workspace.h"

using DialogFlow = WorkspaceTest;

namespace {
Dialog question(const QString& title, std::function<void()> onOk)
{
    Dialog d;
    d.title = title;
    d.buttons = {{QUuid::createUuid(), QStringLiteral("取消"), Dialog::Role::cancel, [] {}},
                 {QUuid::createUuid(), QStringLiteral("好"), Dialog::Role::primary, std::move(onOk)}};
    return d;
}
}

TEST_F(DialogFlow, QueueIsFirstInFirstOutAndActionDialogsGoFirst)
{
    QStringList order;
    model->setPopup(Popup::eol());
    model->present(question("A", [&] {
        order << "A";
        model->alert(QStringLiteral("from A"), QString());
    }));
    EXPECT_FALSE(model->popup());
    model->present(question("B", [&] { order << "B"; }));
    model->present(question("C", [&] { order << "C"; }));
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, "A");
    EXPECT_EQ(model->dialogQueue().size(), 2);

    ASSERT_TRUE(model->chooseButton(QStringLiteral("好")));
    // The alert raised by A's action is shown at once, ahead of the queue.
    EXPECT_EQ(model->dialog()->title, "from A");
    ASSERT_TRUE(model->chooseRole(Dialog::Role::primary));
    EXPECT_EQ(model->dialog()->title, "B");
    ASSERT_TRUE(model->chooseRole(Dialog::Role::cancel));
    EXPECT_EQ(model->dialog()->title, "C");
    ASSERT_TRUE(model->chooseButton(QStringLiteral("好")));
    EXPECT_FALSE(model->dialog());
    EXPECT_FALSE(model->chooseButton(QStringLiteral("好")));
    EXPECT_EQ(order, (QStringList{"A", "C"}));
}

TEST_F(DialogFlow, FocusLeavesForTheDialogAndComesBackAfterTheLast)
{
    DocPtr d = model->createDoc(QStringLiteral("a.txt"), std::nullopt, {});
    editor.calls.clear();
    model->alert("one", "");
    model->alert("two", "");
    model->chooseButton(QStringLiteral("好"));
    EXPECT_EQ(editor.calls, QStringList{"release"});
    model->chooseButton(QStringLiteral("好"));
    EXPECT_EQ(editor.calls, (QStringList{"release", "focus a.txt"}));
}

TEST_F(DialogFlow, EscapeClosesOneThingInOrder)
{
    DocPtr d = model->createDoc(QStringLiteral("a.txt"), std::nullopt, {});
    model->setIsFullScreen(true);
    model->openFind(false);
    model->setMultiCaretCount(3);
    model->toggle(Popup::format());
    editor.calls.clear();

    model->escape();
    EXPECT_FALSE(model->popup());
    EXPECT_TRUE(model->find().visible());
    model->escape();
    EXPECT_EQ(editor.calls, QStringList{"exitMulti a.txt"});
    EXPECT_TRUE(model->find().visible());
    model->setMultiCaretCount(std::nullopt);
    model->escape();
    EXPECT_FALSE(model->find().visible());
    EXPECT_TRUE(model->isFullScreen());
    model->escape();
    EXPECT_FALSE(model->isFullScreen());
    model->escape();  // nothing left; must not crash or flip anything
    EXPECT_FALSE(model->isFullScreen());
}

TEST_F(DialogFlow, TogglePopupsReplaceOrClose)
{
    const QUuid a = QUuid::createUuid(), b = QUuid::createUuid();
    model->toggle(Popup::tags(a));
    model->toggle(Popup::tags(b));
    EXPECT_EQ(model->popup(), Popup::tags(b));
    EXPECT_NE(Popup::tags(a).anchor(), Popup::tags(b).anchor());
    EXPECT_EQ(Popup::tags(a).anchor(), "tags-" + a.toString(QUuid::WithoutBraces).toUpper());
    model->toggle(Popup::tags(b));
    EXPECT_FALSE(model->popup());
}

TEST_F(DialogFlow, OpenFindTakesSingleLineSelectionOnly)
{
    model->openFind(false);
    EXPECT_FALSE(model->find().visible());  // no document
    DocPtr d = model->createDoc(QStringLiteral("a.txt"), std::nullopt, {});
    editor.selection = "abc";
    const int token = model->find().focusToken();
    model->openFind(false);
    EXPECT_EQ(model->find().query(), "abc");
    EXPECT_FALSE(model->find().replaceVisible());
    editor.selection = "two\nlines";
    model->openFind(true);
    EXPECT_EQ(model->find().query(), "abc");
    EXPECT_TRUE(model->find().replaceVisible());
    EXPECT_EQ(model->find().focusToken(), token + 2);
    editor.calls.clear();
    model->closeFind();
    EXPECT_FALSE(model->find().visible());
    EXPECT_EQ(editor.calls, (QStringList{"highlights a.txt", "focus a.txt"}));
}

TEST_F(DialogFlow, FeatureMenuHoverClosesOnlyAfterTheGap)
{
    model->hoverFeature(true, std::nullopt);
    EXPECT_EQ(model->popup(), Popup::feature());
    // Button left, panel entered within the gap: stays open.
    model->hoverFeature(false, std::nullopt);
    model->hoverFeature(std::nullopt, true);
    afterTimer(AppModel::featureCloseMSecs + 100);
    EXPECT_EQ(model->popup(), Popup::feature());
    // Leaving both closes it, but not before the delay.
    model->hoverFeature(std::nullopt, false);
    afterTimer(AppModel::featureCloseMSecs / 2);
    EXPECT_EQ(model->popup(), Popup::feature());
    EXPECT_TRUE(waitUntil([&] { return !model->popup(); }, 1000));

    // Another popup opened meanwhile is never closed or replaced by hovering.
    model->toggle(Popup::settings());
    model->hoverFeature(true, std::nullopt);
    EXPECT_EQ(model->popup(), Popup::settings());
    model->hoverFeature(false, std::nullopt);
    afterTimer(AppModel::featureCloseMSecs + 100);
    EXPECT_EQ(model->popup(), Popup::settings());
}
