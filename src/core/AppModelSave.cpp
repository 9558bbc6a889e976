#include "core/AppModel.h"

#include "core/BackupStore.h"
#include "core/FileChooser.h"
#include "core/FileMove.h"
#include "plugins/FileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

namespace {
void finish(const AppModel::Done& then, bool ok)
{
    if (then)
        then(ok);
}
}

QString AppModel::label(const QString& name)
{
    const QString ext = FileName::ext(name);
    return ext.isEmpty() ? QStringLiteral("无后缀") : QStringLiteral(".") + ext;
}

void AppModel::save(const DocPtr& doc, bool asNew, Done then)
{
    if (!doc)
        return finish(then, false);
    if (!doc->url() || asNew)
        return saveAs(doc, std::move(then));

    if (!doc->originalName()) {
        const QString url = *doc->url();
        if (const auto error = doc->write(url)) {
            alert(QStringLiteral("保存失败"), *error);
            return finish(then, false);
        }
        finishSave(doc, url);
        flash(QStringLiteral("已保存 ") + doc->name() + QStringLiteral(" · ") + doc->encoding().rawValue());
        return finish(then, true);
    }

    const QString original = *doc->originalName();
    Dialog d;
    d.title = QStringLiteral("格式已从 ") + label(original) + QStringLiteral(" 改为 ") + label(doc->name());
    d.message = QStringLiteral("另存为：新建 ") + doc->name() + QStringLiteral("，原文件 ") + original
        + QStringLiteral(" 保留不动。\n覆盖原文件：将 ") + original + QStringLiteral(" 重命名为 ") + doc->name()
        + QStringLiteral(" 并写入内容。");
    QPointer<AppModel> self(this);
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
    present(std::move(d));
}

void AppModel::overwrite(const DocPtr& doc, Done then)
{
    if (!doc->url())
        return saveAs(doc, std::move(then));
    const QString oldPath = *doc->url();
    const QString target = QFileInfo(oldPath).dir().filePath(doc->name());
    const QString original = doc->originalName().value_or(QFileInfo(oldPath).fileName());
    // Another spelling of the same file (a case-insensitive volume, a hard
    // link) is not "another file".
    if (target != oldPath && QFileInfo::exists(target) && !FileMove::sameFile(oldPath, target)) {
        alert(QStringLiteral("无法覆盖"), doc->name() + QStringLiteral(" 已存在，请使用另存为。"));
        return finish(then, false);
    }
    auto bytes = doc->encoded();
    if (!bytes) {
        alert(QStringLiteral("保存失败"), bytes.error());
        return finish(then, false);
    }
    // New file first; the old one goes only once that succeeded, and never
    // when it is the same file under another name.
    const bool sameFile = target == oldPath || FileMove::sameFile(oldPath, target);
    if (const auto error = FileIO::writeAtomically(target, bytes.value())) {
        alert(QStringLiteral("保存失败"), *error);
        return finish(then, false);
    }
    // A failure to remove the old file is ignored: the new one is written.
    if (!sameFile)
        QFile::remove(oldPath);
    finishSave(doc, target);
    flash(QStringLiteral("已覆盖：") + original + QStringLiteral(" → ") + doc->name());
    finish(then, true);
}

void AppModel::saveAs(const DocPtr& doc, Done then)
{
    if (!doc || !fileChooser_)
        return finish(then, false);
    const QString directory = doc->url() ? QFileInfo(*doc->url()).absolutePath() : QString();
    QPointer<AppModel> self(this);
    fileChooser_->chooseSaveLocation(doc->name(), directory, [self, doc, then](std::optional<QString> chosen) {
        if (!self)
            return;
        if (!chosen || chosen->isEmpty())
            return finish(then, false);
        const QString path = standardPath(*chosen);
        if (const auto error = doc->write(path)) {
            self->alert(QStringLiteral("保存失败"), *error);
            return finish(then, false);
        }
        self->finishSave(doc, path);
        self->flash(QStringLiteral("已另存为 ") + QFileInfo(path).fileName());
        finish(then, true);
    });
}

void AppModel::finishSave(const DocPtr& doc, const QString& path)
{
    doc->setAutoExt(std::nullopt);
    doc->setUrl(path);
    const QString fileName = QFileInfo(path).fileName();
    if (doc->name() != fileName) {
        doc->setName(fileName);
        doc->resetMode();
    }
    doc->setSavedText(doc->text());
    doc->setOriginalName(std::nullopt);
    doc->setMetaDirty(false);
    doc->setDiskModified(BackupStore::modificationDate(path));
    doc->setNotice(std::nullopt);
    BackupStore::remove(doc->id);
    saveTags(doc);
    doc->scheduleAnalysis(0);
    if (noteRecentHook_)
        noteRecentHook_(path);
    persistSession();
}
