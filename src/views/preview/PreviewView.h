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

private:
    void push();

    DocPtr doc_;
    QMetaObject::Connection link_;
    bool loaded_ = false;
    QString pending_;
};
