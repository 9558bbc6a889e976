#pragma once

#include "core/Doc.h"

class AppModel;
class QObject;

// "导出 PDF…": asks where, prints the document's preview page and writes the PDF.
namespace ExportPDF {
void run(AppModel& model, const DocPtr& doc, QObject* owner);
}
