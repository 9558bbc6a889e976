#pragma once

#include "core/Doc.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineView>

// Links open in the user's browser; the page itself never navigates.
class PreviewPageGuard : public QWebEnginePage {
public:
    explicit PreviewPageGuard(QObject* parent);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    // Only the shell page itself is ever loaded; afterwards content changes in place.
    bool shellLoaded_ = false;
};

// The rendered preview of one document, updated in place as it changes.
class PreviewView : public QWebEngineView {
public:
    explicit PreviewView(QWidget* parent = nullptr);
    void setDoc(const DocPtr& doc);
    // The shell page has loaded and content is shown as it arrives.
    bool isReady() const { return loaded_; }
    // The page's colours follow the application's light or dark appearance.
    static QString themeScript(bool dark);

private:
    void push();
    void applyAppearance();

    DocPtr doc_;
    QMetaObject::Connection link_;
    bool loaded_ = false;
    QString pending_;
};
