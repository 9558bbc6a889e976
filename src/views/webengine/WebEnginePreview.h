#pragma once

#include "views/preview/PreviewEngine.h"

// The preview engine on Qt WebEngine.
class WebEnginePreview : public PreviewEngine {
public:
    WebEnginePreview();
    void warmUp() override;
    bool isWarm() const override;
    PreviewPane* createPane(QWidget* parent) override;
    PageToPDF* createPDFJob(QObject* parent) override;
    std::optional<QString> exportPage(const FormatPlugin& plugin, const TextCopy& text, const QString& title,
                                      const QString& what, QString* error) override;
    std::optional<QByteArray> exportPageUtf8(const FormatPlugin& plugin, const TextCopy& text, const QString& title,
                                             const QString& what, QString* error) override;
    void print(WindowModel& model, const DocPtr& doc, QWidget* window) override;
    void printPreview(WindowModel& model, const DocPtr& doc, QWidget* window) override;
    void shutdown() override;
};
