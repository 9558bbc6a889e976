#include "editor/TypingAids.h"

#include "editor/AutoPairs.h"
#include "editor/CaretLines.h"
#include "editor/CodeTextView.h"
#include "editor/EditorKeys.h"
#include "editor/LineBreaks.h"
#include "editor/ListNumbers.h"
#include "editor/MarkdownList.h"

#include <QKeyEvent>

namespace {

using B = QsciScintillaBase;

bool isMarkdown(const TypingRules& r) { return r.format == QLatin1String("markdown"); }

bool enter(CodeTextView& v, const TypingRules& rules)
{
    CaretLines lines(v);
    const auto around = lines.aroundSelection();
    if (!around)
        return false;
    std::optional<LineBreak> b;
    if (isMarkdown(rules))
        b = LineBreak::markdown(around->before, around->after);
    if (!b)
        b = LineBreak::indented(around->before, around->after, rules.format, rules.indent);
    v.SendScintilla(B::SCI_BEGINUNDOACTION);
    lines.replace(*around, *b);
    if (b->listItem)
        ListNumbers::renumber(lines, around->line + 1);
    v.SendScintilla(B::SCI_ENDUNDOACTION);
    return true;
}

}

namespace TypingAids {

void install(CodeTextView& view) { AutoPairs::install(view); }

bool handle(CodeTextView& view, const QKeyEvent* e, const TypingRules& rules)
{
    if (view.isReadOnly())
        return false;
    const EditorKeys::Binding* binding = EditorKeys::find(e->key(), e->modifiers());
    if (!binding) {
        const QString t = e->text();
        return EditorKeys::typesText(e->modifiers()) && t.size() == 1 && AutoPairs::type(view, t.front(), rules.format);
    }
    switch (binding->command) {
    case B::SCI_NEWLINE: return enter(view, rules);
    case B::SCI_DELETEBACK: return AutoPairs::deleteBack(view);
    case B::SCI_TAB:
    case B::SCI_BACKTAB: {
        const long anchorLine = view.SendScintilla(B::SCI_LINEFROMPOSITION, view.SendScintilla(B::SCI_GETANCHOR));
        if (!isMarkdown(rules) || anchorLine != CaretLines(view).caretLine())
            return false;
        view.SendScintilla(B::SCI_BEGINUNDOACTION);
        const bool done = ListNumbers::nest(CaretLines(view), binding->command == B::SCI_BACKTAB);
        view.SendScintilla(B::SCI_ENDUNDOACTION);
        return done;
    }
    default: return false;
    }
}

}
