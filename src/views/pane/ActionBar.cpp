#include "views/pane/ActionBar.h"

#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "plugins/PluginRegistry.h"
#include "views/controls/Controls.h"

#include <QHBoxLayout>

ActionBar::ActionBar(EditorCache& editors, QWidget* parent) : PaneBar(28, parent), editors_(editors)
{
    row()->setContentsMargins(14, 2, 14, 3);
    title_ = new ColorLabel(QString(), Palette::fg3(), 10.5, true, this);
    QFont f = title_->font();
    f.setWeight(QFont::Medium);
    title_->setFont(f);
    row()->addWidget(title_);
    row()->addStretch(1);
    hide();
}

void ActionBar::setDoc(const DocPtr& doc)
{
    doc_ = doc;
    refresh();
}

void ActionBar::refresh()
{
    const FormatPlugin* plugin = doc_ ? &doc_->plugin() : nullptr;
    const QString id = plugin ? plugin->id : QString();
    setVisible(plugin && !plugin->actions.isEmpty());
    if (id == pluginID_)
        return;
    pluginID_ = id;
    qDeleteAll(buttons_);
    buttons_.clear();
    if (!plugin)
        return;
    title_->setText(plugin->displayName.toUpper());
    for (int i = 0; i < plugin->actions.size(); ++i) {
        auto* b = new TextButton(
            plugin->actions[i].title, QString(), [this, i] { run(i); }, this);
        row()->insertWidget(row()->count() - 1, b);
        buttons_ << b;
    }
}

void ActionBar::run(int index)
{
    if (!doc_)
        return;
    const auto& actions = doc_->plugin().actions;
    if (index < 0 || index >= actions.size())
        return;
    editors_.controller(doc_).runAction(actions[index]);
}
