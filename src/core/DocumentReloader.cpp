#include "core/DocumentReloader.h"

#include "core/BackupStore.h"
#include "core/DiskWatcher.h"
#include "core/DocumentModel.h"
#include "core/EditorLink.h"
#include "core/Prompter.h"
#include "core/SessionStore.h"

#include <QFileInfo>
#include <QPointer>

DocumentReloader::DocumentReloader(DocumentFlowParts& parts, QObject* parent) : QObject(parent), parts_(parts)
{
    connect(&parts_.disk, &DiskWatcher::reloadWanted, this, &DocumentReloader::reloadChanged);
}

// A read fills an editor's buffer through hidden editors the workspace's
// views own: it must not outlive them.
DocumentReloader::~DocumentReloader() { WorkLanes::shared().settle(Lane::Load, reads_); }

void DocumentReloader::load(LaneTask read) { WorkLanes::shared().post(Lane::Load, std::move(read), reads_); }

void DocumentReloader::readAgain(const DocPtr& doc, TextEncoding encoding, ReadDone done)
{
    const QString path = doc->url().value_or(QString());
    if (path.isEmpty() || QFileInfo(path).size() < backgroundBytes) {
        if (auto error = doc->reload(encoding))
            return done(error);
        if (parts_.editorLink)
            parts_.editorLink->loadFromDoc(doc);
        return done(std::nullopt);
    }
    // A large file is read and decoded on the Load lane, into a buffer
    // its editor takes over; the window stays responsive meanwhile.
    ++reading_;
    QPointer<DocumentReloader> self(this);
    std::shared_ptr<TextSink> sink = parts_.editorLink ? parts_.editorLink->textSink(path, QFileInfo(path).size())
                                                       : nullptr;
    load([self, path, encoding, sink = std::move(sink), weak = doc->weakSelf(), revision = doc->revision(),
          done = std::move(done)]() mutable {
        auto loaded = Doc::read(path, encoding, std::move(sink));
        WorkLanes::deliver(self, CancelToken(),
                           [self, path, weak, revision, loaded = std::move(loaded), done = std::move(done)]() mutable {
                               --self->reading_;
                               const DocPtr doc = weak.lock();
                               if (!doc || !self->parts_.documents.docs().contains(doc)
                                   || self->parts_.session.quitting())
                                   return;
                               if (!loaded)
                                   return done(loaded.error());
                               // Typed into, saved elsewhere or renamed while the file was read:
                               // what was read no longer answers what was asked.
                               if (doc->revision() != revision || doc->url() != path)
                                   return done(QStringLiteral("「") + doc->name()
                                               + QStringLiteral("」在读取期间又被修改，未重新载入。"));
                               doc->takeLoaded(std::move(loaded.value()));
                               if (self->parts_.editorLink)
                                   self->parts_.editorLink->loadFromDoc(doc);
                               done(std::nullopt);
                           });
    });
}

void DocumentReloader::reloadChanged(const DocPtr& doc)
{
    const int line = parts_.editorLink ? parts_.editorLink->caretLine(doc) : 0;
    QPointer<DocumentReloader> self(this);
    readAgain(doc, doc->encoding(), [self, doc, line](const std::optional<QString>& error) {
        if (error) {
            // Edited meanwhile: the edits decide, as for any change now.
            self->parts_.disk.check(doc);
            return;
        }
        doc->setOriginalName(std::nullopt);
        doc->setMetaDirty(false);
        if (self->parts_.editorLink)
            self->parts_.editorLink->setCaretLine(doc, line);
        BackupStore::remove(doc->id);
        self->parts_.prompter->flash(QStringLiteral("已重新载入 ") + doc->name()
                                     + QStringLiteral("：文件已被其他程序修改"));
    });
}

void DocumentReloader::loadDiskVersion(const DocPtr& doc)
{
    if (!doc)
        return;
    QPointer<DocumentReloader> self(this);
    readAgain(doc, doc->encoding(), [self, doc](const std::optional<QString>& error) {
        if (error) {
            self->parts_.prompter->alert(QStringLiteral("无法读取磁盘版本"), *error);
            return;
        }
        doc->setOriginalName(std::nullopt);
        doc->setMetaDirty(false);
        BackupStore::remove(doc->id);
        self->parts_.session.persistSession();
    });
}
