#include "views/window/PrintDoc.h"

#include "views/preview/PreviewEngine.h"
#include "views/state/WindowModel.h"

namespace {

PreviewEngine* engineOrAlert(WindowModel& model)
{
    QString error;
    PreviewEngine* engine = PreviewEngine::get(&error);
    if (!engine)
        model.alert(QStringLiteral("无法打印"), PreviewEngine::unavailable(error));
    return engine;
}

}

namespace PrintDoc {

void print(WindowModel& model, const DocPtr& doc, QWidget* window)
{
    if (PreviewEngine* engine = engineOrAlert(model))
        engine->print(model, doc, window);
}

void preview(WindowModel& model, const DocPtr& doc, QWidget* window)
{
    if (PreviewEngine* engine = engineOrAlert(model))
        engine->printPreview(model, doc, window);
}

}
