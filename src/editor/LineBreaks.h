#pragma once

#include "core/Settings.h"

#include <QString>
#include <QStringView>
#include <optional>

// What Enter does to a line, from the text before the caret on its line and
// the text after the selection on the last selected line.
struct LineBreak {
    qsizetype from = 0;     // the edit starts this far into the text before the caret
    qsizetype eat = 0;      // and takes this much of the text after the selection
    QString text;           // what takes their place
    qsizetype caret = 0;    // the caret, counted from `from`
    bool listItem = false;  // a Markdown numbered item was added

    // The line's indent kept, one level more after an opener of the format,
    // and a closer right after the caret put on its own line.
    static LineBreak indented(QStringView before, QStringView after, const QString& format, const Indent& indent);
    // A Markdown list or quote continued, or ended on an empty item.
    static std::optional<LineBreak> markdown(QStringView before, QStringView after);
};
