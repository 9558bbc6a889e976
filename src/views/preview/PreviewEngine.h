#pragma once

#include "core/Doc.h"
#include "text/TextCopy.h"

#include <QByteArray>
#include <QObject>
#include <QPageLayout>
#include <QPageRanges>
#include <QString>
#include <functional>
#include <optional>

class WindowModel;
class QWidget;
struct FormatPlugin;

// The rendered preview of one document, as the window holds it.
class PreviewPane {
public:
    virtual ~PreviewPane() = default;
    virtual QWidget* widget() = 0;
    virtual void setDoc(const DocPtr& doc) = 0;
    // The page's zoom (1 is 100 %).
    virtual void setZoom(double factor) = 0;
    // Scrolls so the block at this source line (0-based, fractional inside a
    // wrapped line) is at the top.
    virtual void followLine(double line) = 0;
    virtual void stopFollowing() = 0;
    // Called with the 0-based source line of a block clicked in the page.
    std::function<void(int)> onLineClicked;
};

// Prints a standalone page (an export of the preview) to PDF, A4 unless told.
// Reports once, also when the time is up; deleting it before then cancels it.
class PageToPDF : public QObject {
    Q_OBJECT
public:
    static constexpr int defaultTimeoutMSecs = 60'000;
    using QObject::QObject;
    // `title` names the PDF; `pictures` is the folder relative pictures are
    // read from (empty: none).
    virtual void start(const QString& page, const QString& title, const QString& pictures,
                       int timeoutMSecs = defaultTimeoutMSecs) = 0;
    // Paper other than A4, or only some pages; before start().
    virtual void setLayout(const QPageLayout& layout, const QPageRanges& ranges = {}) = 0;
    static QPageLayout a4();

signals:
    // The page is loaded and being laid out on paper.
    void printing();
    // The PDF's bytes, or an empty array and a message.
    void finished(const QByteArray& pdf, const QString& error);
};

// What the engine reports to the window, reachable before it is loaded.
class PreviewEvents : public QObject {
    Q_OBJECT
public:
    static PreviewEvents& shared();

signals:
    // Diagrams were drawn or their theme changed: previews holding diagrams are out of date.
    void diagramsChanged();
};

// Everything drawn by the browser engine. The engine lives in a module of its
// own, loaded on first need: linked into the program, it would cost every
// start its libraries and its OpenGL set-up, also a session of plain text.
class PreviewEngine {
public:
    virtual ~PreviewEngine() = default;
    // Starts the engine and reads the page's fonts ahead of the first preview;
    // later calls cost nothing.
    virtual void warmUp() = 0;
    virtual bool isWarm() const = 0;
    virtual PreviewPane* createPane(QWidget* parent) = 0;
    virtual PageToPDF* createPDFJob(QObject* parent) = 0;
    // The standalone page of a text for an export, its diagrams drawn; nullopt and why otherwise.
    virtual std::optional<QString> exportPage(const FormatPlugin& plugin, const TextCopy& text, const QString& title,
                                              const QString& what, QString* error) = 0;
    virtual std::optional<QByteArray> exportPageUtf8(const FormatPlugin& plugin, const TextCopy& text,
                                                     const QString& title, const QString& what, QString* error) = 0;
    // 文件 → 打印… and 打印预览…: window-modal dialogs that return at once.
    virtual void print(WindowModel& model, const DocPtr& doc, QWidget* window) = 0;
    virtual void printPreview(WindowModel& model, const DocPtr& doc, QWidget* window) = 0;
    // Ends what the engine keeps running in the background, while it is still up.
    virtual void shutdown() = 0;

    // The engine, its module loaded on the first call; null, and why in
    // `error`, when it cannot be (asked again, it says the same).
    static PreviewEngine* get(QString* error = nullptr);
    // Whether the engine is there already: asking costs nothing.
    static bool isLoaded();
    // An engine linked into the program (tests, benchmarks) instead of the module.
    static void install(PreviewEngine* engine);
    // Forgets the engine: the next get() looks for the module at `paths`
    // instead (modulePaths() when empty).
    static void lookIn(const QStringList& paths);
    // Loads the module at `path`; null and the zh-CN reason when it is no such module.
    static PreviewEngine* load(const QString& path, QString* error);
    // Where the module is looked for: beside the program (a build), then the
    // installed private folder, both from the program's own location.
    static QStringList modulePaths();
    // What a preview or an export says when there is no engine.
    static QString unavailable(const QString& reason);
    // The function a module exports to hand over its engine.
    static constexpr const char* entryPoint = "lorvane_preview_engine";
};
