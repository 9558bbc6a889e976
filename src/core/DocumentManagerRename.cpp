#include "core/DocumentManager.h"

#include "core/BackupStore.h"
#include "core/EditorLink.h"
#include "core/FileMove.h"
#include "plugins/FileName.h"
#include "plugins/PluginRegistry.h"
#include "text/Blanks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

void DocumentManager::askRename(const DocPtr& doc)
{
    if (!doc)
        return;
    QPointer<DocumentManager> self(this);
    Dialog d;
    d.title = QStringLiteral("重命名");
    d.text = doc->name();
    d.message = doc->url() ? QStringLiteral("将直接重命名磁盘上的文件。")
                           : QStringLiteral("文件尚未保存，仅修改名称。");
    d.input = QStringLiteral("文件名");
    // Typing replaces the name and keeps the format.
    d.inputSelection = int(FileName::base(doc->name()).size());
    d.buttons = {
        {QUuid::createUuid(), QStringLiteral("取消"), Dialog::Role::cancel, [] {}},
        {QUuid::createUuid(), QStringLiteral("重命名"), Dialog::Role::primary,
         [self, doc] {
             if (self)
                 self->rename(doc, trimBlanks(self->parts_.prompter->input()));
         }},
    };
    parts_.prompter->present(std::move(d));
}

void DocumentManager::applyName(const DocPtr& doc, const QString& name)
{
    doc->setName(name);
    doc->resetMode();
    doc->scheduleAnalysis(0);
    if (parts_.editorLink)
        parts_.editorLink->refreshHighlights(doc);
}

void DocumentManager::rename(const DocPtr& doc, const QString& name)
{
    if (!doc)
        return;
    if (name.isEmpty() || name == doc->name()) {
        doc->setAutoExt(std::nullopt);
        return;
    }
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char(':')) || name == QStringLiteral(".")
        || name == QStringLiteral("..")) {
        parts_.prompter->alert(QStringLiteral("无法重命名"), QStringLiteral("文件名不能包含 / 或 :。"));
        return;
    }
    if (doc->url()) {
        const QString oldPath = *doc->url();
        const QString newPath = QFileInfo(oldPath).dir().filePath(name);
        const bool caseOnly = newPath.compare(oldPath, Qt::CaseInsensitive) == 0;
        if (QFileInfo::exists(newPath) && !caseOnly) {
            parts_.prompter->alert(QStringLiteral("无法重命名"),
                                   QStringLiteral("同一目录下已存在 ") + name + QStringLiteral("。"));
            return;
        }
        std::optional<QString> error;
        if (caseOnly && FileMove::sameFile(oldPath, newPath)) {
            // Only the letter case changes on a volume that ignores it: the
            // target "exists" because it is this very file.
            if (!QFile::rename(oldPath, newPath))
                error = QStringLiteral("无法重命名：%1").arg(oldPath);
        } else {
            // Refuses a file that appeared since the check above.
            error = FileMove::renameNoReplace(oldPath, newPath);
        }
        if (error) {
            parts_.prompter->alert(QStringLiteral("重命名失败"), *error);
            return;
        }
        parts_.tags.forgetFile(oldPath);
        QStringList recent = this->recent();
        recent.removeAll(oldPath);
        recent.removeAll(newPath);
        setRecent(recent);
        persist();
        doc->setUrl(newPath);
        doc->setDiskModified(BackupStore::modificationDate(newPath));
        doc->setOriginalName(std::nullopt);
        saveTags(doc);
    }
    doc->setAutoExt(std::nullopt);
    applyName(doc, name);
    persistSession();
    parts_.prompter->flash(QStringLiteral("已重命名为 ") + name);
}

void DocumentManager::rename(const DocPtr& doc, const QString& ext, const QString& label)
{
    if (!doc)
        return;
    const QString base = FileName::base(doc->name());
    const QString name = ext.isEmpty() ? base : base + QStringLiteral(".") + ext;
    if (name == doc->name())
        return;
    if (doc->url() && !doc->originalName())
        doc->setOriginalName(doc->name());
    if (doc->originalName() == name)
        doc->setOriginalName(std::nullopt);
    if (doc->autoExt())
        doc->setAutoExt(ext);
    applyName(doc, name);
    QString text = QStringLiteral("已切换为 ") + label;
    if (doc->originalName())
        text += QStringLiteral(" · 保存时选择另存为或覆盖");
    parts_.prompter->flash(text);
}

void DocumentManager::setFormat(const DocPtr& doc, const std::optional<QString>& pluginID)
{
    const FormatPlugin* plugin = pluginID ? PluginRegistry::pluginWithID(*pluginID) : nullptr;
    if (plugin && !plugin->extensions.isEmpty())
        rename(doc, plugin->extensions.first(), plugin->displayName);
    else
        rename(doc, QString(), QStringLiteral("无格式"));
}

void DocumentManager::askCustomExt(const DocPtr& doc)
{
    if (!doc)
        return;
    QPointer<DocumentManager> self(this);
    Dialog d;
    d.title = QStringLiteral("自定义后缀");
    d.text = PluginRegistry::customExt(doc->name()).value_or(QString());
    d.message = QStringLiteral("输入后缀（不含点），没有对应格式插件的后缀按纯文本展示；留空表示无后缀。");
    d.input = QStringLiteral("例如 sql、conf、log");
    d.buttons = {
        {QUuid::createUuid(), QStringLiteral("取消"), Dialog::Role::cancel, [] {}},
        {QUuid::createUuid(), QStringLiteral("确定"), Dialog::Role::primary,
         [self, doc] {
             if (!self)
                 return;
             QString ext = trimBlanks(self->parts_.prompter->input());
             qsizetype b = 0, e = ext.size();
             while (b < e && ext[b] == u'.')
                 ++b;
             while (e > b && ext[e - 1] == u'.')
                 --e;
             ext = ext.mid(b, e - b);
             if (ext.contains(QLatin1Char(' ')) || ext.contains(QLatin1Char('/'))) {
                 self->parts_.prompter->flash(QStringLiteral("后缀不能包含空格或 /"));
                 return;
             }
             QString label;
             const QString probe = QStringLiteral("x.") + ext;
             if (ext.isEmpty())
                 label = QStringLiteral("无格式");
             else if (PluginRegistry::formatID(probe))
                 label = PluginRegistry::plugin(probe).displayName;
             else
                 label = QStringLiteral(".") + ext + QStringLiteral("（纯文本）");
             self->rename(doc, ext, label);
         }},
    };
    parts_.prompter->present(std::move(d));
}
