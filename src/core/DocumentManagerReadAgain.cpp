#include "core/DocumentManager.h"

#include "core/EditorLink.h"
#include "plugins/WorkerPriority.h"

#include <QFileInfo>
#include <QPointer>

void DocumentManager::readAgain(const DocPtr& doc, TextEncoding encoding, ReadDone done)
{
    const QString path = doc->url().value_or(QString());
    if (path.isEmpty() || QFileInfo(path).size() < backgroundOpenBytes) {
        if (auto error = doc->reload(encoding))
            return done(error);
        if (editorLink_)
            editorLink_->loadFromDoc(doc);
        return done(std::nullopt);
    }
    // A large file is read and decoded on the loader thread, into a buffer
    // its editor takes over; the window stays responsive meanwhile.
    ++reading_;
    QPointer<DocumentManager> self(this);
    std::shared_ptr<TextSink> sink = editorLink_ ? editorLink_->textSink(path, QFileInfo(path).size()) : nullptr;
    loader().start([self, path, encoding, sink = std::move(sink), weak = doc->weakSelf(), revision = doc->revision(),
                    done = std::move(done)]() mutable {
        yieldToWindow();
        auto loaded = Doc::read(path, encoding, std::move(sink));
        QMetaObject::invokeMethod(
            self,
            [self, path, weak, revision, loaded = std::move(loaded), done = std::move(done)]() mutable {
                --self->reading_;
                const DocPtr doc = weak.lock();
                if (!doc || !self->docs().contains(doc) || self->quitting())
                    return;
                if (!loaded)
                    return done(loaded.error());
                // Typed into, saved elsewhere or renamed while the file was read:
                // what was read no longer answers what was asked.
                if (doc->revision() != revision || doc->url() != path)
                    return done(QStringLiteral("「") + doc->name()
                                + QStringLiteral("」在读取期间又被修改，未重新载入。"));
                doc->takeLoaded(std::move(loaded.value()));
                if (self->editorLink_)
                    self->editorLink_->loadFromDoc(doc);
                done(std::nullopt);
            },
            Qt::QueuedConnection);
    });
}
