#include "core/AppModel.h"

#include "core/EditorLink.h"

#include <QPointer>

void AppModel::reopen(const DocPtr& doc, TextEncoding encoding)
{
    if (!doc)
        return;
    if (!doc->url()) {
        doc->setEncoding(encoding);
        return;
    }
    if (!doc->isDirty())
        return doReopen(doc, encoding);
    QPointer<AppModel> self(this);
    Dialog d;
    d.title = QStringLiteral("重新打开将丢弃未保存的修改");
    d.message = QStringLiteral("按 ") + encoding.rawValue() + QStringLiteral(" 从磁盘重新读取「") + doc->name()
        + QStringLiteral("」。");
    d.buttons = {
        {QUuid::createUuid(), QStringLiteral("取消"), Dialog::Role::cancel, [] {}},
        {QUuid::createUuid(), QStringLiteral("重新打开"), Dialog::Role::primary,
         [self, doc, encoding] {
             if (self)
                 self->doReopen(doc, encoding);
         }},
    };
    present(std::move(d));
}

void AppModel::doReopen(const DocPtr& doc, TextEncoding encoding)
{
    if (const auto error = doc->reload(encoding)) {
        alert(QStringLiteral("无法按 ") + encoding.rawValue() + QStringLiteral(" 打开"), *error);
        return;
    }
    if (editorLink_)
        editorLink_->loadFromDoc(doc);
    flash(QStringLiteral("已按 ") + encoding.rawValue() + QStringLiteral(" 重新打开"));
}

void AppModel::convert(const DocPtr& doc, TextEncoding encoding)
{
    if (!doc)
        return;
    const TextEncoding old = doc->encoding();
    doc->setEncoding(encoding);
    if (!doc->url()) {
        flash(QStringLiteral("保存时将使用 ") + encoding.rawValue());
        return;
    }
    save(doc, false, [doc, old](bool ok) {
        if (!ok)
            doc->setEncoding(old);
    });
}
