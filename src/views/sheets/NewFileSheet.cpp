#include "views/sheets/NewFileSheet.h"

#include "core/EditorLink.h"
#include "editor/AppFonts.h"
#include "editor/Palette.h"
#include "plugins/FileName.h"
#include "views/controls/FocusRing.h"
#include "views/sheets/SheetParts.h"
#include "views/state/WindowModel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

QString nameAfterFormatTap(const QString& name, const PluginRegistry::Entry& entry, bool wasSelected)
{
    const QString base = FileName::base(name);
    if (wasSelected)
        return base;
    return base + QLatin1Char('.') + entry.ext;
}

std::optional<std::pair<int, int>> templateHeading(const QString& text)
{
    const qsizetype hashes = text.indexOf(QLatin1Char(' '));
    if (hashes <= 0 || text.left(hashes) != QString(hashes, QLatin1Char('#')))
        return std::nullopt;
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    const int from = int(hashes) + 1;
    const int to = int(end < 0 ? text.size() : end);
    if (to <= from)
        return std::nullopt;
    return std::pair{from, to - from};
}

NewFileSheet::NewFileSheet(WindowModel& model, QWidget* parent) : QFrame(parent), model_(model)
{
    setFixedWidth(520);
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(24, 22, 24, 20);
    col->setSpacing(10);
    col->addWidget(SheetParts::title(QStringLiteral("新建文件"), this));

    col->addWidget(SheetParts::caption(QStringLiteral("文件名"), this));
    nameField_ = new QLineEdit(this);
    nameField_->setPlaceholderText(QStringLiteral("未命名（留空则取正文首行）"));
    nameField_->setFont(AppFonts::sans(13));
    nameField_->setMinimumHeight(30);
    nameField_->setAccessibleName(QStringLiteral("文件名"));
    // Return in the field reaches the sheet's own key handling (the field passes it on), which creates.
    col->addWidget(nameField_);

    col->addWidget(SheetParts::caption(QStringLiteral("格式（可选，再次点击取消）"), this));
    tiles_ = new QWidget(this);
    auto* grid = new QGridLayout(tiles_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(6);
    int i = 0;
    for (const PluginRegistry::Entry& e : PluginRegistry::catalog()) {
        auto* tile = new SheetParts::Tile(e.name, e.summary, tiles_);
        tile->setObjectName(e.id);
        FocusRing::join(tile, "formats", 2);
        tile->onTap = [this, id = e.id] { tapFormat(id); };
        grid->addWidget(tile, i / 2, i % 2);
        ++i;
    }
    col->addWidget(tiles_);
    auto* hint = SheetParts::caption(QStringLiteral("格式可不选，此时文件无后缀、按纯文本编辑；之后可在状态栏切换。"),
                                     this);
    hint->setWordWrap(true);
    col->addWidget(hint);

    col->addWidget(SheetParts::caption(QStringLiteral("标签（可多选）"), this));
    chips_ = new QWidget(this);
    auto* chipRow = new QHBoxLayout(chips_);
    chipRow->setContentsMargins(0, 0, 0, 0);
    chipRow->setSpacing(6);
    col->addWidget(chips_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cancelButton_ = SheetParts::button(
        QStringLiteral("取消"), false, [this] { cancel(); }, this);
    createButton_ = SheetParts::button(
        QStringLiteral("创建"), true, [this] { create(); }, this);
    buttons->addWidget(cancelButton_);
    buttons->addWidget(createButton_);
    col->addSpacing(6);
    col->addLayout(buttons);
    reset();
    connect(&model_.tagStore(), &TagStore::tagsChanged, this, [this] {
        tags_.removeIf([this](const QString& id) {
            const auto& all = model_.tags();
            return std::none_of(all.begin(), all.end(), [&](const Tag& t) { return t.id == id; });
        });
        rebuildTags();
        restyle();
    });
}

void NewFileSheet::reset()
{
    nameField_->clear();
    plugin_.reset();
    tags_.clear();
    rebuildTags();
    restyle();
    QTimer::singleShot(0, nameField_, [f = nameField_] { f->setFocus(Qt::OtherFocusReason); });
}

QString NewFileSheet::name() const { return nameField_->text(); }
void NewFileSheet::setName(const QString& name) { nameField_->setText(name); }

void NewFileSheet::tapFormat(const QString& id)
{
    const auto& catalog = PluginRegistry::catalog();
    const auto it = std::find_if(catalog.begin(), catalog.end(), [&](const auto& e) { return e.id == id; });
    if (it == catalog.end())
        return;
    const bool wasSelected = plugin_ == id;
    setName(nameAfterFormatTap(name(), *it, wasSelected));
    if (wasSelected)
        plugin_.reset();
    else
        plugin_ = id;
    restyle();
}

void NewFileSheet::tapTag(const QString& id)
{
    if (!tags_.removeOne(id))
        tags_.append(id);
    restyle();
}

void NewFileSheet::create()
{
    // A bare ".json" left by a format tap on an empty field means "no name":
    // taken literally it would be a hidden file with no format at all.
    QString chosen = name();
    if (plugin_) {
        for (const auto& e : PluginRegistry::catalog())
            if (e.id == *plugin_ && chosen.trimmed() == QLatin1Char('.') + e.ext)
                chosen.clear();
    }
    const DocPtr doc = model_.createDoc(chosen, plugin_, tags_);
    model_.setShowNewFile(false);
    // The template's heading is a placeholder: typing replaces it.
    if (const auto heading = templateHeading(doc->text()); heading && model_.editorLink())
        model_.editorLink()->select(doc, heading->first, heading->second);
}

void NewFileSheet::cancel() { model_.setShowNewFile(false); }

void NewFileSheet::rebuildTags()
{
    auto* row = static_cast<QHBoxLayout*>(chips_->layout());
    while (QLayoutItem* item = row->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const Tag& t : model_.tags()) {
        const QColor dot = Palette::tagColors().value(t.colorIndex(int(Palette::tagColors().size())));
        auto* chip = new SheetParts::Chip(t.name, dot, chips_);
        chip->setObjectName(t.id);
        FocusRing::join(chip, "tags");
        chip->onTap = [this, id = t.id] { tapTag(id); };
        row->addWidget(chip);
    }
    row->addStretch(1);
    // Chips made now would come last in the Tab order: put them between the formats and the buttons.
    QWidget* before = tiles_->findChildren<SheetParts::Tile*>().last();
    for (auto* chip : chips_->findChildren<SheetParts::Chip*>(Qt::FindDirectChildrenOnly)) {
        QWidget::setTabOrder(before, chip);
        before = chip;
    }
    if (cancelButton_) {
        QWidget::setTabOrder(before, cancelButton_);
        QWidget::setTabOrder(cancelButton_, createButton_);
    }
}

void NewFileSheet::restyle()
{
    for (auto* tile : tiles_->findChildren<SheetParts::Tile*>())
        tile->setSelected(plugin_ == tile->objectName());
    for (auto* chip : chips_->findChildren<SheetParts::Chip*>())
        chip->setSelected(tags_.contains(chip->objectName()));
}

bool NewFileSheet::focusNextPrevChild(bool next)
{
    // Tab stays inside the sheet: name, formats, tags, buttons, and round again.
    return FocusRing::cycle(this, next);
}

void NewFileSheet::keyPressEvent(QKeyEvent* e)
{
    // Return creates wherever the keyboard is in the form; a focused button chose itself already.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !(e->modifiers() & ~Qt::KeypadModifier)) {
        create();
        return;
    }
    QFrame::keyPressEvent(e);
}

void NewFileSheet::paintEvent(QPaintEvent*) { SheetParts::paintCard(*this); }
