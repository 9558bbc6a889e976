#include "views/pane/DocPane.h"

#include "views/controls/ControlColors.h"
#include "core/AppModel.h"
#include "editor/AppFonts.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "editor/Palette.h"
#include "plugins/PluginRegistry.h"
#include "views/controls/HoverReport.h"
#include "views/pane/StatusTitles.h"
#include "views/preview/PreviewView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

QLabel* label(const QString& text, QWidget* parent, double size = 12.5, const QColor& color = Palette::fg().resolve(),
              bool mono = false)
{
    auto* l = new QLabel(text, parent);
    l->setFont(mono ? AppFonts::mono(size) : AppFonts::sans(size));
    l->setStyleSheet(QStringLiteral("color:%1;").arg(cssColor(color)));
    return l;
}

QPushButton* flatButton(const QString& text, const QString& help, QWidget* parent, bool mono = false)
{
    auto* b = new QPushButton(text, parent);
    b->setToolTip(help);
    b->setCursor(Qt::PointingHandCursor);
    b->setFont(mono ? AppFonts::mono(11.5) : AppFonts::sans(12));
    b->setStyleSheet(QStringLiteral("QPushButton{border:none;border-radius:5px;padding:3px 8px;color:%1;background:transparent;}"
                                    "QPushButton:hover{background:%2;}QPushButton:checked{background:%3;color:%4;}")
                         .arg(cssColor(Palette::fg2().resolve()), cssColor(Palette::hover().resolve()),
                              cssColor(Palette::accent().resolve().lighter(185)), cssColor(Palette::accent().resolve())));
    return b;
}

QWidget* divider(QWidget* parent)
{
    auto* line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("background:%1;").arg(cssColor(Palette::line().resolve())));
    return line;
}

QWidget* bar(QWidget* parent, QHBoxLayout*& row, int height = 34)
{
    auto* w = new QWidget(parent);
    w->setMinimumHeight(height);
    row = new QHBoxLayout(w);
    row->setContentsMargins(14, 4, 10, 4);
    row->setSpacing(8);
    return w;
}

}

DocPane::DocPane(AppModel& model, EditorCache& editors, QWidget* parent) : QWidget(parent), model_(model), editors_(editors)
{
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(0);
    connect(&model_, &AppModel::changed, this, [this](AppModel::Field f) {
        using F = AppModel::Field;
        if (f == F::findVisible || f == F::replaceVisible || f == F::tags || f == F::isFullScreen)
            rebuild();
        else
            refreshTexts();
    });
}

DocPane::~DocPane()
{
    if (editorWidget_)
        editorWidget_->setParent(nullptr);
}

void DocPane::setDoc(const DocPtr& doc)
{
    if (doc == doc_)
        return;
    for (const auto& c : links_)
        disconnect(c);
    links_.clear();
    doc_ = doc;
    if (doc_)
        links_ << connect(doc_.get(), &Doc::changed, this, [this](Doc::Field f) {
            using F = Doc::Field;
            if (f == F::mode || f == F::notice || f == F::name || f == F::tags)
                rebuild();
            else if (f != F::text)
                refreshTexts();
            else if (dirty_ && dirty_->isVisible() != doc_->isDirty())
                refreshTexts();
        });
    rebuild();
}

void DocPane::rebuild()
{
    // The editor widget belongs to its controller and outlives this pane's layout.
    if (editorWidget_) {
        editorWidget_->hide();
        editorWidget_->setParent(nullptr);
    }
    editorWidget_ = nullptr;
    while (QLayoutItem* item = column_->takeAt(0)) {
        if (item->widget())
            item->widget()->deleteLater();
        delete item;
    }
    if (!doc_)
        return;
    header_ = buildHeader();
    column_->addWidget(header_);
    column_->addWidget(divider(this));

    if (const auto notice = doc_->notice()) {
        QHBoxLayout* row;
        notice_ = bar(this, row);
        notice_->setStyleSheet(QStringLiteral("background:%1;").arg(cssColor(Palette::accent().resolve().lighter(190))));
        row->addWidget(label(QStringLiteral("⚠"), notice_));
        if (*notice == DocNotice::diskChanged) {
            row->addWidget(label(QStringLiteral("暂留期间磁盘上的文件已被修改，当前显示的是暂留内容。"), notice_));
            row->addStretch(1);
            auto* disk = flatButton(QStringLiteral("使用磁盘版本"), QString(), notice_);
            connect(disk, &QPushButton::clicked, this, [this] { model_.loadDiskVersion(doc_); });
            auto* keep = flatButton(QStringLiteral("保留暂留内容"), QString(), notice_);
            connect(keep, &QPushButton::clicked, this, [this] { doc_->setNotice(std::nullopt); });
            row->addWidget(disk);
            row->addWidget(keep);
        } else {
            row->addWidget(label(QStringLiteral("原文件已被移动或删除，保存时将在原位置重新创建。"), notice_));
            row->addStretch(1);
            auto* ok = flatButton(QStringLiteral("知道了"), QString(), notice_);
            connect(ok, &QPushButton::clicked, this, [this] { doc_->setNotice(std::nullopt); });
            row->addWidget(ok);
        }
        column_->addWidget(notice_);
        column_->addWidget(divider(this));
    }

    const FormatPlugin& plugin = doc_->plugin();
    if (!plugin.actions.isEmpty()) {
        QHBoxLayout* row;
        actions_ = bar(this, row, 28);
        auto* title = label(plugin.displayName.toUpper(), actions_, 10.5, Palette::fg3().resolve(), true);
        row->addWidget(title);
        for (const PluginAction& a : plugin.actions) {
            auto* b = flatButton(a.title, QString(), actions_);
            connect(b, &QPushButton::clicked, this, [this, a] {
                try {
                    const QString result = a.run(doc_->text());
                    if (EditorController* c = editors_.existing(doc_->id))
                        c->replaceAll(result);
                    else
                        doc_->setText(result);
                } catch (const PluginError& e) {
                    model_.flash(e.message);
                    return;
                }
                model_.flash(QStringLiteral("已") + a.title);
            });
            row->addWidget(b);
        }
        row->addStretch(1);
        column_->addWidget(actions_);
        column_->addWidget(divider(this));
    }

    if (model_.findVisible()) {
        find_ = buildFindBar();
        column_->addWidget(find_);
        column_->addWidget(divider(this));
    }
    layoutContent();
    status_ = buildStatus();
    column_->addWidget(divider(this));
    column_->addWidget(status_);
    refreshTexts();
}

QWidget* DocPane::buildHeader()
{
    QHBoxLayout* row;
    QWidget* h = bar(this, row, 40);
    name_ = label(doc_->name(), h, 14, Palette::fg().resolve());
    name_->setToolTip(doc_->fullPath() + QStringLiteral("\n双击文件名重命名"));
    name_->installEventFilter(this);
    row->addWidget(name_);
    dirty_ = label(QStringLiteral("已编辑"), h, 11.5, Palette::fg3().resolve());
    row->addWidget(dirty_);
    folder_ = label(doc_->displayPath(), h, 11, Palette::fg3().resolve(), true);
    folder_->setMinimumWidth(20);
    folder_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(folder_, 1);
    for (const QString& id : doc_->tags())
        for (const Tag& t : model_.tags())
            if (t.id == id) {
                const QColor c = Palette::tagColors().value(t.colorIndex(int(Palette::tagColors().size())));
                auto* chip = label(QStringLiteral("<span style='color:%1'>●</span> %2").arg(c.name(), t.name.toHtmlEscaped()), h, 11);
                chip->setTextFormat(Qt::RichText);
                chip->setStyleSheet(QStringLiteral("border:1px solid %1;border-radius:9px;padding:0 7px;color:%2;")
                                        .arg(cssColor(Palette::line().resolve()), cssColor(Palette::fg2().resolve())));
                row->addWidget(chip);
            }
    const auto& modes = doc_->plugin().viewModes;
    for (int i = 0; i < modes.size(); ++i) {
        const ViewMode m = modes[i];
        auto* b = flatButton(m.title(), m.title() + QStringLiteral("  Ctrl+%1").arg(i + 1), h);
        b->setCheckable(true);
        b->setChecked(doc_->mode() == m);
        connect(b, &QPushButton::clicked, this, [this, m] { doc_->setMode(m); });
        row->addWidget(b);
    }
    auto* full = flatButton(model_.isFullScreen() ? QStringLiteral("⤡") : QStringLiteral("⤢"),
                            model_.isFullScreen() ? QStringLiteral("退出正文全屏  Ctrl+Meta+F / Esc") : QStringLiteral("正文全屏  Ctrl+Meta+F"), h);
    connect(full, &QPushButton::clicked, this, [this] { model_.toggleFullScreen(); });
    row->addWidget(full);
    auto* feature = flatButton(QStringLiteral("功能"), QStringLiteral("功能"), h);
    feature->setCheckable(true);
    // On while its menu is open or one of the states it switches is active.
    feature->setChecked(model_.popup() == Popup::feature() || model_.findVisible() || model_.multiCaretCount()
                        || model_.settings().wordWrap);
    featureButton_ = feature;
    connect(feature, &QPushButton::clicked, this, [this] { model_.toggle(Popup::feature()); });
    new HoverReport(feature, [this](bool over) { model_.hoverFeature(over, std::nullopt); });
    if (reportAnchor)
        reportAnchor(Popup::feature().anchor(), feature);
    row->addWidget(feature);
    return h;
}

QWidget* DocPane::buildFindBar()
{
    QHBoxLayout* row;
    QWidget* w = bar(this, row, 36);
    auto* col = new QVBoxLayout;
    col->setSpacing(4);
    findField_ = new QLineEdit(model_.findQuery(), w);
    findField_->setPlaceholderText(QStringLiteral("搜索"));
    findField_->setFont(AppFonts::mono(12));
    connect(findField_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.setFindQuery(t); });
    connect(findField_, &QLineEdit::returnPressed, this, [this] {
        if (EditorController* c = editors_.existing(doc_->id))
            c->step(1);
    });
    col->addWidget(findField_);
    if (model_.replaceVisible()) {
        replaceField_ = new QLineEdit(model_.replaceText(), w);
        replaceField_->setPlaceholderText(QStringLiteral("替换为"));
        replaceField_->setFont(AppFonts::mono(12));
        connect(replaceField_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.setReplaceText(t); });
        col->addWidget(replaceField_);
    }
    row->addLayout(col, 1);
    const auto toggle = [&](const QString& text, const QString& help, bool on, std::function<void(bool)> set) {
        auto* b = flatButton(text, help, w, true);
        b->setCheckable(true);
        b->setChecked(on);
        connect(b, &QPushButton::toggled, this, [set](bool v) { set(v); });
        row->addWidget(b);
    };
    toggle(QStringLiteral("Aa"), QStringLiteral("区分大小写"), model_.caseSensitive(), [this](bool v) { model_.setCaseSensitive(v); });
    toggle(QStringLiteral("W"), QStringLiteral("全词匹配"), model_.wholeWord(), [this](bool v) { model_.setWholeWord(v); });
    toggle(QStringLiteral(".*"), QStringLiteral("正则表达式"), model_.useRegex(), [this](bool v) { model_.setUseRegex(v); });
    findStatus_ = label(QString(), w, 11.5, Palette::fg3().resolve(), true);
    row->addWidget(findStatus_);
    const auto action = [&](const QString& text, std::function<void(EditorController&)> run) {
        auto* b = flatButton(text, QString(), w);
        connect(b, &QPushButton::clicked, this, [this, run] {
            if (EditorController* c = editors_.existing(doc_->id))
                run(*c);
        });
        row->addWidget(b);
    };
    action(QStringLiteral("↑"), [](EditorController& c) { c.step(-1); });
    action(QStringLiteral("↓"), [](EditorController& c) { c.step(1); });
    if (model_.replaceVisible()) {
        action(QStringLiteral("替换"), [](EditorController& c) { c.replaceCurrent(); });
        action(QStringLiteral("全部替换"), [](EditorController& c) { c.replaceEverything(); });
    }
    auto* close = flatButton(QStringLiteral("✕"), QStringLiteral("关闭"), w);
    connect(close, &QPushButton::clicked, this, [this] { model_.closeFind(); });
    row->addWidget(close);
    findField_->setFocus();
    findField_->selectAll();
    return w;
}

bool DocPane::eventFilter(QObject* o, QEvent* e)
{
    if (o == name_ && e->type() == QEvent::MouseButtonDblClick && doc_) {
        model_.askRename(doc_);
        return true;
    }
    return QWidget::eventFilter(o, e);
}

void DocPane::layoutContent()
{
    const ViewMode mode = doc_->mode();
    split_ = new QSplitter(Qt::Horizontal, this);
    split_->setHandleWidth(1);
    split_->setChildrenCollapsible(false);
    if (mode != ViewMode::preview) {
        auto* editorColumn = new QWidget(split_);
        auto* col = new QVBoxLayout(editorColumn);
        col->setContentsMargins(0, 0, 0, 0);
        col->setSpacing(0);
        EditorController& c = editors_.controller(doc_);
        c.widget()->setParent(editorColumn);
        editorWidget_ = c.widget();
        col->addWidget(c.widget(), 1);
        c.widget()->show();
        badge_ = label(QString(), editorColumn, 11.5, Palette::accentFg().resolve());
        badge_->setAttribute(Qt::WA_TransparentForMouseEvents);
        badge_->setStyleSheet(QStringLiteral("background:%1;color:%2;border-radius:6px;padding:3px 8px;")
                                  .arg(cssColor(Palette::accent().resolve()), cssColor(Palette::accentFg().resolve())));
        badge_->hide();
        if (doc_->plugin().validates) {
            QHBoxLayout* row;
            stripBox_ = bar(editorColumn, row, 26);
            strip_ = label(QString(), stripBox_, 11.5, Palette::fg2().resolve(), true);
            stripCount_ = label(QString(), stripBox_, 11.5, Palette::fg3().resolve());
            row->addWidget(strip_, 1);
            row->addWidget(stripCount_);
            col->addWidget(divider(editorColumn));
            col->addWidget(stripBox_);
        }
        split_->addWidget(editorColumn);
    }
    if (mode != ViewMode::editor) {
        preview_ = new PreviewView(split_);
        preview_->setDoc(doc_);
        split_->addWidget(preview_);
    }
    split_->setStretchFactor(0, 1);
    split_->setStretchFactor(1, 1);
    split_->setSizes({1000, 1000});
    column_->addWidget(split_, 1);
}

QWidget* DocPane::buildStatus()
{
    QHBoxLayout* row;
    QWidget* s = bar(this, row, 28);
    row->setContentsMargins(14, 2, 8, 2);
    caret_ = label(model_.caretInfo(), s, 11.5, Palette::fg2().resolve(), true);
    row->addWidget(caret_);
    valid_ = label(QString(), s, 11.5);
    row->addWidget(valid_);
    row->addStretch(1);
    const auto button = [&](const QString& help, const Popup& popup) {
        auto* b = flatButton(QString(), help, s, true);
        b->setCheckable(true);
        connect(b, &QPushButton::clicked, this, [this, popup] { model_.toggle(popup); });
        if (reportAnchor)
            reportAnchor(popup.anchor(), b);
        row->addWidget(b);
        return b;
    };
    encodingButton_ = button(QStringLiteral("文件编码"), Popup::encoding());
    eolButton_ = button(QStringLiteral("换行符"), Popup::eol());
    formatButton_ = button(QStringLiteral("切换格式"), Popup::format());
    return s;
}

void DocPane::refreshTexts()
{
    if (!doc_)
        return;
    if (dirty_)
        dirty_->setVisible(doc_->isDirty());
    if (caret_)
        caret_->setText(model_.caretInfo());
    if (valid_) {
        valid_->setText(StatusTitles::validation(*doc_));
        valid_->setStyleSheet(QStringLiteral("color:%1;").arg(
            cssColor(doc_->diagnostics().isEmpty() ? Palette::accent().resolve() : Palette::danger().resolve())));
    }
    if (strip_) {
        strip_->setText(StatusTitles::strip(*doc_));
        stripCount_->setText(StatusTitles::stripCount(*doc_));
    }
    const auto setButton = [this](QWidget* w, const QString& title, const Popup& p) {
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            b->setText(title);
            b->setChecked(model_.popup() == p);
        }
    };
    setButton(encodingButton_, doc_->encoding().rawValue(), Popup::encoding());
    setButton(eolButton_, doc_->eol().rawValue(), Popup::eol());
    setButton(formatButton_, StatusTitles::format(doc_->name()), Popup::format());
    if (auto* f = qobject_cast<QPushButton*>(featureButton_.data()))
        f->setChecked(model_.popup() == Popup::feature() || model_.findVisible() || model_.multiCaretCount()
                      || model_.settings().wordWrap);
    if (findStatus_) {
        if (model_.findError())
            findStatus_->setText(*model_.findError());
        else if (model_.findQuery().isEmpty())
            findStatus_->clear();
        else if (model_.matchCount() == 0)
            findStatus_->setText(QStringLiteral("无结果"));
        else
            findStatus_->setText(QStringLiteral("%1/%2").arg(model_.findIndex() + 1).arg(model_.matchCount()));
    }
    if (findField_ && findField_->text() != model_.findQuery())
        findField_->setText(model_.findQuery());
    if (badge_) {
        if (const auto n = model_.multiCaretCount()) {
            badge_->setText(QStringLiteral("%1 个光标  <span style='opacity:0.65'>Home 行首 · End 行尾 · Esc 退出</span>").arg(*n));
            badge_->adjustSize();
            badge_->move(badge_->parentWidget()->width() - badge_->width() - 24, 10);
            badge_->show();
            badge_->raise();
        } else {
            badge_->hide();
        }
    }
}
