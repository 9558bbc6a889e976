#pragma once

#include "core/Doc.h"

class WindowModel;
class QWidget;

// 文件 → 打印… and 打印预览…, printed by the preview's engine (see
// PreviewEngine::print); without it, a message says why.
namespace PrintDoc {
void print(WindowModel& model, const DocPtr& doc, QWidget* window);
void preview(WindowModel& model, const DocPtr& doc, QWidget* window);
}
