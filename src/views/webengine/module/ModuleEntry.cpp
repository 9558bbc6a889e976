#include "views/webengine/WebEnginePreview.h"

// What the program resolves after loading this module.
extern "C" Q_DECL_EXPORT PreviewEngine* lorvane_preview_engine()
{
    static WebEnginePreview engine;
    return &engine;
}
