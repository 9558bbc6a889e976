#include "Controls.h"
#include "views/controls/FocusRing.h"
#include "views/icons/Icons.h"
#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {
QFont monoFont(int pt)
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setFamilies({QStringLiteral("IBM Plex Mono"), f.family()});
    f.setPixelSize(pt);  // layout sizes are in logical pixels
    return f;
}
QFont plexFont(int pt)
{
    QFont f;
    f.setFamilies({QStringLiteral("IBM Plex Sans"), QStringLiteral("Noto Sans CJK SC"), f.family()});
    f.setPixelSize(pt);  // layout sizes are in logical pixels
    return f;
}
void wire(QAbstractButton* b, const QString& help, std::function<void()> action)
{
    b->setToolTip(help);
    // Screen readers hear what the tooltip says, without the key it names.
    const QString name = help.section(QStringLiteral("  "), 0, 0).trimmed();
    b->setAccessibleName(name.isEmpty() ? b->text() : name);
    b->setCursor(Qt::PointingHandCursor);
    // Clicking a control never takes the keyboard away from the text.
    b->setFocusPolicy(Qt::NoFocus);
    b->setAttribute(Qt::WA_Hover);
    if (action)
        QObject::connect(b, &QAbstractButton::clicked, b, [action] { action(); });
}
}

IconButton::IconButton(const QIcon& icon, const QString& help, std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent)
{
    setIcon(icon);
    setIconSize({13, 13});
    setFixedSize(28, 26);
    wire(this, help, std::move(action));
}

IconButton::IconButton(const QString& symbol, const QString& help, std::function<void()> action, QWidget* parent)
    : IconButton(Icons::icon(symbol, 13), help, std::move(action), parent)
{
    symbol_ = symbol;
}

void IconButton::setSymbol(const QString& symbol)
{
    if (symbol == symbol_)
        return;
    symbol_ = symbol;
    setIcon(Icons::icon(symbol, iconSize().width()));
    update();
}

void IconButton::setOn(bool on)
{
    if (on == on_)
        return;
    on_ = on;
    update();
}

QColor IconButton::symbolColor() const
{
    if (on_)
        return colors().accent;
    return underMouse() ? colors().fg : colors().fg2;
}

QColor IconButton::backgroundColor() const
{
    if (on_) {
        QColor c = colors().accent;
        c.setAlphaF(0.13);
        return c;
    }
    return underMouse() ? colors().hover : QColor(Qt::transparent);
}

void IconButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(backgroundColor());
    p.drawRoundedRect(rect(), 6, 6);
    // Tint the glyph: icons are monochrome masks.
    QPixmap pm = icon().pixmap(iconSize(), devicePixelRatioF());
    if (pm.isNull())
        return;
    QPainter tp(&pm);
    tp.setCompositionMode(QPainter::CompositionMode_SourceIn);
    tp.fillRect(pm.rect(), symbolColor());
    tp.end();
    QSize s = iconSize();
    p.drawPixmap(QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s), pm);
}

TextButton::TextButton(const QString& title, const QString& help, std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(title);
    setFont(plexFont(12));
    setFixedHeight(24);
    wire(this, help, std::move(action));
}

void TextButton::setOn(bool on)
{
    if (on == on_)
        return;
    on_ = on;
    update();
}

QSize TextButton::sizeHint() const { return {fontMetrics().horizontalAdvance(text()) + 18, 24}; }

void TextButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const ControlColors c = colors();
    QColor bg = underMouse() ? c.hover : QColor(Qt::transparent);
    if (on_) {
        bg = c.accent;
        bg.setAlphaF(0.13);
    }
    p.setBrush(bg);
    p.drawRoundedRect(rect(), 6, 6);
    if (hasFocus())
        FocusRing::paint(p, rect(), 6);
    p.setPen(on_ ? c.accent : c.fg);
    p.setFont(font());
    p.drawText(rect().adjusted(9, 0, -9, 0), Qt::AlignCenter, text());
}

void TextButton::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !(e->modifiers() & ~Qt::KeypadModifier)) {
        click();
        return;
    }
    if (!(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && FocusRing::arrow(this, e->key()))
        return;
    QAbstractButton::keyPressEvent(e);
}

RoleButton::RoleButton(const QString& title, Role role, std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent), role_(role)
{
    setText(title);
    setFont(plexFont(13));
    if (role == Role::primary) {
        QFont f = font();
        f.setWeight(QFont::Medium);
        setFont(f);
    }
    // Three points around the 30-point body are kept for the focus ring.
    setMinimumSize(82, 36);
    wire(this, QString(), std::move(action));
    // Dialog and sheet buttons are reached by Tab; a click still leaves the keyboard alone.
    setFocusPolicy(Qt::TabFocus);
}

void RoleButton::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !(e->modifiers() & ~Qt::KeypadModifier)) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

QSize RoleButton::sizeHint() const { return {std::max(82, fontMetrics().horizontalAdvance(text()) + 36), 36}; }

void RoleButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ControlColors c;
    const bool over = underMouse();
    QColor fill = over ? c.hover : c.window, ink = c.fg, border = c.line;
    if (role_ == Role::primary) {
        fill = over ? c.accent.darker(110) : c.accent;
        ink = Palette::accentFg().resolve();
        border = fill;
    } else if (role_ == Role::danger) {
        // No hover shade under the red text: it would drop below a readable contrast.
        fill = c.window;
        ink = border = c.danger;
    }
    const QRectF body = QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5);
    // The ring outside, a gap, then the button itself.
    if (hasFocus())
        FocusRing::paint(p, rect(), 8);
    p.setPen(QPen(border, role_ == Role::danger && over ? 2 : 1));
    p.setBrush(fill);
    p.drawRoundedRect(body, 6, 6);
    p.setPen(ink);
    p.setFont(font());
    p.drawText(rect(), Qt::AlignCenter, text());
}

Toggle2::Toggle2(const QString& label, const QString& help, QWidget* parent) : QAbstractButton(parent)
{
    setText(label);
    setCheckable(true);
    setFont(monoFont(11));
    wire(this, help, {});
}

QSize Toggle2::sizeHint() const { return {std::max(26, fontMetrics().horizontalAdvance(text()) + 10), 22}; }

void Toggle2::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (isChecked()) {
        QColor bg = colors().accent;
        bg.setAlphaF(0.13);
        p.setPen(colors().accent);
        p.setBrush(bg);
    } else {
        p.setPen(colors().line);
        p.setBrush(Qt::NoBrush);
    }
    p.drawRoundedRect(r, 5, 5);
    p.setPen(isChecked() ? colors().accent : colors().fg2);
    p.drawText(rect(), Qt::AlignCenter, text());
}

FieldBox::FieldBox(QWidget* content, QWidget* parent) : QFrame(parent)
{
    auto* lay = new QHBoxLayout(this);
    lay->setContentsMargins(4, 2, 4, 2);
    if (content)
        lay->addWidget(content);
}

void FieldBox::setInvalid(bool invalid)
{
    invalid_ = invalid;
    update();
}

void FieldBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(borderColor(), 1));
    p.setBrush(colors().window);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

TagDot::TagDot(const QColor& color, QWidget* parent) : QWidget(parent), color_(color) { setFixedSize(7, 7); }

void TagDot::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(color_);
    p.drawEllipse(QRectF(0, 0, 7, 7));
}

MultilineField::MultilineField(QWidget* parent) : QPlainTextEdit(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFont(monoFont(12));
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Long texts still scroll with the wheel and the caret; a bar would crowd the small field.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    setViewportMargins(2, 4, 2, 4);
    document()->setDocumentMargin(0);
    viewport()->setAutoFillBackground(false);
    // Only the background is the field's own; the text colour follows the application's palette.
    QPalette pal;
    pal.setColor(QPalette::Base, Qt::transparent);
    setPalette(pal);

    setFixedHeight(height_);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (onTextChanged)
            onTextChanged(toPlainText());
        measure();
    });
    QTimer::singleShot(0, this, [this] { measure(); });
}

void MultilineField::setBoundText(const QString& text)
{
    if (text == toPlainText())
        return;
    setPlainText(text);
    measure();
}

void MultilineField::setFocusToken(int token)
{
    if (token == lastToken_)
        return;
    lastToken_ = token;
    QTimer::singleShot(0, this, [this] {
        setFocus(Qt::OtherFocusReason);
        selectAll();
    });
}

int MultilineField::wantedHeight() const
{
    // Block count × line height: the plain-text layout reports lines, not pixels.
    qreal lines = 0;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next())
        lines += std::max(1, b.layout() ? b.layout()->lineCount() : 1);
    qreal used = lines * fontMetrics().lineSpacing();
    int h = int(std::ceil(used + 2 * 4 + 2));
    return std::clamp(h, 26, 96);
}

void MultilineField::measure()
{
    int h = wantedHeight();
    if (std::abs(h - height_) <= 0)
        return;
    height_ = h;
    QTimer::singleShot(0, this, [this] {
        setFixedHeight(height_);
        if (onHeightChanged)
            onHeightChanged(height_);
        // Grown or shrunk, the field shows as much from the top as fits, and its caret line.
        verticalScrollBar()->setValue(0);
        ensureCursorVisible();
    });
}

void MultilineField::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        const auto mods = e->modifiers();
        if (mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
            textCursor().insertText(QStringLiteral("\n"));
            return;
        }
        if (onSubmit)
            onSubmit();
        return;
    }
    if (key == Qt::Key_Escape) {
        if (onEscape)
            onEscape();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

namespace {

// The input method's composition lives in the layout, not in the text.
bool composing(const QPlainTextEdit* field)
{
    const QTextLayout* layout = field->textCursor().block().layout();
    return layout && !layout->preeditAreaText().isEmpty();
}

}

void MultilineField::paintEvent(QPaintEvent* e)
{
    QPlainTextEdit::paintEvent(e);
    if (!toPlainText().isEmpty() || placeholder_.isEmpty() || composing(this))
        return;
    QPainter p(viewport());
    p.setPen(placeholderColor_.value_or(ControlColors{}.fg3));
    p.setFont(font());
    p.drawText(viewport()->rect(), Qt::AlignLeft | Qt::AlignTop, placeholder_);
}
