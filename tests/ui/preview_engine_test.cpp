#include "PreviewWindow.h"
#include "editor/CodeTextView.h"
#include "views/preview/PreviewEngine.h"
#include "views/preview/PreviewFailure.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QTemporaryDir>

namespace {

// Takes the linked-in engine away, as if its module could not be loaded from
// `paths`, and puts it back afterwards.
struct EngineAway {
    PreviewEngine* linked = PreviewEngine::get();
    explicit EngineAway(const QStringList& paths) { PreviewEngine::lookIn(paths); }
    ~EngineAway() { PreviewEngine::install(linked); }
};

}

// Whatever lies where the module should be, loading it gives no engine and a reason.
TEST(PreviewEngineLoad, AnythingButTheModuleGivesAReason)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("text.so"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("不是程序库\n");
    f.close();
    const QString qtCore = QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6");
    ASSERT_TRUE(QFileInfo::exists(qtCore));
    const struct {
        const char* what;
        QString path;
        QString says;
    } cases[] = {
        {"no file", dir.filePath(QStringLiteral("none.so")), QStringLiteral("none.so")},
        {"not a library", text, QStringLiteral("text.so")},
        {"another library", qtCore, QStringLiteral("不是本程序的预览组件")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QString error;
        EXPECT_EQ(PreviewEngine::load(c.path, &error), nullptr);
        EXPECT_TRUE(error.contains(c.says)) << error.toStdString();
    }
}

// Looked for where it is not, the engine is missing with the places named;
// asked again, it says the same without looking again.
TEST(PreviewEngineLoad, AMissingModuleIsNamedWithWhereItWasLookedFor)
{
    QTemporaryDir dir;
    const QStringList paths{dir.filePath(QStringLiteral("a/liblorvane_webengine.so")),
                            dir.filePath(QStringLiteral("b/liblorvane_webengine.so"))};
    EngineAway away(paths);
    QString error;
    EXPECT_EQ(PreviewEngine::get(&error), nullptr);
    EXPECT_FALSE(PreviewEngine::isLoaded());
    for (const QString& path : paths)
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
    QString again;
    EXPECT_EQ(PreviewEngine::get(&again), nullptr);
    EXPECT_EQ(again, error);
    EXPECT_TRUE(PreviewEngine::unavailable(error).startsWith(QStringLiteral("无法加载预览组件：")));
}

// Without the engine a Markdown document still opens and edits; its preview
// says why there is none.
TEST_F(PreviewWindow, WithoutTheEngineThePreviewSaysWhyAndEditingGoesOn)
{
    QTemporaryDir dir;
    EngineAway away({dir.filePath(QStringLiteral("liblorvane_webengine.so"))});
    window->openFiles({write(QStringLiteral("a.md"), QByteArray("# 标题\n"))});
    ASSERT_TRUE(waitUntil([this] { return window->findChild<PreviewFailure*>() != nullptr; }, 10000));
    const auto* failure = window->findChild<PreviewFailure*>();
    EXPECT_TRUE(failure->isVisible());
    EXPECT_TRUE(failure->text().startsWith(QStringLiteral("无法加载预览组件："))) << failure->text().toStdString();
    EXPECT_TRUE(failure->text().contains(dir.path())) << failure->text().toStdString();
    EXPECT_EQ(preview(), nullptr);

    ASSERT_TRUE(waitUntil([] { return qobject_cast<CodeTextView*>(focused()) != nullptr; }));
    key(Qt::Key_End);
    type(QStringLiteral(" still editable"));
    EXPECT_TRUE(waitUntil([this] { return model->active()->text().contains(QStringLiteral("标题 still editable")); }));
}
