#pragma once

#include <QByteArray>
#include <QObject>
#include <QPageLayout>
#include <QPageRanges>
#include <QTimer>

class StandalonePage;

// Prints a standalone page, loaded as StandalonePage loads it, to PDF (A4
// unless told). Reports once, also when the time is up; deleting it before
// then cancels it.
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
    // Paper other than A4, or only some pages; before start().
    void setLayout(const QPageLayout& layout, const QPageRanges& ranges = {});

    static QPageLayout a4();

signals:
    // The page is loaded and being laid out on paper.
    void printing();
    // The PDF's bytes, or an empty array and a message.
    void finished(const QByteArray& pdf, const QString& error);

private:
    void finish(const QByteArray& pdf, const QString& error);

    StandalonePage* page_ = nullptr;
    QPageLayout layout_ = a4();
    QPageRanges ranges_;
    QString title_;
    QTimer timer_;
    bool done_ = false;
};
