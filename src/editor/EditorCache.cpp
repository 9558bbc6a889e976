#include "editor/EditorCache.h"

#include "core/AppModel.h"
#include "editor/BufferLoader.h"
#include "editor/EditorController.h"
#include "plugins/PluginRegistry.h"

#include <QFileInfo>
#include <Qsci/qsciscintillabase.h>

#include <QWidget>

EditorCache::EditorCache(AppModel& model, EditorHost& host) : model_(model), host_(host) {}

std::shared_ptr<TextSink> EditorCache::textSink(const QString& path, qint64 bytes)
{
    if (!loaderMaker_) {
        loaderMaker_ = std::make_unique<QsciScintillaBase>();
        bufferCopier_ = std::make_unique<QsciScintillaBase>();
    }
    return std::make_shared<BufferLoader>(
        loaderMaker_.get(), bufferCopier_.get(), bytes,
        EditorController::wantsStyleBytes(PluginRegistry::plugin(QFileInfo(path).fileName()).id, bytes));
}
EditorCache::~EditorCache() = default;

std::function<void()>& EditorCache::escapeHandler()
{
    static std::function<void()> handler;
    return handler;
}

EditorController& EditorCache::controller(const DocPtr& doc)
{
    auto it = map_.find(doc->id);
    if (it == map_.end()) {
        it = map_.insert(doc->id, std::make_shared<EditorController>(doc, model_, host_));
        if (pending_.contains(doc->id)) {
            const EditorPlace p = pending_.take(doc->id);
            it.value()->restorePlace(p);
        }
    }
    return *it.value();
}

EditorController* EditorCache::existing(QUuid id) const
{
    auto it = map_.find(id);
    return it == map_.end() ? nullptr : it.value().get();
}

void EditorCache::drop(QUuid id)
{
    map_.remove(id);
    pending_.remove(id);
}

std::optional<EditorPlace> EditorCache::place(const DocPtr& doc)
{
    if (const EditorController* c = existing(doc->id))
        return c->place();
    if (const auto it = pending_.constFind(doc->id); it != pending_.constEnd())
        return *it;
    return std::nullopt;
}

void EditorCache::restorePlace(const DocPtr& doc, const EditorPlace& place)
{
    if (EditorController* c = existing(doc->id))
        c->restorePlace(place);
    else
        pending_.insert(doc->id, place);
}

void EditorCache::applyStyle()
{
    for (const auto& c : std::as_const(map_))
        c->applyStyle();
}

EditorController* EditorCache::active() const { return model_.activeID() ? existing(*model_.activeID()) : nullptr; }

void EditorCache::loadFromDoc(const DocPtr& doc)
{
    // A document without an editor gets its text when one is made for it.
    if (EditorController* c = existing(doc->id))
        c->loadFromDoc();
}

void EditorCache::selectCurrentMatch(const DocPtr& doc)
{
    if (EditorController* c = existing(doc->id))
        c->selectCurrentMatch();
}

int EditorCache::caretLine(const DocPtr& doc)
{
    EditorController* c = existing(doc->id);
    CodeTextView* view = c ? c->textView() : nullptr;
    // In bytes: a long text needs no UTF-16 index for it.
    return view ? int(view->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                          view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS)))
                : 0;
}

void EditorCache::setCaretLine(const DocPtr& doc, int line)
{
    EditorController* c = existing(doc->id);
    CodeTextView* view = c ? c->textView() : nullptr;
    if (!view || line < 0)
        return;
    view->SendScintilla(QsciScintillaBase::SCI_GOTOLINE, std::min(line, view->lineCount() - 1));
}

void EditorCache::select(const DocPtr& doc, int start, int length)
{
    if (CodeTextView* view = controller(doc).textView())
        view->setSelection(start, start + length);
}

void EditorCache::focus(const DocPtr& doc) { controller(doc).focus(); }

void EditorCache::releaseFocus()
{
    for (const auto& c : std::as_const(map_))
        if (c->widget()->hasFocus())
            c->widget()->clearFocus();
}

void EditorCache::exitMultiCaret(const DocPtr& doc)
{
    if (EditorController* c = existing(doc->id))
        c->exitMultiCaret();
}

void EditorCache::toggleMultiCaret(const DocPtr& doc) { controller(doc).toggleMultiCaret(); }

QString EditorCache::selectedText(const DocPtr& doc)
{
    EditorController* c = existing(doc->id);
    return c ? c->selectedText() : QString();
}

void EditorCache::refreshHighlights(const DocPtr& doc)
{
    if (EditorController* c = existing(doc->id))
        c->refreshHighlights(false);
}
