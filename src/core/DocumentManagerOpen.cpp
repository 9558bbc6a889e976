#include "core/DocumentManager.h"

#include "core/BackupStore.h"
#include "core/EditorLink.h"
#include "core/FileChooser.h"
#include "plugins/FileName.h"
#include "plugins/PluginRegistry.h"
#include "text/Blanks.h"
#include "text/WorkLanes.h"

#include <QFileInfo>
#include <QPointer>
#include <QTimer>

DocPtr DocumentManager::open(const QString& path, bool quiet)
{
    const QString target = standardPath(path);
    if (DocPtr existing = docAt(target)) {
        if (!parts_.session.restoring())
            setActiveID(existing->id);
        return existing;
    }
    if (refuseNotText(target, quiet))
        return nullptr;
    return finishOpen(target, Doc::open(target), quiet);
}

bool DocumentManager::refuseNotText(const QString& target, bool quiet)
{
    const ContentKind kind = FileIO::contentKind(target);
    if (kind == ContentKind::text)
        return false;
    if (quiet)
        return true;
    Dialog d;
    d.title = QStringLiteral("无法打开 ") + QFileInfo(target).fileName();
    d.message = kind == ContentKind::image ? QStringLiteral("无法以文本打开：这是图片")
                                           : QStringLiteral("无法以文本打开：这是二进制文件");
    Dialog::Button asText;
    asText.title = QStringLiteral("以文本打开");
    QPointer<DocumentManager> self(this);
    // Saving such a text would change the file's bytes; the user asked for it.
    asText.action = [self, target] {
        if (self && !self->docAt(target))
            self->finishOpen(target, Doc::open(target), false);
    };
    Dialog::Button ok;
    ok.title = QStringLiteral("好");
    ok.role = Dialog::Role::primary;
    ok.action = [] {};
    d.buttons = {asText, ok};
    parts_.prompter->present(std::move(d));
    return true;
}

void DocumentManager::openFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        const QString target = standardPath(path);
        // Already on its way from the last session: shown when it comes.
        if (restorer_.showWhenComing(target))
            continue;
        if (loading_.contains(target) || (!docAt(target) && refuseNotText(target, false)))
            continue;
        // After a file still loading, in order; a small one right away
        // (already sniffed above: open() would read its start again).
        if (loading_.isEmpty() && docAt(target)) {
            open(target);
            continue;
        }
        if (loading_.isEmpty() && QFileInfo(target).size() < backgroundOpenBytes) {
            finishOpen(target, Doc::open(target), false);
            continue;
        }
        loading_ << target;
        QPointer<DocumentManager> self(this);
        std::shared_ptr<TextSink> sink = parts_.editorLink
            ? parts_.editorLink->textSink(target, QFileInfo(target).size())
            : nullptr;
        load([self, target, sink = std::move(sink)]() mutable {
            auto loaded = Doc::read(target, std::nullopt, std::move(sink));
            WorkLanes::deliver(self, CancelToken(), [self, target, loaded = std::move(loaded)]() mutable {
                if (!self->loading_.removeOne(target))
                    return;
                if (DocPtr existing = self->docAt(target)) {
                    self->setActiveID(existing->id);
                    return;
                }
                self->finishOpen(target,
                                 loaded ? Result<DocPtr>(Doc::fromLoaded(target, std::move(loaded.value())))
                                        : Result<DocPtr>::failure(loaded.error()),
                                 false);
            });
        });
    }
}

DocPtr DocumentManager::finishOpen(const QString& target, Result<DocPtr> opened, bool quiet)
{
    if (!opened) {
        if (!quiet)
            parts_.prompter->alert(QStringLiteral("无法打开 ") + QFileInfo(target).fileName(), opened.error());
        return nullptr;
    }
    DocPtr doc = opened.value();

    doc->setTags(parts_.tags.tagsOfFile(target));

    appendDoc(doc);
    watch(doc);

    QStringList recent = this->recent();
    recent.removeAll(target);
    setRecent(recent);
    // The session is rebuilt as a whole; it writes once at the end.
    if (parts_.session.restoring())
        return doc;
    persist();
    setActiveID(doc->id);
    persistSession();
    parts_.session.noteRecent(target);
    offerLikelyEncoding(doc);
    return doc;
}

void DocumentManager::openPanel()
{
    if (!parts_.fileChooser)
        return;
    QPointer<DocumentManager> self(this);
    parts_.fileChooser->chooseFilesToOpen([self](const QStringList& paths) {
        if (!self)
            return;
        for (const QString& p : paths)
            self->open(p, false);
    });
}

void DocumentManager::openRecent(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        QStringList recent = this->recent();
        recent.removeAll(path);
        setRecent(recent);
        persist();
        parts_.prompter->flash(QStringLiteral("文件已不存在，已从最近列表移除"));
        return;
    }
    open(path, false);
}

DocPtr DocumentManager::createDoc(const QString& name, const std::optional<QString>& pluginID, const QStringList& tags)
{
    const QString trimmed = trimBlanks(name);
    QString ext;
    if (pluginID)
        for (const PluginRegistry::Entry& e : PluginRegistry::catalog())
            if (e.id == *pluginID) {
                ext = e.ext;
                break;
            }
    const QString base = FileName::base(trimmed);
    const bool autoNamed = trimmed.isEmpty() || base.isEmpty() || base == QStringLiteral("未命名");
    const QString docName = !autoNamed ? trimmed
        : ext.isEmpty()                ? QStringLiteral("未命名")
                                       : QStringLiteral("未命名.") + ext;

    QString text;
    if (pluginID)
        if (const FormatPlugin* p = PluginRegistry::pluginWithID(*pluginID))
            text = p->templateText;

    DocPtr doc = makeDoc(QUuid::createUuid(), docName, text, std::nullopt, TextEncoding::utf8, LineEnding::lf, tags);
    if (autoNamed)
        doc->setAutoExt(ext);
    appendDoc(doc);
    watch(doc);
    setActiveID(doc->id);
    return doc;
}
