#include "core/DocumentSaver.h"

#include "core/BackupStore.h"
#include "core/DocumentModel.h"
#include "core/EditorLink.h"
#include "core/Prompter.h"
#include "core/SessionStore.h"

#include <QPointer>

void DocumentSaver::close(const DocPtr& doc, Done then)
{
    if (!doc)
        return;
    if (!doc->isDirty()) {
        remove(doc);
        if (then)
            then(true);
        return;
    }
    parts_.documents.setActiveID(doc->id);
    QPointer<DocumentSaver> self(this);
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
    parts_.prompter->present(std::move(d));
}

void DocumentSaver::remove(const DocPtr& listed)
{
    DocumentModel& documents = parts_.documents;
    // Held here: the caller's pointer may be the list's own entry, which goes away below.
    const DocPtr doc = listed ? documents.doc(listed->id) : nullptr;
    if (!doc)
        return;
    const int index = documents.row(doc->id);
    const bool wasActive = documents.activeID() == doc->id;
    documents.remove(doc->id);

    if (doc->url())
        parts_.session.noteClosed(*doc->url());
    if (parts_.editorLink)
        parts_.editorLink->drop(doc->id);
    parts_.session.unwatch(doc->id);
    BackupStore::remove(doc->id);

    if (wasActive) {
        const QList<DocPtr>& left = documents.docs();
        documents.setActiveID(left.isEmpty()
                                  ? std::nullopt
                                  : std::optional<QUuid>(left[std::min<qsizetype>(index, left.size() - 1)]->id));
    }
    emit removed(doc->id);
    parts_.session.persistSession();
}

void DocumentSaver::confirmQuit(Done completion)
{
    QList<DocPtr> pending;
    for (const DocPtr& d : parts_.documents.docs())
        if (d->isDirty())
            pending.append(d);
    QPointer<DocumentSaver> self(this);
    quitStep(std::move(pending), [self, completion](bool ok) {
        if (!ok && self)
            self->parts_.session.keepDiscarded();
        if (completion)
            completion(ok);
    });
}

void DocumentSaver::quitStep(QList<DocPtr> pending, Done completion)
{
    if (pending.isEmpty()) {
        parts_.session.setQuitting();
        parts_.session.unwatchAll();
        for (const DocPtr& d : parts_.documents.docs())
            if (!d->isDirty())
                BackupStore::remove(d->id);
        // Nothing may still be writing when the process ends.
        BackupStore::waitForWrites();
        parts_.session.persistSession();
        if (completion)
            completion(true);
        return;
    }
    const DocPtr first = pending.takeFirst();
    const QList<DocPtr> rest = pending;
    parts_.documents.setActiveID(first->id);
    QPointer<DocumentSaver> self(this);
    Dialog d;
    d.title = QStringLiteral("是否保存对「") + first->name() + QStringLiteral("」的修改？");
    d.message = QStringLiteral("暂留：不写入文件，下次打开 Lorvane 时恢复这些修改。");
    if (!rest.isEmpty())
        d.message += QStringLiteral("\n之后还有 ") + QString::number(rest.size()) + QStringLiteral(" 个未保存文件。");
    d.buttons = {
        {QUuid::createUuid(), QStringLiteral("不保存"), Dialog::Role::danger,
         [self, first, rest, completion] {
             if (self)
                 self->parts_.session.discard(first->id);
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
                     self->parts_.prompter->alert(QStringLiteral("暂留失败"),
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
    parts_.prompter->present(std::move(d));
}
