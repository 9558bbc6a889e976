#include "editor/EditorCache.h"

#include "core/AppModel.h"
#include "editor/EditorController.h"

#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QWidget>

EditorCache::EditorCache(AppModel& model) : model_(model) {}
EditorCache::~EditorCache() = default;

EditorCache& EditorCache::shared()
{
    static EditorCache* cache = new EditorCache(AppModel::shared());
    return *cache;
}

std::function<void()>& EditorCache::escapeHandler()
{
    static std::function<void()> handler;
    return handler;
}

EditorController& EditorCache::controller(const DocPtr& doc)
{
    auto it = map_.find(doc->id);
    if (it == map_.end())
        it = map_.insert(doc->id, std::make_shared<EditorController>(doc, model_));
    return *it.value();
}

EditorController* EditorCache::existing(QUuid id) const
{
    auto it = map_.find(id);
    return it == map_.end() ? nullptr : it.value().get();
}

void EditorCache::drop(QUuid id) { map_.remove(id); }

void EditorCache::applyStyle()
{
    for (const auto& c : std::as_const(map_))
        c->applyStyle();
}

EditorController* EditorCache::active() const
{
    return model_.activeID() ? existing(*model_.activeID()) : nullptr;
}

void EditorCache::loadFromDoc(const DocPtr& doc) { controller(doc).loadFromDoc(); }

int EditorCache::caretLine(const DocPtr& doc)
{
    EditorController* c = existing(doc->id);
    return c && c->textView() ? c->textView()->textCursor().blockNumber() : 0;
}

void EditorCache::setCaretLine(const DocPtr& doc, int line)
{
    EditorController* c = existing(doc->id);
    if (!c || line <= 0)
        return;
    const auto place = [view = QPointer<CodeTextView>(c->textView()), line] {
        if (!view)
            return;
        QTextDocument* d = view->document();
        view->setTextCursor(QTextCursor(d->findBlockByNumber(std::min(line, d->blockCount() - 1))));
        view->ensureCursorVisible();
    };
    if (!c->isLoading())
        return place();
    // A long text is still being filled in: place the caret once it is.
    auto* once = new QObject(c);
    QObject::connect(c, &EditorController::loadingChanged, once, [place, once](bool loading) {
        if (loading)
            return;
        place();
        once->deleteLater();
    });
}

void EditorCache::flushEdits(const DocPtr& doc)
{
    if (EditorController* c = existing(doc->id))
        c->flushSync();
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
