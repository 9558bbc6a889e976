#include "views/overlays/PopupContent.h"

#include "core/EditorLink.h"
#include "editor/AppFonts.h"
#include "editor/Palette.h"
#include "plugins/FileName.h"
#include "plugins/PluginRegistry.h"
#include "views/controls/HoverReport.h"
#include "views/overlays/Feature.h"
#include "views/overlays/MenuPanel.h"
#include "views/overlays/OutlinePanel.h"
#include "views/sheets/SettingsView.h"
#include "views/sidebar/TagEditor.h"
#include "views/state/WindowModel.h"

#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {

MenuItem item(const QString& label, bool checked, std::function<void()> action,
              std::optional<QString> sub = std::nullopt)
{
    MenuItem i;
    i.label = label;
    i.checked = checked;
    i.action = std::move(action);
    i.sub = std::move(sub);
    return i;
}

QWidget* feature(WindowModel& model)
{
    QList<MenuItem> items;
    for (const Feature& f : Feature::all())
        items << item(
            f.name, f.isOn(model), [&model, run = f.run] { run(model); }, f.shortcut);
    auto* panel = new MenuPanel(model, {MenuSection{QUuid::createUuid(), std::nullopt, items}});
    new HoverReport(panel, [&model](bool over) { model.hoverFeature(std::nullopt, over); });
    return panel;
}

QWidget* encoding(WindowModel& model, const DocPtr& doc)
{
    QList<MenuItem> reopen, convert;
    for (const TextEncoding& e : TextEncoding::allCases()) {
        const bool current = doc->encoding() == e;
        reopen << item(e.rawValue(), current, [&model, doc, e] { model.reopen(doc, e); });
        convert << item(e.rawValue(), current, [&model, doc, e] { model.convert(doc, e); });
    }
    return new MenuPanel(model,
                         {MenuSection{QUuid::createUuid(), QStringLiteral("按此编码重新打开"), reopen},
                          MenuSection{QUuid::createUuid(), QStringLiteral("按此编码保存"), convert}});
}

QWidget* eol(WindowModel& model, const DocPtr& doc)
{
    QList<MenuItem> items;
    for (const LineEnding& l : LineEnding::allCases())
        items << item(
            l.rawValue(), doc->eol() == l,
            [doc, l] {
                if (doc->eol() == l)
                    return;
                doc->setEol(l);
                doc->setMetaDirty(true);
            },
            l.hint());
    return new MenuPanel(model, {MenuSection{QUuid::createUuid(), std::nullopt, items}});
}

QWidget* format(WindowModel& model, const DocPtr& doc)
{
    QList<MenuItem> items;
    items << item(QStringLiteral("无格式"), FileName::ext(doc->name()).isEmpty(),
                  [&model, doc] { model.setFormat(doc, std::nullopt); });
    const auto current = PluginRegistry::formatID(doc->name());
    for (const auto& e : PluginRegistry::catalog())
        items << item(
            e.name, current == e.id, [&model, doc, id = e.id] { model.setFormat(doc, id); }, u'.' + e.ext);
    items << item(
        QStringLiteral("自定义后缀…"), false,
        [&model, doc] {
            // After the popup has closed.
            QTimer::singleShot(0, &model, [&model, doc] { model.askCustomExt(doc); });
        },
        PluginRegistry::customExt(doc->name()));
    return new MenuPanel(model, {MenuSection{QUuid::createUuid(), QStringLiteral("切换格式（自动调整后缀）"), items}},
                         240);
}

QWidget* tags(WindowModel& model, const DocPtr& doc) { return new TagEditor(model, doc); }

}

namespace PopupContent {

QWidget* build(WindowModel& model, const Popup& popup)
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
    case Popup::Kind::outline: return new OutlinePanel(model, doc);
    default: return nullptr;
    }
}

}
