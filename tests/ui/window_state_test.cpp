#include "RecordingEditorLink.h"
#include "WaitUntil.h"
#include "core/Preferences.h"
#include "views/state/WindowModel.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// The window's state over a workspace of its own, with a fake for the editors.
class WindowState : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = std::make_unique<WindowModel>(std::make_unique<Preferences>(dir.filePath(QStringLiteral("prefs.ini"))));
        model->setEditorLink(&editor);
    }
    void TearDown() override { model.reset(); }

    QTemporaryDir dir;
    RecordingEditorLink editor;
    std::unique_ptr<WindowModel> model;
};
using DialogFlow = WindowState;
using Toasts = WindowState;

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
    afterTimer(WindowModel::featureCloseMSecs + 100);
    EXPECT_EQ(model->popup(), Popup::feature());
    // Leaving both closes it, but not before the delay.
    model->hoverFeature(std::nullopt, false);
    afterTimer(WindowModel::featureCloseMSecs / 2);
    EXPECT_EQ(model->popup(), Popup::feature());
    EXPECT_TRUE(waitUntil([&] { return !model->popup(); }, 1000));

    // Another popup opened meanwhile is never closed or replaced by hovering.
    model->toggle(Popup::settings());
    model->hoverFeature(true, std::nullopt);
    EXPECT_EQ(model->popup(), Popup::settings());
    model->hoverFeature(false, std::nullopt);
    afterTimer(WindowModel::featureCloseMSecs + 100);
    EXPECT_EQ(model->popup(), Popup::settings());
}

TEST_F(WindowState, EveryPublishedFieldNotifiesOnceOnChange)
{
    QStringList log;
    const auto record = [&log](auto* sender, auto signal, const char* name) {
        QObject::connect(sender, signal, sender, [&log, name] { log << QString::fromLatin1(name); });
    };
    FindState& find = model->find();
    record(&find, &FindState::visibleChanged, "visible");
    record(&find, &FindState::searchChanged, "search");
    record(&find, &FindState::barChanged, "bar");
    record(&model->view(), &ViewState::fullScreenChanged, "fullScreen");
    record(&model->view(), &ViewState::dialogInputChanged, "dialogInput");
    record(&model->view(), &ViewState::popupChanged, "popup");
    record(&model->view(), &ViewState::toastChanged, "toast");
    record(&model->view(), &ViewState::multiCaretCountChanged, "carets");
    record(&model->tagStore(), &TagStore::collapsedChanged, "collapsed");
    record(&model->session(), &SessionStore::recentChanged, "recent");
    find.setVisible(true);
    find.setVisible(true);
    find.setReplaceVisible(true);
    find.setQuery(QStringLiteral("abc"));
    find.setReplaceText(QStringLiteral("x"));
    find.setCaseSensitive(true);
    find.setWholeWord(true);
    find.setUseRegex(true);
    find.setIndex(2);
    find.setFocusToken(find.focusToken() + 1);
    find.setMatchCount(4);
    find.setError(QStringLiteral("无效的正则表达式"));
    model->setIsFullScreen(true);
    model->setDialogInput(QStringLiteral("名"));
    model->setPopup(Popup::feature());
    model->setPopup(Popup::feature());
    model->setToast(QStringLiteral("t"));
    model->setMultiCaretCount(3);
    model->setCollapsed({QStringLiteral("g")});
    model->setRecent({QStringLiteral("/a")});
    EXPECT_EQ(log.join(QLatin1Char(' ')),
              QStringLiteral("visible bar search bar search search search bar bar bar bar "
                             "fullScreen dialogInput popup toast carets collapsed recent"));
}

TEST_F(WindowState, NewFileSheetTakesAndGivesBackFocus)
{
    DocPtr d = model->createDoc(QStringLiteral("a.txt"), std::nullopt, {});
    model->setPopup(Popup::settings());
    model->setShowNewFile(true);
    EXPECT_FALSE(model->popup());
    model->setShowNewFile(false);
    EXPECT_EQ(editor.calls, (QStringList{"release", "focus a.txt"}));
}

TEST_F(WindowState, TheFindBarGoesWithTheLastDocument)
{
    DocPtr a = model->createDoc("a.txt", std::nullopt, {});
    DocPtr b = model->createDoc("b.txt", std::nullopt, {});
    model->openFind(false);
    model->close(a);
    EXPECT_TRUE(model->find().visible());
    model->close(b);
    EXPECT_FALSE(model->find().visible());
    EXPECT_TRUE(model->docs().isEmpty());
}

TEST_F(DialogFlow, AlertsQueueBehindTheDialogOnScreen)
{
    model->setPopup(Popup::eol());
    model->alert(QStringLiteral("一"), QStringLiteral("m"));
    model->alert(QStringLiteral("二"), QStringLiteral("m"));
    EXPECT_FALSE(model->popup());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("一"));
    ASSERT_EQ(model->dialogQueue().size(), 1);
    EXPECT_EQ(model->dialogQueue()[0].title, QStringLiteral("二"));
    EXPECT_NE(model->dialog()->id, model->dialogQueue()[0].id);
}

// A queued question's field shows its own text when it comes up.
TEST_F(DialogFlow, AQueuedQuestionsFieldTextComesWithIt)
{
    QFile f(dir.filePath(QStringLiteral("q.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("q");
    f.close();
    const DocPtr d = model->open(f.fileName());
    ASSERT_TRUE(d);
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

TEST_F(Toasts, NewestToastStaysItsFullTime)
{
    QElapsedTimer t;
    t.start();
    model->flash(QStringLiteral("一"));
    afterTimer(900);
    model->flash(QStringLiteral("二"));
    const qint64 second = t.elapsed();
    ASSERT_TRUE(waitUntil([&] { return !model->toast() || t.elapsed() > 4000; }, 5000));
    const qint64 hidden = t.elapsed();
    EXPECT_GE(hidden - second, WindowModel::toastMSecs - 20);
    EXPECT_LT(hidden - second, WindowModel::toastMSecs + 600);
}
