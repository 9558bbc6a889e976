#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <QUrl>

class QWebEnginePage;
class QWebEngineProfile;

// A standalone page (an export of the preview) loaded for paper: private
// profile, no script, no network, only the page file, its inline data and
// readable local pictures, on a white background when printed.
class StandalonePage : public QObject {
    Q_OBJECT
public:
    explicit StandalonePage(QObject* parent = nullptr);
    ~StandalonePage() override;
    // `pictures` is the folder relative pictures are read from (empty: none);
    // `paperStyle` holds rules for print only.
    void load(const QString& page, const QString& pictures, const QString& paperStyle = {});
    QWebEnginePage* page() const { return page_; }

signals:
    // Loaded, or not: with the zh-CN reason when the page could not even be set up.
    void loaded(bool ok, const QString& error);

private:
    QWebEngineProfile* profile_ = nullptr;
    QWebEnginePage* page_ = nullptr;
    QTemporaryDir dir_;
};
