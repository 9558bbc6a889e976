#pragma once

#include "views/preview/PreviewEngine.h"

#include <QTimer>

class StandalonePage;

// Prints a standalone page, loaded as StandalonePage loads it, to PDF.
class PDFExport : public PageToPDF {
    Q_OBJECT
public:
    explicit PDFExport(QObject* parent = nullptr);
    ~PDFExport() override;
    void start(const QString& page, const QString& title, const QString& pictures,
               int timeoutMSecs = defaultTimeoutMSecs) override;
    void setLayout(const QPageLayout& layout, const QPageRanges& ranges = {}) override;

private:
    void finish(const QByteArray& pdf, const QString& error);

    StandalonePage* page_ = nullptr;
    QPageLayout layout_ = a4();
    QPageRanges ranges_;
    QString title_;
    QString folder_;
    QTimer timer_;
    bool done_ = false;
};
