#include "views/overlays/PopupContent.h"

#include "core/AppModel.h"
#include "core/EditorLink.h"
#include "core/FileMove.h"
#include "editor/AppFonts.h"
#include "editor/Palette.h"
#include "plugins/FileName.h"
#include "plugins/PluginRegistry.h"
#include "views/overlays/MenuPanel.h"
#include "views/sheets/SettingsView.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {

MenuItem item(const QString& label, bool checked, std::function<void()> action, std::optional<QString> sub = std::nullopt)
{
    MenuItem i;
    i.label = label;
    i.checked = checked;
    i.action = std::move(action);
    i.sub = std::move(sub);
    return i;
}

// Gives the document a new name, moving the file on disk when it has one.
void renameTo(AppModel& model, const DocPtr& doc, const QString& name)
{
    if (name == doc->name())
        return;
    if (doc->url()) {
        const QString target = QFileInfo(*doc->url()).dir().filePath(name);
        if (const auto error = FileMove::renameNoReplace(*doc->url(), target)) {
            model.alert(QStringLiteral("无法重命名"), *error);
            return;
        }
        doc->setUrl(target);
    }
    doc->setName(name);
    doc->setAutoExt(std::nullopt);
    doc->resetMode();
    doc->scheduleAnalysis(0);
    model.persistSession();
}

QWidget* feature(AppModel& model)
{
    const DocPtr doc = model.active();
    QList<MenuItem> items;
    items << item(QStringLiteral("搜索"), model.findVisible() && !model.replaceVisible(), [&model] { model.openFind(false); },
                  QStringLiteral("Ctrl+F"));
    items << item(QStringLiteral("搜索并替换"), model.findVisible() && model.replaceVisible(), [&model] { model.openFind(true); },
                  QStringLiteral("Ctrl+Shift+F"));
    items << item(QStringLiteral("自动换行"), model.settings().wordWrap, [&model] {
        Settings s = model.settings();
        s.wordWrap = !s.wordWrap;
        model.setSettings(s);
    }, QStringLiteral("Ctrl+Alt+W"));
    items << item(QStringLiteral("拆分为行"), model.multiCaretCount().has_value(), [&model] {
        if (DocPtr a = model.active(); a && model.editorLink())
            model.editorLink()->toggleMultiCaret(a);
    }, QStringLiteral("Ctrl+Shift+L"));
    return new MenuPanel(model, {MenuSection{QUuid::createUuid(), std::nullopt, items}});
}

QWidget* encoding(AppModel& model, const DocPtr& doc)
{
    QList<MenuItem> reopen, convert;
    for (const TextEncoding& e : TextEncoding::allCases()) {
        const bool current = doc->encoding() == e;
        reopen << item(e.rawValue(), current, [&model, doc, e] {
            if (doc->isDirty()) {
                model.alert(QStringLiteral("无法重新打开"), QStringLiteral("文件有未保存的修改，请先保存后再按其他编码重新打开。"));
                return;
            }
            if (const auto error = doc->reload(e))
                model.alert(QStringLiteral("无法按 %1 重新打开").arg(e.rawValue()), *error);
            else if (model.editorLink())
                model.editorLink()->loadFromDoc(doc);
        });
        convert << item(e.rawValue(), current, [doc, e] {
            if (doc->encoding() == e)
                return;
            doc->setEncoding(e);
            doc->setMetaDirty(true);
        });
    }
    return new MenuPanel(model, {MenuSection{QUuid::createUuid(), QStringLiteral("按此编码重新打开"), reopen},
                                 MenuSection{QUuid::createUuid(), QStringLiteral("按此编码保存"), convert}});
}

QWidget* eol(AppModel& model, const DocPtr& doc)
{
    QList<MenuItem> items;
    for (const LineEnding& l : LineEnding::allCases())
        items << item(l.rawValue(), doc->eol() == l, [doc, l] {
            if (doc->eol() == l)
                return;
            doc->setEol(l);
            doc->setMetaDirty(true);
        }, l.hint());
    return new MenuPanel(model, {MenuSection{QUuid::createUuid(), std::nullopt, items}});
}

QWidget* format(AppModel& model, const DocPtr& doc)
{
    QList<MenuItem> items;
    const QString base = FileName::base(doc->name());
    items << item(QStringLiteral("无格式"), FileName::ext(doc->name()).isEmpty(), [&model, doc, base] { renameTo(model, doc, base); });
    const auto current = PluginRegistry::formatID(doc->name());
    for (const auto& e : PluginRegistry::catalog())
        items << item(e.name, current == e.id, [&model, doc, base, ext = e.ext] { renameTo(model, doc, base + u'.' + ext); },
                      u'.' + e.ext);
    items << item(QStringLiteral("自定义后缀…"), false, [&model, doc, base] {
        // After the popup has closed.
        QTimer::singleShot(0, &model, [&model, doc, base] {
            model.setDialogInput(PluginRegistry::customExt(doc->name()).value_or(QString()));
            Dialog d;
            d.title = QStringLiteral("自定义后缀");
            d.message = QStringLiteral("输入新的文件后缀（不含点）。");
            d.input = QStringLiteral("例如 conf");
            d.buttons = {Dialog::Button{QUuid::createUuid(), QStringLiteral("取消"), Dialog::Role::cancel, {}},
                         Dialog::Button{QUuid::createUuid(), QStringLiteral("确定"), Dialog::Role::primary, [&model, doc, base] {
                             QString ext = model.dialogInput().trimmed();
                             while (ext.startsWith(u'.'))
                                 ext.remove(0, 1);
                             if (ext.isEmpty() || ext.contains(u'/') || ext.contains(u'.')) {
                                 model.flash(QStringLiteral("后缀无效"));
                                 return;
                             }
                             renameTo(model, doc, base + u'.' + ext);
                         }}};
            model.present(d);
        });
    }, PluginRegistry::customExt(doc->name()));
    return new MenuPanel(model, {MenuSection{QUuid::createUuid(), QStringLiteral("切换格式（自动调整后缀）"), items}}, 240);
}

QWidget* tags(AppModel& model, const DocPtr& doc)
{
    auto* box = new QWidget;
    auto* col = new QVBoxLayout(box);
    col->setContentsMargins(0, 0, 0, 6);
    QList<MenuItem> items;
    for (const Tag& t : model.tags())
        items << item(t.name, doc->tags().contains(t.id), [&model, doc, id = t.id] {
            QStringList list = doc->tags();
            if (!list.removeOne(id))
                list << id;
            doc->setTags(list);
            model.persist();
        });
    col->addWidget(new MenuPanel(model, {MenuSection{QUuid::createUuid(), QStringLiteral("标签"), items}}));
    auto* field = new QLineEdit(box);
    field->setPlaceholderText(QStringLiteral("新建标签，回车确认"));
    field->setFont(AppFonts::sans(12));
    QObject::connect(field, &QLineEdit::returnPressed, field, [&model, doc, field] {
        const QString name = field->text().trimmed();
        if (name.isEmpty())
            return;
        QList<Tag> all = model.tags();
        Tag t{QUuid::createUuid().toString(QUuid::WithoutBraces), name, int(all.size())};
        all << t;
        model.setTags(all);
        doc->setTags(QStringList(doc->tags()) << t.id);
        model.persist();
        model.setPopup(std::nullopt);
    });
    col->addWidget(field);
    box->setFixedWidth(220);
    return box;
}

}

namespace PopupContent {

QWidget* build(AppModel& model, const Popup& popup)
{
    if (popup.kind() == Popup::Kind::settings)
        return new SettingsView(model);
    if (popup.kind() == Popup::Kind::feature)
        return feature(model);
    if (popup.kind() == Popup::Kind::tags) {
        const DocPtr doc = model.doc(popup.docID());
        return doc ? tags(model, doc) : nullptr;
    }
    const DocPtr doc = model.active();
    if (!doc)
        return nullptr;
    switch (popup.kind()) {
    case Popup::Kind::encoding: return encoding(model, doc);
    case Popup::Kind::eol: return eol(model, doc);
    case Popup::Kind::format: return format(model, doc);
    default: return nullptr;
    }
}

}
