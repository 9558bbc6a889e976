#include "views/pane/FindBar.h"

#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "views/controls/Controls.h"
#include "views/state/WindowModel.h"

#include <QGridLayout>
#include <QHBoxLayout>

namespace {

MultilineField* field(const QString& placeholder, QWidget* parent)
{
    auto* f = new MultilineField(parent);
    f->setPlaceholder(placeholder);
    f->setMinimumWidth(160);
    return f;
}

}

FindBar::FindBar(WindowModel& model, EditorCache& editors, QWidget* parent)
    : PaneBar(36, parent), model_(model), editors_(editors)
{
    QHBoxLayout* outer = row();
    outer->setContentsMargins(14, 5, 10, 6);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(5);
    outer->addLayout(grid, 1);

    // Find row: label, field, switches, position, previous, next, expand, close.
    grid->addWidget(new ColorLabel(QStringLiteral("查找"), Palette::fg3(), 11.5, false, this), 0, 0,
                    Qt::AlignTop | Qt::AlignLeft);
    find_ = field(QStringLiteral("查找 · ⇧↵ 换行"), this);
    findBox_ = new FieldBox(find_, this);
    grid->addWidget(findBox_, 0, 1);
    auto* tools = new QHBoxLayout;
    tools->setSpacing(4);
    case_ = new Toggle2(QStringLiteral("Aa"), QStringLiteral("区分大小写"), this);
    word_ = new Toggle2(QStringLiteral("W"), QStringLiteral("全词匹配"), this);
    regex_ = new Toggle2(QStringLiteral(".*"), QStringLiteral("正则表达式"), this);
    connect(case_, &Toggle2::toggled, this, [this](bool v) { model_.find().setCaseSensitive(v); });
    connect(word_, &Toggle2::toggled, this, [this](bool v) { model_.find().setWholeWord(v); });
    connect(regex_, &Toggle2::toggled, this, [this](bool v) { model_.find().setUseRegex(v); });
    for (auto* t : {case_, word_, regex_})
        tools->addWidget(t);
    status_ = new ColorLabel(QString(), Palette::fg3(), 11.5, true, this);
    status_->setMinimumWidth(64);
    status_->setAlignment(Qt::AlignCenter);
    tools->addWidget(status_);
    const auto step = [this](int by) {
        return [this, by] {
            if (EditorController* c = editor())
                c->step(by);
        };
    };
    tools->addWidget(new IconButton(QStringLiteral("chevron.up"), QStringLiteral("上一个  Ctrl+Shift+G / Shift+F3"),
                                    step(-1), this));
    tools->addWidget(
        new IconButton(QStringLiteral("chevron.down"), QStringLiteral("下一个  ↵ / Ctrl+G / F3"), step(1), this));
    expand_ = new IconButton(
        QStringLiteral("arrow.left.arrow.right"), QStringLiteral("展开替换  Ctrl+Shift+F"),
        [this] { model_.openFind(true); }, this);
    tools->addWidget(expand_);
    tools->addWidget(new IconButton(
        QStringLiteral("xmark"), QStringLiteral("关闭  Esc"), [this] { model_.closeFind(); }, this));
    grid->addLayout(tools, 0, 2, Qt::AlignTop);

    // Replace row, shown with the expand command.
    replaceRow_ = new QWidget(this);
    auto* rrow = new QHBoxLayout(replaceRow_);
    rrow->setContentsMargins(0, 0, 0, 0);
    rrow->setSpacing(4);
    rrow->addWidget(new TextButton(
        QStringLiteral("替换"), QStringLiteral("替换当前  ↵"),
        [this] {
            if (EditorController* c = editor())
                c->replaceCurrent();
        },
        replaceRow_));
    rrow->addWidget(new TextButton(
        QStringLiteral("全部替换"), QString(),
        [this] {
            if (EditorController* c = editor())
                c->replaceEverything();
        },
        replaceRow_));
    rrow->addStretch(1);
    replaceLabel_ = new ColorLabel(QStringLiteral("替换"), Palette::fg3(), 11.5, false, this);
    grid->addWidget(replaceLabel_, 1, 0, Qt::AlignTop | Qt::AlignLeft);
    replace_ = field(QStringLiteral("替换为 · ⇧↵ 换行 · 支持 \\n \\t"), this);
    replaceBox_ = new FieldBox(replace_, this);
    grid->addWidget(replaceBox_, 1, 1);
    grid->addWidget(replaceRow_, 1, 2, Qt::AlignTop);
    grid->setColumnStretch(1, 1);

    find_->onTextChanged = [this](const QString& t) { model_.find().setQuery(t); };
    find_->onSubmit = [this] {
        if (EditorController* c = editor())
            c->step(1);
    };
    find_->onEscape = [this] { model_.closeFind(); };
    replace_->onTextChanged = [this](const QString& t) { model_.find().setReplaceText(t); };
    replace_->onSubmit = [this] {
        if (EditorController* c = editor())
            c->replaceCurrent();
    };
    replace_->onEscape = [this] { model_.closeFind(); };

    for (const auto signal : {&FindState::visibleChanged, &FindState::searchChanged, &FindState::barChanged})
        connect(&model_.find(), signal, this, &FindBar::refresh);
    refresh();
}

void FindBar::setDoc(const DocPtr& doc) { doc_ = doc; }

EditorController* FindBar::editor() const { return doc_ ? editors_.existing(doc_->id) : nullptr; }

void FindBar::refresh()
{
    setVisible(model_.find().visible());
    const bool replacing = model_.find().replaceVisible();
    replaceRow_->setVisible(replacing);
    replaceBox_->setVisible(replacing);
    replaceLabel_->setVisible(replacing);
    expand_->setVisible(!replacing);
    find_->setBoundText(model_.find().query());
    replace_->setBoundText(model_.find().replaceText());
    const QSignalBlocker b1(case_), b2(word_), b3(regex_);
    case_->setChecked(model_.find().caseSensitive());
    word_->setChecked(model_.find().wholeWord());
    regex_->setChecked(model_.find().useRegex());
    const bool invalid = model_.find().error().has_value();
    findBox_->setInvalid(invalid);
    find_->setInvalid(invalid);
    if (invalid) {
        status_->setColor(Palette::danger());
        status_->setText(*model_.find().error());
    } else {
        status_->setColor(Palette::fg3());
        if (model_.find().query().isEmpty())
            status_->clear();
        else if (model_.find().matchCount() == FindState::searchingMatches)
            status_->setText(QStringLiteral("正在查找…"));
        else if (model_.find().matchCount() == 0)
            status_->setText(QStringLiteral("无结果"));
        else
            status_->setText(QStringLiteral("%1 / %2").arg(model_.find().index() + 1).arg(model_.find().matchCount()));
    }
    if (model_.find().visible())
        find_->setFocusToken(model_.find().focusToken());
}
