#pragma once

#include "core/Doc.h"

class WindowModel;
class QObject;

// "导出 PDF…": asks where, prints the document's preview page and writes the PDF.
namespace ExportPDF {
void run(WindowModel& model, const DocPtr& doc, QObject* owner);
}
