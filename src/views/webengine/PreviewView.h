#pragma once

#include "core/Doc.h"
#include "views/preview/PreviewEngine.h"

#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <optional>

class PreviewLoads;
class PreviewPush;
class QLabel;
class QWebChannel;

// Links open in the user's browser; the page itself never navigates.
class PreviewPageGuard : public QWebEnginePage {
public:
    explicit PreviewPageGuard(QObject* parent);
    // The shell is about to be loaded (again, for another base).
    void expectShell() { shellLoaded_ = false; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    // Only the shell page itself is ever loaded; afterwards content changes in place.
    bool shellLoaded_ = false;
};

// What the preview's own script reports, reachable only from the application's world.
class PreviewBridge : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
public slots:
    void clicked(int line);
    void shown(double epoch);
signals:
    void lineClicked(int line);
    void contentShown(unsigned long long epoch);
};

// The rendered preview of one document, updated in place as it changes.
class PreviewView : public QWebEngineView, public PreviewPane {
    Q_OBJECT
public:
    explicit PreviewView(QWidget* parent = nullptr);
    // Starts the browser engine and builds the page shell ahead of the first
    // preview, so neither lands in the turn that opens a file. Call it while
    // the window is idle; later calls cost nothing.
    static void warmUp();
    static bool isWarm();
    QWidget* widget() override { return this; }
    void setDoc(const DocPtr& doc) override;
    // The shell page has loaded and content is shown as it arrives.
    bool isReady() const { return loaded_; }
    // Where relative image paths resolve: the document's folder; blank for untitled documents.
    QUrl baseUrl() const { return base_; }
    static QUrl baseFor(const Doc* doc);
    // The page's colours follow the application's light or dark appearance.
    static QString themeScript(bool dark);
    // Scrolls so the block at this source line (0-based, fractional inside a
    // wrapped line) is at the top; at most once a frame, the latest line wins,
    // and again whenever the content changes.
    void followLine(double line) override;
    std::optional<double> followedLine() const { return follow_; }
    PreviewLoads* loads() const { return loads_; }
    void stopFollowing() override;
    // True while the page may still show what an earlier document put there:
    // a cover saying it is rendering hides it until this document's content is in.
    bool isCovered() const;
    // How long the cover waits for the page to report the content drawn
    // before the page is shown anyway.
    static void setCoverLimit(int msecs);
    // The page's zoom (1 is 100 %), kept across reloads of the shell.
    void setZoom(double factor) override;
    double zoom() const { return zoom_; }

signals:
    // A block of the page was clicked: its 0-based source line.
    void lineClicked(int line);

private:
    void push();
    // Puts a content script built for the current document into the page.
    void send(const QString& script);
    void applyAppearance();
    void sendFollow();
    void loadShell();
    void rebase();
    void uncover(unsigned long long epoch);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    DocPtr doc_;
    QMetaObject::Connection link_;
    QMetaObject::Connection urlLink_;
    bool loaded_ = false;
    bool shellAsked_ = false;
    QString pending_;
    std::optional<double> follow_;
    QTimer frame_;
    PreviewBridge* bridge_;
    QWebChannel* channel_;
    PreviewLoads* loads_;
    PreviewPush* pusher_;
    PreviewPageGuard* guard_;
    QUrl base_;
    // Counts document switches; content pushed under an older count is not this document's.
    unsigned long long epoch_ = 0;
    QLabel* cover_;
    QTimer coverLimit_;
    double zoom_ = 1.0;
};
