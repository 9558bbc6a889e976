#include "views/sheets/SettingsView.h"

#include "editor/AppFonts.h"
#include "editor/EditorScheme.h"
#include "editor/Palette.h"
#include "plugins/PluginRegistry.h"
#include "views/controls/Controls.h"
#include "views/controls/FocusRing.h"
#include "views/sheets/SheetParts.h"
#include "views/state/WindowModel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

const QList<std::pair<int, QString>>& appearanceChoices()
{
    static const QList<std::pair<int, QString>> all = {
        {0, QStringLiteral("跟随系统")}, {1, QStringLiteral("浅色")}, {2, QStringLiteral("深色")}};
    return all;
}

void paintSample(QPainter& p, const QRect& r, const EditorScheme& s)
{
    const bool dark = s.isDark();
    p.setPen(Qt::NoPen);
    p.setBrush(s.background.resolve(dark));
    p.drawRoundedRect(r, 5, 5);
    p.setPen(s.foreground.resolve(dark));
    p.setFont(AppFonts::mono(11));
    // Line by line, spaced to fit the box, so the closing brace is never cut off.
    const QStringList lines = {QStringLiteral("fn main() {"), QStringLiteral("  println!(\"你好\");"),
                               QStringLiteral("}")};
    const QFontMetrics fm = p.fontMetrics();
    const int step = std::min(fm.lineSpacing(), (r.height() - 6) / int(lines.size()));
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QPoint(r.left() + 8, r.top() + 3 + i * step + fm.ascent()), lines[i]);
}

}

SettingsView::SettingsView(WindowModel& model, QWidget* parent) : QWidget(parent), model_(model)
{
    setFixedWidth(300);
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(16, 14, 16, 16);
    col->setSpacing(6);
    col->addWidget(SheetParts::title(QStringLiteral("设置"), this));

    col->addWidget(SheetParts::caption(QStringLiteral("界面外观"), this));
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    for (const auto& [value, label] : appearanceChoices()) {
        auto* b = new TextButton(
            label, QString(),
            [this, value = value] {
                Settings s = model_.settings();
                s.appearance = value;
                model_.setSettings(s);
                sync();
            },
            this);
        b->setFocusPolicy(Qt::TabFocus);
        FocusRing::join(b, "appearance");
        appearance_ << b;
        row->addWidget(b);
    }
    col->addLayout(row);

    col->addWidget(SheetParts::caption(QStringLiteral("编辑区配色"), this));
    schemes_ = new QWidget(this);
    auto* schemeCol = new QVBoxLayout(schemes_);
    schemeCol->setContentsMargins(0, 0, 0, 0);
    schemeCol->setSpacing(6);
    for (const EditorScheme& scheme : EditorScheme::all()) {
        auto* tile = new SheetParts::Tile(scheme.name, QString(), schemes_);
        tile->setObjectName(scheme.id);
        FocusRing::join(tile, "schemes");
        // Room for the name and all three sample lines, closing brace included.
        tile->setMinimumHeight(28 + 3 * QFontMetrics(AppFonts::mono(11)).lineSpacing() + 8 + 10);
        tile->painter = [id = scheme.id](QPainter& p, const QRect& r) { paintSample(p, r, EditorScheme::find(id)); };
        tile->onTap = [this, id = scheme.id] {
            Settings s = model_.settings();
            s.scheme = id;
            model_.setSettings(s);
            sync();
        };
        schemeCol->addWidget(tile);
    }
    col->addWidget(schemes_);

    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(SheetParts::caption(QStringLiteral("字号"), this));
    sizeRow->addStretch(1);
    sizeCaption_ = SheetParts::caption(QString(), this);
    sizeRow->addWidget(sizeCaption_);
    col->addLayout(sizeRow);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setRange(Settings::minFontSize, Settings::maxFontSize);
    slider_->setSingleStep(1);
    slider_->setPageStep(1);
    slider_->setFocusPolicy(Qt::TabFocus);
    slider_->setAccessibleName(QStringLiteral("字号"));
    connect(slider_, &QSlider::valueChanged, this, [this](int v) {
        sizeCaption_->setText(QStringLiteral("%1 px").arg(v));
        if (int(std::lround(model_.settings().fontSize)) == v)
            return;
        Settings s = model_.settings();
        s.fontSize = v;
        model_.setSettings(s);
    });
    col->addWidget(slider_);

    col->addWidget(SheetParts::caption(QStringLiteral("编辑器字体"), this));
    family_ = new QComboBox(this);
    family_->setFocusPolicy(Qt::TabFocus);
    family_->setAccessibleName(QStringLiteral("编辑器字体"));
    family_->addItem(QStringLiteral("IBM Plex Mono（内置）"), QString());
    for (const QString& f : AppFonts::monospaceFamilies())
        if (f != AppFonts::plexMono(12).family())
            family_->addItem(f, f);
    col->addWidget(family_);
    connect(family_, &QComboBox::activated, this, [this](int i) {
        Settings s = model_.settings();
        s.fontFamily = family_->itemData(i).toString();
        model_.setSettings(s);
    });
    whitespace_ = new QCheckBox(QStringLiteral("显示空白字符"), this);
    whitespace_->setFocusPolicy(Qt::TabFocus);
    whitespace_->setAccessibleName(QStringLiteral("显示空白字符"));
    // Two switches to a row: the sheet has to fit a small window.
    auto* switches = new QHBoxLayout;
    switches->addWidget(whitespace_);
    connect(whitespace_, &QCheckBox::toggled, this, [this](bool on) {
        Settings s = model_.settings();
        s.showWhitespace = on;
        model_.setSettings(s);
    });
    evenHan_ = new QCheckBox(QStringLiteral("中英文等宽（2:1）"), this);
    evenHan_->setFocusPolicy(Qt::TabFocus);
    evenHan_->setAccessibleName(QStringLiteral("中英文等宽"));
    evenHan_->setToolTip(QStringLiteral("一个汉字正好占两个英文字符宽，表格和对齐的注释在源码里也能对齐；"
                                        "开启时编辑器使用 Noto Sans Mono CJK"));
    switches->addWidget(evenHan_);
    switches->addStretch(1);
    col->addLayout(switches);
    webPictures_ = new QCheckBox(QStringLiteral("加载网络图片"), this);
    webPictures_->setFocusPolicy(Qt::TabFocus);
    webPictures_->setAccessibleName(QStringLiteral("加载网络图片"));
    webPictures_->setToolTip(QStringLiteral("预览和导出的页面载入 http、https 图片；"
                                            "图片所在的服务器会因此知道你打开了这篇文档"));
    col->addWidget(webPictures_);
    connect(webPictures_, &QCheckBox::toggled, this, [this](bool on) {
        Settings s = model_.settings();
        s.remoteImages = on;
        model_.setSettings(s);
    });
    connect(evenHan_, &QCheckBox::toggled, this, [this](bool on) {
        Settings s = model_.settings();
        s.hanDoubleWidth = on;
        model_.setSettings(s);
        sync();
    });
    addIndentRows(col);
    sync();
}

namespace {
const int indentWidthChoices[] = {2, 4, 8};
}

void SettingsView::addIndentRows(QVBoxLayout* col)
{
    col->addWidget(SheetParts::caption(QStringLiteral("缩进与换行"), this));
    // The formats in rows of four.
    auto* grid = new QGridLayout;
    grid->setSpacing(6);
    const QStringList& ids = Settings::formats();
    for (int i = 0; i < ids.size(); ++i) {
        const FormatPlugin* plugin = PluginRegistry::pluginWithID(ids[i]);
        auto* b = new TextButton(
            plugin ? plugin->displayName : ids[i], QString(),
            [this, id = ids[i]] {
                indentFormat_ = id;
                sync();
            },
            this);
        b->setFocusPolicy(Qt::TabFocus);
        FocusRing::join(b, "indentFormats", 4);
        indentFormats_ << b;
        grid->addWidget(b, i / 4, i % 4);
    }
    col->addLayout(grid);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    for (int width : indentWidthChoices) {
        auto* b = new TextButton(
            QString::number(width), QStringLiteral("每级 %1 列").arg(width),
            [this, width] { setIndent(width, std::nullopt); }, this);
        b->setFocusPolicy(Qt::TabFocus);
        FocusRing::join(b, "indentWidths");
        indentWidths_ << b;
        row->addWidget(b);
    }
    row->addStretch(1);
    for (bool tabs : {false, true}) {
        auto* b = new TextButton(
            tabs ? QStringLiteral("制表符") : QStringLiteral("空格"), QString(),
            [this, tabs] { setIndent(model_.settings().indentFor(indentFormat_).width, tabs); }, this);
        b->setFocusPolicy(Qt::TabFocus);
        FocusRing::join(b, "indentKinds");
        indentKinds_ << b;
        row->addWidget(b);
    }
    col->addLayout(row);
    wrap_ = new QCheckBox(QStringLiteral("自动换行"), this);
    wrap_->setFocusPolicy(Qt::TabFocus);
    wrap_->setAccessibleName(QStringLiteral("自动换行"));
    wrap_->setToolTip(QStringLiteral("此格式的文档默认是否自动换行；“视图 → 自动换行”只改当前文档"));
    col->addWidget(wrap_);
    connect(wrap_, &QCheckBox::toggled, this, [this](bool on) {
        Settings s = model_.settings();
        if (on == Settings::defaultWrap(indentFormat_))
            s.wraps.remove(indentFormat_);
        else
            s.wraps.insert(indentFormat_, on);
        model_.setSettings(s);
    });
}

void SettingsView::setIndent(int width, std::optional<bool> tabs)
{
    Settings s = model_.settings();
    Indent indent = s.indentFor(indentFormat_);
    indent.width = width;
    indent.tabs = tabs.value_or(indent.tabs);
    if (indent == Settings::defaultIndent(indentFormat_))
        s.indents.remove(indentFormat_);
    else
        s.indents.insert(indentFormat_, indent);
    model_.setSettings(s);
    sync();
}

void SettingsView::sync()
{
    const Settings& s = model_.settings();
    for (int i = 0; i < appearance_.size(); ++i) {
        appearance_[i]->setOn(appearanceChoices()[i].first == s.appearance);
        FocusRing::setDefault(appearance_[i], appearance_[i]->isOn());
    }
    for (auto* tile : schemes_->findChildren<SheetParts::Tile*>())
        tile->setSelected(tile->objectName() == s.scheme);
    const int size = std::clamp(int(std::lround(s.fontSize)), Settings::minFontSize, Settings::maxFontSize);
    if (slider_->value() != size)
        slider_->setValue(size);
    sizeCaption_->setText(QStringLiteral("%1 px").arg(size));
    syncFamilies(s.fontFamily);
    whitespace_->setChecked(s.showWhitespace);
    evenHan_->setChecked(s.hanDoubleWidth);
    webPictures_->setChecked(s.remoteImages);
    // The even face stands in for the chosen family while it is on.
    family_->setEnabled(!s.hanDoubleWidth);
    const QStringList& ids = Settings::formats();
    for (int i = 0; i < indentFormats_.size(); ++i) {
        indentFormats_[i]->setOn(ids[i] == indentFormat_);
        FocusRing::setDefault(indentFormats_[i], indentFormats_[i]->isOn());
    }
    const Indent indent = s.indentFor(indentFormat_);
    for (int i = 0; i < indentWidths_.size(); ++i) {
        indentWidths_[i]->setOn(indentWidthChoices[i] == indent.width);
        FocusRing::setDefault(indentWidths_[i], indentWidths_[i]->isOn());
    }
    for (int i = 0; i < indentKinds_.size(); ++i) {
        indentKinds_[i]->setOn((i == 1) == indent.tabs);
        FocusRing::setDefault(indentKinds_[i], indentKinds_[i]->isOn());
    }
    wrap_->setChecked(s.wrapFor(indentFormat_));
}

void SettingsView::syncFamilies(const QString& chosen)
{
    // A family stored on another machine stays chosen, though the built-in face stands in.
    if (!chosen.isEmpty() && family_->findData(chosen) < 0 && chosen != AppFonts::plexMono(12).family())
        family_->addItem(QStringLiteral("%1（未安装）").arg(chosen), chosen);
    family_->setCurrentIndex(std::max(0, family_->findData(chosen)));
}
