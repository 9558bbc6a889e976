#pragma once

#include <QChar>
#include <QString>

class CodeTextView;

// Brackets and quotes typed in pairs, as VS Code does with its default
// "languageDefined" settings: the closer comes only before a blank, the
// line's end or a closing punctuation mark, a quote never right after a
// letter or digit, and only closers the editor put in are typed over or
// deleted with their opener. A selection is wrapped instead.
namespace AutoPairs {

// The openers a format pairs.
QString openers(const QString& format);
// Openers that only wrap a selection.
QString wrappers(const QString& format);
void install(CodeTextView& view);
// Types `c` with its closer, over an inserted closer, or around the
// selection; false when `c` is typed as it is.
bool type(CodeTextView& view, QChar c, const QString& format);
// Backspace between an opener and the closer put in with it deletes both.
bool deleteBack(CodeTextView& view);

}
