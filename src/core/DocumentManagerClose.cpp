#include "core/DocumentManager.h"

#include "core/BackupStore.h"
#include "core/EditorLink.h"

#include <QPointer>

void DocumentManager::close(const DocPtr& doc, Done then)
{
    if (!doc)
        return;
    if (!doc->isDirty()) {
        remove(doc);
        if (then)
            then(true);
        return;
    }
    setActiveID(doc->id);
    QPointer<DocumentManager> self(this);
    Dialog d;
    d.title = QStringLiteral("是否保存对「") + doc->name() + QStringLiteral("」的修改？");
    d.message = QStringLiteral("不保存将丢失自上次保存以来的修改。");
    d.buttons = {
        {QUuid::createUuid(), QStringLiteral("不保存"), Dialog::Role::danger,
         [self, doc, then] {
             if (self)
                 self->remove(doc);
             if (then)
                 then(true);
         }},
        {QUuid::createUuid(), QStringLiteral("取消"), Dialog::Role::cancel,
         [then] {
             if (then)
                 then(false);
         }},
        {QUuid::createUuid(), QStringLiteral("保存"), Dialog::Role::primary,
         [self, doc, then] {
             if (!self)
                 return;
             self->save(doc, false, [self, doc, then](bool ok) {
                 if (ok && self)
                     self->remove(doc);
                 if (then)
                     then(ok);
             });
         }},
    };
    prompter_->present(std::move(d));
}

void DocumentManager::remove(const DocPtr& listed)
{
    // Held here: the caller's pointer may be the list's own entry, which goes away below.
    const DocPtr doc = listed ? documents_.doc(listed->id) : nullptr;
    if (!doc)
        return;
    const int index = documents_.row(doc->id);
    const bool wasActive = activeID() == doc->id;
    documents_.remove(doc->id);

    if (doc->url())
        session_.noteClosed(*doc->url());
    if (editorLink_)
        editorLink_->drop(doc->id);
    unwatch(doc->id);
    BackupStore::remove(doc->id);

    if (wasActive) {
        if (docs().isEmpty())
            setActiveID(std::nullopt);
        else
            setActiveID(docs()[std::min<qsizetype>(index, docs().size() - 1)]->id);
    }
    emit removed(doc->id);
    persistSession();
}

void DocumentManager::confirmQuit(Done completion)
{
    QList<DocPtr> pending;
    for (const DocPtr& d : docs())
        if (d->isDirty())
            pending.append(d);
    QPointer<DocumentManager> self(this);
    quitStep(std::move(pending), [self, completion](bool ok) {
        if (!ok && self)
            self->session_.keepDiscarded();
        if (completion)
            completion(ok);
    });
}

void DocumentManager::quitStep(QList<DocPtr> pending, Done completion)
{
    if (pending.isEmpty()) {
        setQuitting();
        unwatchAll();
        for (const DocPtr& d : docs())
            if (!d->isDirty())
                BackupStore::remove(d->id);
        // Nothing may still be writing when the process ends.
        BackupStore::waitForWrites();
        persistSession();
        if (completion)
            completion(true);
        return;
    }
    const DocPtr first = pending.takeFirst();
    const QList<DocPtr> rest = pending;
    setActiveID(first->id);
    QPointer<DocumentManager> self(this);
    Dialog d;
    d.title = QStringLiteral("是否保存对「") + first->name() + QStringLiteral("」的修改？");
    d.message = QStringLiteral("暂留：不写入文件，下次打开 Lorvane 时恢复这些修改。");
    if (!rest.isEmpty())
        d.message += QStringLiteral("\n之后还有 ") + QString::number(rest.size()) + QStringLiteral(" 个未保存文件。");
    d.buttons = {
        {QUuid::createUuid(), QStringLiteral("不保存"), Dialog::Role::danger,
         [self, first, rest, completion] {
             if (self)
                 self->session_.discard(first->id);
             BackupStore::remove(first->id);
             if (self)
                 self->quitStep(rest, completion);
         }},
        {QUuid::createUuid(), QStringLiteral("取消"), Dialog::Role::cancel,
         [completion] {
             if (completion)
                 completion(false);
         }},
        {QUuid::createUuid(), QStringLiteral("暂留"), Dialog::Role::normal,
         [self, first, rest, completion] {
             // A snapshot that cannot be written would lose the edits at
             // exit: stop the quit and say so instead.
             if (!BackupStore::write(*first)) {
                 if (self)
                     self->prompter_->alert(QStringLiteral("暂留失败"),
                                            QStringLiteral("无法写入「") + first->name()
                                                + QStringLiteral("」的备份，修改仍保留在窗口中。"));
                 if (completion)
                     completion(false);
                 return;
             }
             if (self)
                 self->quitStep(rest, completion);
         }},
        {QUuid::createUuid(), QStringLiteral("保存"), Dialog::Role::primary,
         [self, first, rest, completion] {
             if (!self)
                 return;
             self->save(first, false, [self, first, rest, completion](bool ok) {
                 if (!ok) {
                     if (completion)
                         completion(false);
                     return;
                 }
                 BackupStore::remove(first->id);
                 if (self)
                     self->quitStep(rest, completion);
             });
         }},
    };
    prompter_->present(std::move(d));
}
