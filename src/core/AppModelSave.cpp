#include "core/AppModel.h"

#include "core/BackupStore.h"
#include "core/EditorLink.h"
#include "core/FileChooser.h"
#include "plugins/FileName.h"

#include <QDir>
#include <QFileInfo>

namespace {

void call(const AppModel::Done& f, bool v)
{
    if (f)
        f(v);
}

Dialog::Button button(const QString& title, Dialog::Role role, std::function<void()> action)
{
    return Dialog::Button{QUuid::createUuid(), title, role, std::move(action)};
}

}

QString AppModel::label(const QString& name)
{
    const QString ext = FileName::ext(name);
    return ext.isEmpty() ? QStringLiteral("无后缀") : u'.' + ext;
}

void AppModel::save(const DocPtr& doc, bool asNew, Done then)
{
    if (!doc->url() || asNew) {
        saveAs(doc, std::move(then));
        return;
    }
    const QString url = *doc->url();
    if (!doc->originalName()) {
        if (const auto error = doc->write(url)) {
            alert(QStringLiteral("保存失败"), *error);
            call(then, false);
            return;
        }
        finishSave(doc, url);
        flash(QStringLiteral("已保存 ") + doc->name() + QStringLiteral(" · ") + doc->encoding().rawValue());
        call(then, true);
        return;
    }
    const QString original = *doc->originalName();
    Dialog d;
    d.title = QStringLiteral("格式已从 ") + label(original) + QStringLiteral(" 改为 ") + label(doc->name());
    d.message = QStringLiteral("另存为：新建 ") + doc->name() + QStringLiteral("，原文件 ") + original + QStringLiteral(" 保留不动。\n覆盖原文件：将 ")
                + original + QStringLiteral(" 重命名为 ") + doc->name() + QStringLiteral(" 并写入内容。");
    d.buttons = {
        button(QStringLiteral("取消"), Dialog::Role::cancel, [then] { call(then, false); }),
        button(QStringLiteral("另存为…"), Dialog::Role::normal, [this, doc, then] { saveAs(doc, then); }),
        button(QStringLiteral("覆盖原文件"), Dialog::Role::primary, [this, doc, url, original, then] {
            const QString target = QFileInfo(url).dir().filePath(doc->name());
            if (target != url && QFileInfo::exists(target)) {
                alert(QStringLiteral("无法覆盖"), doc->name() + QStringLiteral(" 已存在，请使用另存为。"));
                call(then, false);
                return;
            }
            if (const auto error = doc->write(target)) {
                alert(QStringLiteral("保存失败"), *error);
                call(then, false);
                return;
            }
            finishSave(doc, target);
            flash(QStringLiteral("已覆盖：") + original + QStringLiteral(" → ") + doc->name());
            if (target != url)
                QFile::remove(url);
            call(then, true);
        }),
    };
    present(d);
}

void AppModel::saveAs(const DocPtr& doc, Done then)
{
    if (!fileChooser_) {
        call(then, false);
        return;
    }
    const QString dir = doc->url() ? QFileInfo(*doc->url()).absolutePath() : QString();
    std::weak_ptr<Doc> weak = doc;
    fileChooser_->chooseSaveLocation(doc->name(), dir, [this, weak, then](std::optional<QString> path) {
        DocPtr doc = weak.lock();
        if (!doc || !path || path->isEmpty()) {
            call(then, false);
            return;
        }
        if (const auto error = doc->write(*path)) {
            alert(QStringLiteral("保存失败"), *error);
            call(then, false);
            return;
        }
        finishSave(doc, *path);
        flash(QStringLiteral("已另存为 ") + QFileInfo(*path).fileName());
        call(then, true);
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
    doc->scheduleAnalysis(0);
    persistSession();
}

void AppModel::close(const DocPtr& doc, Done then)
{
    if (!doc->isDirty()) {
        remove(doc);
        call(then, true);
        return;
    }
    setActiveID(doc->id);
    Dialog d;
    d.title = QStringLiteral("是否保存对「") + doc->name() + QStringLiteral("」的修改？");
    d.message = QStringLiteral("不保存将丢失自上次保存以来的修改。");
    d.buttons = {
        button(QStringLiteral("不保存"), Dialog::Role::danger, [this, doc, then] {
            remove(doc);
            call(then, true);
        }),
        button(QStringLiteral("取消"), Dialog::Role::cancel, [then] { call(then, false); }),
        button(QStringLiteral("保存"), Dialog::Role::primary, [this, doc, then] {
            save(doc, false, [this, doc, then](bool ok) {
                if (ok)
                    remove(doc);
                call(then, ok);
            });
        }),
    };
    present(d);
}

void AppModel::remove(const DocPtr& doc)
{
    const qsizetype at = docs_.indexOf(doc);
    if (at < 0)
        return;
    const bool wasActive = activeID_ == doc->id;
    QList<DocPtr> rest = docs_;
    rest.removeAt(at);
    setDocs(rest);
    if (doc->url()) {
        QStringList r = recent_;
        r.removeAll(*doc->url());
        r.prepend(*doc->url());
        while (r.size() > 10)
            r.removeLast();
        setRecent(r);
        persist();
    }
    if (editorLink_)
        editorLink_->drop(doc->id);
    unwatch(doc->id);
    BackupStore::remove(doc->id);
    if (wasActive) {
        if (docs_.isEmpty())
            setActiveID(std::nullopt);
        else
            setActiveID(docs_[std::min<qsizetype>(at, docs_.size() - 1)]->id);
    }
    if (docs_.isEmpty())
        setFindVisible(false);
    persistSession();
}

void AppModel::confirmQuit(Done completion)
{
    QList<DocPtr> pending;
    for (const DocPtr& d : docs_)
        if (d->isDirty())
            pending << d;
    auto next = std::make_shared<std::function<void(QList<DocPtr>)>>();
    *next = [this, next, completion](QList<DocPtr> left) {
        if (left.isEmpty()) {
            setQuitting();
            unwatchAll();
            for (const DocPtr& d : docs_)
                if (!d->isDirty())
                    BackupStore::remove(d->id);
            persistSession();
            call(completion, true);
            *next = nullptr;  // break the cycle
            return;
        }
        const DocPtr first = left.takeFirst();
        setActiveID(first->id);
        Dialog d;
        d.title = QStringLiteral("是否保存对「") + first->name() + QStringLiteral("」的修改？");
        d.message = QStringLiteral("暂留：不写入文件，下次打开 Lorvane 时恢复这些修改。");
        if (!left.isEmpty())
            d.message += QStringLiteral("\n之后还有 %1 个未保存文件。").arg(left.size());
        d.buttons = {
            button(QStringLiteral("不保存"), Dialog::Role::danger, [next, first, left] {
                BackupStore::remove(first->id);
                (*next)(left);
            }),
            button(QStringLiteral("取消"), Dialog::Role::cancel, [next, completion] {
                call(completion, false);
                *next = nullptr;
            }),
            button(QStringLiteral("暂留"), Dialog::Role::normal, [this, next, first, left, completion] {
                // Quitting without the snapshot would lose the edits.
                if (!BackupStore::write(*first)) {
                    alert(QStringLiteral("无法暂留"), QStringLiteral("「") + first->name() + QStringLiteral("」的修改无法暂存，已取消退出。"));
                    call(completion, false);
                    *next = nullptr;
                    return;
                }
                (*next)(left);
            }),
            button(QStringLiteral("保存"), Dialog::Role::primary, [this, next, first, left, completion] {
                save(first, false, [next, first, left, completion](bool ok) {
                    if (!ok) {
                        call(completion, false);
                        *next = nullptr;
                        return;
                    }
                    BackupStore::remove(first->id);
                    (*next)(left);
                });
            }),
        };
        present(d);
    };
    (*next)(pending);
}
