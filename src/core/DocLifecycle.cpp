#include "core/Doc.h"

// Background analysis and automatic naming are attached here.
void Doc::scheduleAnalysis(double) {}
void Doc::applyAutoName() {}
QString Doc::title(const QString& text, bool) { return text.section(QLatin1Char('\n'), 0, 0).trimmed(); }
