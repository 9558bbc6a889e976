#pragma once

#include "core/Doc.h"

class WindowModel;
class QWidget;

// 文件 → 打印… and 打印预览…: a format with a preview prints its preview page
// as the PDF export lays it out, any other its source with line numbers.
// Both dialogs are window-modal and return at once; printing gives up with
// a message after a minute.
namespace PrintJobs {
void print(WindowModel& model, const DocPtr& doc, QWidget* window);
void preview(WindowModel& model, const DocPtr& doc, QWidget* window);
}
