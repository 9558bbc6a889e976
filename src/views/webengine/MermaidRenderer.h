#pragma once

#include "plugins/MermaidBlocks.h"
#include "text/TextCopy.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <optional>

class QWebEngineProfile;
class MermaidPage;
struct FormatPlugin;

// The hidden page's two walls; tests take one down to see the other hold alone.
struct MermaidWalls {
    bool refuseRequests = true;
    bool pagePolicy = true;
};

// Draws the preview's ```mermaid blocks (MermaidBlocks' requests) with the
// pinned mermaid script in a hidden page of its own: a private profile whose
// every request is refused, a page policy that allows no script and no load,
// the script itself in the application's world only, securityLevel strict
// and labels as SVG text. One diagram at a time, each within a time budget;
// a page that runs over is thrown away and the next diagram gets a new one.
// The SVG is sanitised before it is stored. Main thread only.
class MermaidRenderer : public QObject {
    Q_OBJECT
public:
    static constexpr int budgetMSecs = 10'000;
    using Walls = MermaidWalls;

    explicit MermaidRenderer(QObject* parent = nullptr, Walls walls = {});
    ~MermaidRenderer() override;
    // The application's renderer, made on first use; from then on it draws
    // whatever the preview asks for and follows the appearance's theme.
    static MermaidRenderer& shared();
    // Ends the application's renderer while the web engine is still up.
    static void shutdown();
    // Whether this build carries the mermaid script.
    static bool available();

    void setBudget(int msecs) { budget_ = msecs; }
    // Takes what was asked for and draws it, in the background.
    void drain();
    // Draws everything asked for so far before returning (a local event loop).
    void settle();
    bool busy() const { return current_.has_value() || !queue_.empty(); }
    // What the hidden page attempted and was refused (for tests).
    int refusedRequests() const { return refused_; }
    int scriptDialogs() const;
    // Hidden pages opened so far; an overrun costs its page.
    int pagesOpened() const { return pagesOpened_; }
    // The hidden page's process (0 without a page).
    qint64 renderProcessPid() const;

    // The standalone page of a text for an export, its diagrams drawn (light
    // theme, waited for within their budgets); nullopt and why otherwise.
    static std::optional<QString> exportPage(const FormatPlugin& plugin, const TextCopy& text, const QString& title,
                                             const QString& what, QString* error);
    // The same page as UTF-8, for writing out.
    static std::optional<QByteArray> exportPageUtf8(const FormatPlugin& plugin, const TextCopy& text,
                                                    const QString& title, const QString& what, QString* error);

signals:
    // Diagrams were stored or the theme changed: previews holding diagrams are out of date.
    void diagramsChanged();
    // Nothing is being drawn or waiting.
    void idle();

private:
    void next();
    void openPage();
    void dropPage();
    void pageReady(bool ok);
    void render();
    void poll();
    void finish(const QString& svg, const QString& error);
    void followAppearance();

    Walls walls_;
    int budget_ = budgetMSecs;
    std::deque<MermaidBlocks::Request> queue_;
    std::optional<MermaidBlocks::Request> current_;
    QWebEngineProfile* profile_ = nullptr;
    MermaidPage* page_ = nullptr;
    bool ready_ = false;
    int generation_ = 0;  // answers from a dropped page or an earlier diagram are ignored
    int refused_ = 0;
    int pagesOpened_ = 0;
    int dialogsOfDropped_ = 0;
    QTimer deadline_;
    QTimer poll_;
    QTimer announce_;
};
