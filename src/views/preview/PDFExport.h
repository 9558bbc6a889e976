#pragma once

#include <QByteArray>
#include <QObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

class QWebEnginePage;
class QWebEngineProfile;

// Prints a standalone page to PDF (A4) in a page of its own: private
// profile, no script, no network, only the page file, its inline data and
// readable local pictures. Reports once, also when the time is up.
class PDFExport : public QObject {
    Q_OBJECT
public:
    static constexpr int defaultTimeoutMSecs = 60'000;

    explicit PDFExport(QObject* parent = nullptr);
    ~PDFExport() override;
    // `title` names the PDF; `pictures` is the folder relative pictures are
    // read from (empty: none).
    void start(const QString& page, const QString& title, const QString& pictures,
               int timeoutMSecs = defaultTimeoutMSecs);

signals:
    // The PDF's bytes, or an empty array and a message.
    void finished(const QByteArray& pdf, const QString& error);

private:
    void finish(const QByteArray& pdf, const QString& error);

    QWebEngineProfile* profile_ = nullptr;
    QWebEnginePage* page_ = nullptr;
    QTemporaryDir dir_;
    QUrl pageURL_;
    QString title_;
    QTimer timer_;
    bool done_ = false;
};
