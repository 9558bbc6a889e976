#include "views/webengine/WebEnginePreview.h"

#include "views/webengine/MermaidRenderer.h"
#include "views/webengine/PDFExport.h"
#include "views/webengine/PreviewView.h"
#include "views/webengine/PrintJob.h"

WebEnginePreview::WebEnginePreview()
{
    // Diagrams asked for before the engine was there are drawn now.
    QObject::connect(&MermaidRenderer::shared(), &MermaidRenderer::diagramsChanged, &PreviewEvents::shared(),
                     &PreviewEvents::diagramsChanged);
}

void WebEnginePreview::warmUp() { PreviewView::warmUp(); }

bool WebEnginePreview::isWarm() const { return PreviewView::isWarm(); }

PreviewPane* WebEnginePreview::createPane(QWidget* parent) { return new PreviewView(parent); }

PageToPDF* WebEnginePreview::createPDFJob(QObject* parent) { return new PDFExport(parent); }

std::optional<QString> WebEnginePreview::exportPage(const FormatPlugin& plugin, const TextCopy& text,
                                                    const QString& title, const QString& what, QString* error)
{
    return MermaidRenderer::exportPage(plugin, text, title, what, error);
}

std::optional<QByteArray> WebEnginePreview::exportPageUtf8(const FormatPlugin& plugin, const TextCopy& text,
                                                           const QString& title, const QString& what, QString* error)
{
    return MermaidRenderer::exportPageUtf8(plugin, text, title, what, error);
}

void WebEnginePreview::print(WindowModel& model, const DocPtr& doc, QWidget* window)
{
    PrintJobs::print(model, doc, window);
}

void WebEnginePreview::printPreview(WindowModel& model, const DocPtr& doc, QWidget* window)
{
    PrintJobs::preview(model, doc, window);
}

void WebEnginePreview::shutdown() { MermaidRenderer::shutdown(); }
