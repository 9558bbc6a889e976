#include "editor/EditCommands.h"

#include "core/AppModel.h"
#include "editor/CodeTextView.h"
#include "editor/EditorController.h"
#include "plugins/MarkdownEdits.h"

#include <QApplication>
#include <QClipboard>

namespace {

// The view's lines, read as a command needs them.
class ViewLines : public TextLines {
public:
    explicit ViewLines(const CodeTextView& v) : view_(v) {}
    int lineCount() const override { return view_.lineCount(); }
    int lineStart(int line) const override { return view_.lineStart(line); }
    int lineOf(int pos) const override { return view_.lineOf(pos); }
    QString line(int line) const override
    {
        const int start = view_.lineStart(line);
        return view_.textIn(start, view_.lineEnd(line) - start);
    }

private:
    const CodeTextView& view_;
};

using Command = std::optional<EditPlan> (*)(const TextLines&, const std::vector<Span>&);

void edit(EditorController& e,
          const std::function<std::optional<EditPlan>(const TextLines&, const std::vector<Span>&)>& make)
{
    CodeTextView* v = e.textView();
    if (v->isReadOnly())
        return;
    if (const auto plan = make(ViewLines(*v), v->spans()))
        v->applyPlan(*plan);
}

template <Command command> void onLines(EditorController& e) { edit(e, command); }

void toggleComment(EditorController& e)
{
    const FormatPlugin& format = e.doc()->plugin();
    if (format.comment.none()) {
        e.model().flash(QStringLiteral("%1 没有注释语法，未作改动").arg(format.displayName));
        return;
    }
    edit(e, [&](const TextLines& t, const std::vector<Span>& s) {
        return LineCommands::toggleComment(t, s, format.comment);
    });
}

void moveUp(EditorController& e)
{
    edit(e, [](const TextLines& t, const std::vector<Span>& s) { return LineCommands::move(t, s, -1); });
}

void moveDown(EditorController& e)
{
    edit(e, [](const TextLines& t, const std::vector<Span>& s) { return LineCommands::move(t, s, 1); });
}

void selectNext(EditorController& e)
{
    CodeTextView* v = e.textView();
    if (v->selectNextOccurrence() == CodeTextView::Occurrence::allSelected)
        e.model().flash(QStringLiteral("已选中全部 %1 处相同项").arg(v->spans().size()));
}

void selectAll(EditorController& e)
{
    const int n = e.textView()->selectAllOccurrences();
    if (n > 1)
        e.model().flash(QStringLiteral("已选中 %1 处相同项").arg(n));
}

// Empty selections take the word they touch, if any.
std::vector<Span> widened(const CodeTextView& v)
{
    std::vector<Span> out = v.spans();
    for (Span& s : out)
        if (s.empty())
            if (const auto w = v.wordAt(s.caret))
                s = *w;
    return out;
}

template <const char* marker> void emphasis(EditorController& e)
{
    CodeTextView* v = e.textView();
    if (v->isReadOnly())
        return;
    if (const auto plan = MarkdownEdits::toggleEmphasis(ViewLines(*v), widened(*v), QString::fromLatin1(marker)))
        v->applyPlan(*plan);
}

constexpr char bold[] = "**";
constexpr char italic[] = "*";

void link(EditorController& e)
{
    CodeTextView* v = e.textView();
    if (v->isReadOnly())
        return;
    const QString clip = QApplication::clipboard()->text();
    const QString url = MarkdownEdits::isURL(clip) ? clip.trimmed() : QString();
    if (const auto plan = MarkdownEdits::link(ViewLines(*v), widened(*v), url))
        v->applyPlan(*plan);
}

bool writable(const EditorController& e) { return !e.textView()->isReadOnly(); }
bool commentable(const EditorController& e) { return writable(e) && !e.doc()->plugin().comment.none(); }
bool always(const EditorController&) { return true; }

QList<QKeySequence> keys(std::initializer_list<const char*> list)
{
    QList<QKeySequence> out;
    for (const char* k : list)
        out << QKeySequence(QString::fromLatin1(k));
    return out;
}

}

namespace EditCommands {

const QList<EditCommand>& all()
{
    using S = EditCommand::Scope;
    static const QList<EditCommand> list{
        {QStringLiteral("切换注释"), keys({"Ctrl+/"}), S::anyText, true, toggleComment, commentable},
        {QStringLiteral("复制行"), keys({"Ctrl+Shift+D"}), S::anyText, false, onLines<LineCommands::duplicate>,
         writable},
        {QStringLiteral("上移行"), keys({"Alt+Up"}), S::anyText, false, moveUp, writable},
        {QStringLiteral("下移行"), keys({"Alt+Down"}), S::anyText, false, moveDown, writable},
        {QStringLiteral("删除行"), keys({"Ctrl+Shift+K"}), S::anyText, false, onLines<LineCommands::remove>, writable},
        {QStringLiteral("合并行"), keys({"Ctrl+J"}), S::anyText, false, onLines<LineCommands::join>, writable},
        {QStringLiteral("选择下一个相同项"), keys({"Ctrl+D"}), S::anyText, false, selectNext, always},
        {QStringLiteral("选择全部相同项"), keys({"Ctrl+F2"}), S::anyText, false, selectAll, always},
        {QStringLiteral("加粗"), keys({"Ctrl+B"}), S::markdown, true, emphasis<bold>, writable},
        {QStringLiteral("斜体"), keys({"Ctrl+I"}), S::markdown, true, emphasis<italic>, writable},
        {QStringLiteral("插入链接"), keys({"Ctrl+K"}), S::markdown, true, link, writable},
    };
    return list;
}

bool offered(const EditCommand& c, const FormatPlugin& format)
{
    return c.scope == EditCommand::Scope::anyText || format.id == QLatin1String("markdown");
}

bool enabled(const EditCommand& c, const EditorController& editor)
{
    return offered(c, editor.doc()->plugin()) && c.usable(editor);
}

}
