#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// The bundled renderers' JavaScript (highlight.js, KaTeX), run in one QJSEngine on a
// thread of its own, so that any analysis thread may ask and a runaway call
// can be interrupted. The page never runs any of it: only the HTML strings
// that come back, which the caller sanitises.
namespace ScriptHost {

// The string one of our global "lorvane…" functions returns for these
// arguments; nothing when the scripts are missing, the function throws or
// returns no string, the process has no application object, or the call used
// more processor time than the limit, or five times the limit went by on the
// clock (it is interrupted then; an engine that does not stop is given up
// and the next call gets a new one). `overran`, when given, says whether the
// call was cut off by its limit.
std::optional<QString> call(const QString& function, const QStringList& arguments, std::chrono::milliseconds limit,
                            bool* overran = nullptr);

// For the end of the program: every call, waiting or to come, returns nothing
// at once, whatever a script is doing.
void stop();

}
