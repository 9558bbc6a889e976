#include "views/sidebar/TagEditor.h"

#include "views/controls/ColorLabel.h"

#include "editor/AppFonts.h"
#include "editor/Palette.h"
#include "views/icons/Icons.h"
#include "views/state/WindowModel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {

class TagRow : public QWidget {
public:
    TagRow(QString name, QColor dot, bool on, std::function<void()> click, QWidget* parent)
        : QWidget(parent), name_(std::move(name)), dot_(dot), on_(on), click_(std::move(click))
    {
        setFixedHeight(26);
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_Hover);
    }
    QString name_;
    QColor dot_;
    bool on_;
    bool highlighted_ = false;
    std::function<void()> click_;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (underMouse() || highlighted_) {
            p.setPen(Qt::NoPen);
            p.setBrush(Palette::hover().resolve());
            p.drawRoundedRect(rect().adjusted(4, 1, -4, -1), 5, 5);
        }
        if (on_)
            Icons::paint(p, QStringLiteral("checkmark"), QRect(12, 7, 12, 12), Palette::accent().resolve());
        p.setPen(Qt::NoPen);
        p.setBrush(dot_);
        p.drawEllipse(QPointF(34, height() / 2.0), 3.5, 3.5);
        p.setPen(Palette::fg().resolve());
        p.setFont(AppFonts::sans(12.5));
        p.drawText(rect().adjusted(44, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft, name_);
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && click_)
            click_();
    }
};

}

TagEditor::TagEditor(WindowModel& model, DocPtr doc, QWidget* parent)
    : QWidget(parent), model_(model), doc_(std::move(doc))
{
    setFixedWidth(230);
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(0, 10, 0, 10);
    col->setSpacing(4);
    auto* title = new ColorLabel(doc_->name() + QStringLiteral(" 的标签"), Palette::fg2(), 12, false, this);
    title->setFont(AppFonts::sans(12, AppFonts::Weight::medium));
    title->setContentsMargins(12, 0, 12, 2);
    col->addWidget(title);
    list_ = new QVBoxLayout;
    list_->setSpacing(0);
    col->addLayout(list_);
    field_ = new QLineEdit(this);
    field_->setPlaceholderText(QStringLiteral("新建标签，回车确认"));
    field_->setFont(AppFonts::sans(12));
    field_->setAccessibleName(QStringLiteral("新建标签"));
    auto* fieldRow = new QVBoxLayout;
    fieldRow->setContentsMargins(10, 4, 10, 0);
    fieldRow->addWidget(field_);
    col->addLayout(fieldRow);
    connect(field_, &QLineEdit::returnPressed, this, [this] {
        if (field_->text().trimmed().isEmpty() && current_ >= 0) {
            clickRow(current_);
            return;
        }
        model_.addTag(field_->text(), doc_);
        field_->clear();
    });
    connect(&model_.tagStore(), &TagStore::tagsChanged, this, &TagEditor::rebuild);
    connect(doc_.get(), &Doc::tagsChanged, this, &TagEditor::rebuild);
    rebuild();
}

QList<std::pair<QString, bool>> TagEditor::rows() const
{
    QList<std::pair<QString, bool>> out;
    for (const Tag& t : model_.tags())
        out << std::pair{t.name, doc_->tags().contains(t.id)};
    return out;
}

void TagEditor::clickRow(int index)
{
    if (index >= 0 && index < model_.tags().size())
        model_.toggleTag(model_.tags()[index].id, doc_);
}

void TagEditor::setCurrent(int index)
{
    current_ = index >= 0 && index < model_.tags().size() ? index : -1;
    int i = 0;
    for (int k = 0; k < list_->count(); ++k)
        if (auto* row = dynamic_cast<TagRow*>(list_->itemAt(k)->widget())) {
            row->highlighted_ = i++ == current_;
            row->update();
        }
}

void TagEditor::keyPressEvent(QKeyEvent* e)
{
    const int n = int(model_.tags().size());
    switch (e->key()) {
    case Qt::Key_Down:
        if (n)
            setCurrent(current_ < 0 ? 0 : (current_ + 1) % n);
        break;
    case Qt::Key_Up:
        if (n)
            setCurrent(current_ < 0 ? n - 1 : (current_ - 1 + n) % n);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The field answered its own Return and passes the key on.
        if (field_->hasFocus())
            break;
        if (current_ >= 0)
            clickRow(current_);
        else
            field_->setFocus(Qt::OtherFocusReason);
        break;
    default: e->ignore(); return;
    }
    e->accept();
}

void TagEditor::rebuild()
{
    while (QLayoutItem* item = list_->takeAt(0)) {
        if (item->widget())
            item->widget()->deleteLater();
        delete item;
    }
    const auto& colors = Palette::tagColors();
    for (int i = 0; i < model_.tags().size(); ++i) {
        const Tag& t = model_.tags()[i];
        list_->addWidget(new TagRow(
            t.name, colors.value(t.colorIndex(int(colors.size()))), doc_->tags().contains(t.id),
            [this, i] { clickRow(i); }, this));
    }
    setCurrent(current_);
    adjustSize();
}
