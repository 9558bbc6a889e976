#include "views/preview/PreviewEngine.h"

#include "views/preview/PreviewSurface.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMarginsF>
#include <QPageSize>

namespace {
PreviewEngine* engine = nullptr;
bool tried = false;
QString failure;
QStringList searched;
}

PreviewEvents& PreviewEvents::shared()
{
    static auto* events = new PreviewEvents;
    return *events;
}

QPageLayout PageToPDF::a4()
{
    return {QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter};
}

PreviewEngine* PreviewEngine::get(QString* error)
{
    if (!engine && !tried) {
        tried = true;
        QStringList reasons;
        const QStringList paths = searched.isEmpty() ? modulePaths() : searched;
        for (const QString& path : paths) {
            if (!QFileInfo::exists(path))
                continue;
            QString why;
            engine = load(path, &why);
            if (engine)
                break;
            reasons << why;
        }
        if (!engine)
            failure = !reasons.isEmpty()
                ? reasons.join(QStringLiteral("；"))
                : QStringLiteral("找不到 %1（已查找：%2）")
                      .arg(QStringLiteral(LORVANE_ENGINE_MODULE), paths.join(QStringLiteral("、")));
    }
    if (!engine && error)
        *error = failure;
    return engine;
}

bool PreviewEngine::isLoaded() { return engine != nullptr; }

void PreviewEngine::install(PreviewEngine* e)
{
    engine = e;
    tried = true;
}

void PreviewEngine::lookIn(const QStringList& paths)
{
    engine = nullptr;
    tried = false;
    failure.clear();
    searched = paths;
}

PreviewEngine* PreviewEngine::load(const QString& path, QString* error)
{
    PreviewSurface::shareOpenGL();
    // Never unloaded: the engine's threads and processes outlive any caller.
    auto* library = new QLibrary(path);
    library->setLoadHints(QLibrary::ResolveAllSymbolsHint | QLibrary::PreventUnloadHint);
    if (!library->load()) {
        *error = library->errorString();
        delete library;
        return nullptr;
    }
    using Entry = PreviewEngine* (*)();
    const auto entry = reinterpret_cast<Entry>(library->resolve(entryPoint));
    PreviewEngine* loaded = entry ? entry() : nullptr;
    if (!loaded)
        *error = QStringLiteral("%1 不是本程序的预览组件").arg(QDir::toNativeSeparators(path));
    return loaded;
}

QStringList PreviewEngine::modulePaths()
{
    const QString dir = QCoreApplication::applicationDirPath();
    const QString name = QStringLiteral(LORVANE_ENGINE_MODULE);
    return {dir + QLatin1Char('/') + name,
            QDir::cleanPath(dir + QLatin1Char('/') + QStringLiteral(LORVANE_ENGINE_DIR) + QLatin1Char('/') + name)};
}

QString PreviewEngine::unavailable(const QString& reason) { return QStringLiteral("无法加载预览组件：") + reason; }
