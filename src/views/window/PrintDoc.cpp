#include "views/window/PrintDoc.h"

#include "core/AppModel.h"
#include "views/preview/PreviewEngine.h"

namespace {

PreviewEngine* engineOrAlert(AppModel& model)
{
    QString error;
    PreviewEngine* engine = PreviewEngine::get(&error);
    if (!engine)
        model.alert(QStringLiteral("无法打印"), PreviewEngine::unavailable(error));
    return engine;
}

}

namespace PrintDoc {

void print(AppModel& model, const DocPtr& doc, QWidget* window)
{
    if (PreviewEngine* engine = engineOrAlert(model))
        engine->print(model, doc, window);
}

void preview(AppModel& model, const DocPtr& doc, QWidget* window)
{
    if (PreviewEngine* engine = engineOrAlert(model))
        engine->printPreview(model, doc, window);
}

}
