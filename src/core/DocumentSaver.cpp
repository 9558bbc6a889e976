#include "core/DocumentSaver.h"

#include "core/BackupStore.h"
#include "core/DiskWatcher.h"
#include "core/DocumentModel.h"
#include "core/DocumentReloader.h"
#include "core/FileChooser.h"
#include "core/FileMove.h"
#include "core/OpenPaths.h"
#include "core/Prompter.h"
#include "core/SessionStore.h"
#include "core/TagStore.h"
#include "plugins/FileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

namespace {
void finish(const DocumentSaver::Done& then, bool ok)
{
    if (then)
        then(ok);
}
}

DocumentSaver::DocumentSaver(DocumentFlowParts& parts, DocumentReloader& reloader, QObject* parent)
    : QObject(parent), parts_(parts), reloader_(reloader)
{
}

DocumentSaver::~DocumentSaver() = default;

QString DocumentSaver::label(const QString& name)
{
    const QString ext = FileName::ext(name);
    return ext.isEmpty() ? QStringLiteral("无后缀") : QStringLiteral(".") + ext;
}

void DocumentSaver::save(const DocPtr& doc, bool asNew, Done then)
{
    if (!doc)
        return finish(then, false);
    if (!doc->url() || asNew)
        return saveAs(doc, std::move(then));

    if (!doc->originalName()) {
        QPointer<DocumentSaver> self(this);
        return parts_.disk.whenChecked(doc, [self, doc, then](bool changed) {
            if (!self)
                return;
            if (!changed)
                return self->writeInPlace(doc, then);
            self->askOverDisk(
                doc,
                [self, doc, then] {
                    if (self)
                        self->writeInPlace(doc, then);
                },
                then);
        });
    }

    const QString original = *doc->originalName();
    Dialog d;
    d.title = QStringLiteral("格式已从 ") + label(original) + QStringLiteral(" 改为 ") + label(doc->name());
    d.message = QStringLiteral("另存为：新建 ") + doc->name() + QStringLiteral("，原文件 ") + original
        + QStringLiteral(" 保留不动。\n覆盖原文件：将 ") + original + QStringLiteral(" 重命名为 ") + doc->name()
        + QStringLiteral(" 并写入内容。");
    QPointer<DocumentSaver> self(this);
    d.buttons = {
        {QUuid::createUuid(), QStringLiteral("取消"), Dialog::Role::cancel, [then] { finish(then, false); }},
        {QUuid::createUuid(), QStringLiteral("另存为…"), Dialog::Role::normal,
         [self, doc, then] {
             if (self)
                 self->saveAs(doc, then);
         }},
        {QUuid::createUuid(), QStringLiteral("覆盖原文件"), Dialog::Role::primary,
         [self, doc, then] {
             if (self)
                 self->overwrite(doc, then);
         }},
    };
    parts_.prompter->present(std::move(d));
}

void DocumentSaver::writeInPlace(const DocPtr& doc, Done then)
{
    const QString url = *doc->url();
    std::optional<FileStamp> written;
    if (const auto error = writeDoc(doc, url, written)) {
        parts_.prompter->alert(QStringLiteral("保存失败"), *error);
        return finish(then, false);
    }
    finishSave(doc, url, written);
    parts_.prompter->flash(QStringLiteral("已保存 ") + doc->name() + QStringLiteral(" · ")
                           + doc->encoding().rawValue());
    finish(then, true);
}

std::optional<QString> DocumentSaver::writeDoc(const DocPtr& doc, const QString& path,
                                               std::optional<FileStamp>& written)
{
    auto bytes = doc->encoded();
    if (!bytes)
        return bytes.error();
    // A file rewritten in place is damaged by a crash half way; the
    // snapshot holds the whole new content until the write is complete.
    bool snapshotted = false;
    FileStamp stamp;
    const auto error = FileIO::save(
        path, bytes.value(), [&] { return snapshotted = BackupStore::write(*doc); }, &stamp);
    if (error) {
        if (snapshotted && !doc->isDirty())
            BackupStore::remove(doc->id);
        if (snapshotted)
            parts_.session.persistSession();
        return error;
    }
    stamp.contentHash = FileIO::contentHash(bytes.value());
    written = stamp;
    return std::nullopt;
}

// Asks before a write would replace what another program wrote.
void DocumentSaver::askOverDisk(const DocPtr& doc, std::function<void()> proceed, Done then)
{
    QPointer<DocumentSaver> self(this);
    Dialog d;
    d.title = QStringLiteral("「") + doc->name() + QStringLiteral("」已被其他程序修改");
    d.message = QStringLiteral(
        "磁盘上的文件在上次读取后被其他程序修改过。\n覆盖：写入这里的内容，其他程序的修改将丢失。\n"
        "使用磁盘版本：放弃这里未保存的修改。");
    d.buttons = {
        {QUuid::createUuid(), QStringLiteral("使用磁盘版本"), Dialog::Role::danger,
         [self, doc, then] {
             if (!self)
                 return;
             self->reloader_.loadDiskVersion(doc);
             finish(then, !doc->isDirty());
         }},
        {QUuid::createUuid(), QStringLiteral("取消"), Dialog::Role::cancel, [then] { finish(then, false); }},
        {QUuid::createUuid(), QStringLiteral("覆盖"), Dialog::Role::primary, [proceed] { proceed(); }},
    };
    parts_.prompter->present(std::move(d));
}

DocPtr DocumentSaver::openElsewhere(const QString& path, const DocPtr& except) const
{
    for (const DocPtr& d : parts_.documents.docs())
        if (d != except && d->url() && (OpenPaths::standard(*d->url()) == path || FileMove::sameFile(*d->url(), path)))
            return d;
    return nullptr;
}

void DocumentSaver::overwrite(const DocPtr& doc, Done then)
{
    if (!doc->url())
        return saveAs(doc, std::move(then));
    QPointer<DocumentSaver> self(this);
    parts_.disk.whenChecked(doc, [self, doc, then](bool changed) {
        if (!self)
            return;
        if (!changed)
            return self->overwriteAnyway(doc, then);
        self->askOverDisk(
            doc,
            [self, doc, then] {
                if (self)
                    self->overwriteAnyway(doc, then);
            },
            then);
    });
}

void DocumentSaver::overwriteAnyway(const DocPtr& doc, Done then)
{
    if (!doc->url())
        return saveAs(doc, std::move(then));
    const QString oldPath = *doc->url();
    const QString target = QFileInfo(oldPath).dir().filePath(doc->name());
    const QString original = doc->originalName().value_or(QFileInfo(oldPath).fileName());
    // Another spelling of the same file (a case-insensitive volume, a hard
    // link) is not "another file".
    if (target != oldPath && QFileInfo::exists(target) && !FileMove::sameFile(oldPath, target)) {
        parts_.prompter->alert(QStringLiteral("无法覆盖"), doc->name() + QStringLiteral(" 已存在，请使用另存为。"));
        return finish(then, false);
    }
    // New file first; the old one goes only once that succeeded, and never
    // when it is the same file under another name.
    const bool sameFile = target == oldPath || FileMove::sameFile(oldPath, target);
    std::optional<FileStamp> written;
    if (const auto error = writeDoc(doc, target, written)) {
        parts_.prompter->alert(QStringLiteral("保存失败"), *error);
        return finish(then, false);
    }
    // A failure to remove the old file is ignored: the new one is written.
    if (!sameFile)
        QFile::remove(oldPath);
    finishSave(doc, target, written);
    parts_.prompter->flash(QStringLiteral("已覆盖：") + original + QStringLiteral(" → ") + doc->name());
    finish(then, true);
}

void DocumentSaver::saveAs(const DocPtr& doc, Done then)
{
    if (!doc || !parts_.fileChooser)
        return finish(then, false);
    const QString directory = doc->url() ? QFileInfo(*doc->url()).absolutePath() : QString();
    QPointer<DocumentSaver> self(this);
    parts_.fileChooser->chooseSaveLocation(doc->name(), directory, [self, doc, then](std::optional<QString> chosen) {
        if (!self)
            return;
        if (!chosen || chosen->isEmpty())
            return finish(then, false);
        const QString path = OpenPaths::standard(*chosen);
        // Two documents on one file would overwrite each other unseen.
        if (const DocPtr other = self->openElsewhere(path, doc)) {
            self->parts_.prompter->alert(QStringLiteral("无法另存为"),
                                         QStringLiteral("「") + other->name()
                                             + QStringLiteral("」已在另一个文档中打开（") + other->fullPath()
                                             + QStringLiteral("）。请先关闭它，再另存为到这个位置。"));
            return finish(then, false);
        }
        const bool same = doc->url()
            && (OpenPaths::standard(*doc->url()) == path || FileMove::sameFile(*doc->url(), path));
        if (!same)
            return self->saveAsTo(doc, path, then);
        self->parts_.disk.whenChecked(doc, [self, doc, path, then](bool changed) {
            if (!self)
                return;
            if (!changed)
                return self->saveAsTo(doc, path, then);
            self->askOverDisk(
                doc,
                [self, doc, path, then] {
                    if (self)
                        self->saveAsTo(doc, path, then);
                },
                then);
        });
    });
}

void DocumentSaver::saveAsTo(const DocPtr& doc, const QString& path, Done then)
{
    std::optional<FileStamp> written;
    if (const auto error = writeDoc(doc, path, written)) {
        parts_.prompter->alert(QStringLiteral("保存失败"), *error);
        return finish(then, false);
    }
    finishSave(doc, path, written);
    parts_.prompter->flash(QStringLiteral("已另存为 ") + QFileInfo(path).fileName());
    finish(then, true);
}

void DocumentSaver::finishSave(const DocPtr& doc, const QString& path, std::optional<FileStamp> written)
{
    doc->setAutoExt(std::nullopt);
    doc->setUrl(path);
    const QString fileName = QFileInfo(path).fileName();
    if (doc->name() != fileName) {
        doc->setName(fileName);
        doc->resetMode();
    }
    doc->markSaved();
    doc->setOriginalName(std::nullopt);
    doc->setMetaDirty(false);
    doc->setDiskModified(BackupStore::modificationDate(path));
    doc->setDiskStamp(written ? written : FileIO::stamp(path));
    doc->setNotice(std::nullopt);
    BackupStore::remove(doc->id);
    // Saved, the text needs no snapshot.
    doc->setSnapshotFailure(std::nullopt);
    // An open file is never listed as recent.
    if (parts_.session.recent().contains(path)) {
        QStringList recent = parts_.session.recent();
        recent.removeAll(path);
        parts_.session.setRecent(recent);
        parts_.session.persist();
    }
    parts_.tags.saveTags(doc);
    doc->scheduleAnalysis(0);
    parts_.session.noteRecent(path);
    parts_.session.persistSession();
}
