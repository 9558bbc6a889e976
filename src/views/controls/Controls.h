#pragma once
#include "ControlColors.h"
#include <QAbstractButton>
#include <QFrame>
#include <QPlainTextEdit>
#include <QWidget>
#include <functional>
#include <optional>

// Square icon button: symbol glyph supplied as an icon, accent look while on.
class IconButton : public QAbstractButton {
public:
    IconButton(const QIcon& icon, const QString& help, std::function<void()> action, QWidget* parent = nullptr);
    // The symbol by its name in the icon set.
    IconButton(const QString& symbol, const QString& help, std::function<void()> action, QWidget* parent = nullptr);
    void setSymbol(const QString& symbol);
    const QString& symbol() const { return symbol_; }
    void setOn(bool on);
    bool isOn() const { return on_; }
    void setColors(const ControlColors& c)
    {
        colors_ = c;
        update();
    }
    ControlColors colors() const { return colors_.value_or(ControlColors{}); }
    QSize sizeHint() const override { return {28, 26}; }
    // The colour the symbol is drawn in right now.
    QColor symbolColor() const;
    QColor backgroundColor() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool on_ = false;
    QString symbol_;
    std::optional<ControlColors> colors_;
};

// Flat text button; while on it takes the accent look of the icon buttons.
class TextButton : public QAbstractButton {
public:
    TextButton(const QString& title, const QString& help, std::function<void()> action, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    void setOn(bool on);
    bool isOn() const { return on_; }
    void setColors(const ControlColors& c)
    {
        colors_ = c;
        update();
    }
    ControlColors colors() const { return colors_.value_or(ControlColors{}); }

protected:
    void paintEvent(QPaintEvent*) override;
    // Where a panel lets Tab reach it: Return and Space press it, arrows move in its group.
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override
    {
        QAbstractButton::focusInEvent(e);
        update();
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QAbstractButton::focusOutEvent(e);
        update();
    }

private:
    bool on_ = false;
    std::optional<ControlColors> colors_;
};

// The buttons of dialogs and sheets: the primary one filled with the accent colour,
// a destructive one in the danger colour, the others plain; all with a hover shade.
class RoleButton : public QAbstractButton {
public:
    enum class Role { primary, normal, danger };
    RoleButton(const QString& title, Role role, std::function<void()> action, QWidget* parent = nullptr);
    Role role() const { return role_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    // Return and Enter choose the focused button, like Space.
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override
    {
        QAbstractButton::focusInEvent(e);
        update();
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QAbstractButton::focusOutEvent(e);
        update();
    }

private:
    Role role_;
};

// Small monospace text toggle; a click flips the bound value.
class Toggle2 : public QAbstractButton {
public:
    Toggle2(const QString& label, const QString& help, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    void setColors(const ControlColors& c)
    {
        colors_ = c;
        update();
    }
    ControlColors colors() const { return colors_.value_or(ControlColors{}); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::optional<ControlColors> colors_;
};

// Rounded frame around one content widget; border turns to danger while invalid.
class FieldBox : public QFrame {
public:
    explicit FieldBox(QWidget* content, QWidget* parent = nullptr);
    void setInvalid(bool invalid);
    bool isInvalid() const { return invalid_; }
    QColor borderColor() const { return invalid_ ? colors().danger : colors().line; }
    void setColors(const ControlColors& c)
    {
        colors_ = c;
        update();
    }
    ControlColors colors() const { return colors_.value_or(ControlColors{}); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool invalid_ = false;
    std::optional<ControlColors> colors_;
};

// Filled 7×7 colour dot.
class TagDot : public QWidget {
public:
    explicit TagDot(const QColor& color, QWidget* parent = nullptr);
    QColor color() const { return color_; }
    void setColor(const QColor& c)
    {
        color_ = c;
        update();
    }
    QSize sizeHint() const override { return {7, 7}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor color_;
};

// Growing plain-text field: Return submits, Shift+Return breaks the line,
// Escape cancels, Tab moves focus. Height follows the text between 26 and 96.
class MultilineField : public QPlainTextEdit {
public:
    explicit MultilineField(QWidget* parent = nullptr);
    std::function<void()> onSubmit;
    std::function<void()> onEscape;
    std::function<void(const QString&)> onTextChanged;
    std::function<void(int)> onHeightChanged;
    // Replaces the text only when the model's value differs from what is shown.
    void setBoundText(const QString& text);
    // A new token focuses the field and selects all of it; the same token does nothing.
    void setFocusToken(int token);
    int wantedHeight() const;
    void setInvalid(bool invalid) { invalid_ = invalid; }
    bool isInvalid() const { return invalid_; }
    void setPlaceholder(const QString& t, const QColor& c)
    {
        placeholderColor_ = c;
        setPlaceholder(t);
    }
    // In the palette's tertiary colour. Its first part ("查找" of "查找 · ⇧↵ 换行") names the field.
    void setPlaceholder(const QString& t)
    {
        placeholder_ = t;
        setAccessibleName(t.section(QStringLiteral(" · "), 0, 0).trimmed());
        viewport()->update();
    }
    QString placeholder() const { return placeholder_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    // QWidget's on purpose: QPlainTextEdit's would keep Tab for itself.
    bool focusNextPrevChild(bool next) override
    {
        return QWidget::focusNextPrevChild(next);  // NOLINT(bugprone-parent-virtual-call)
    }

private:
    void measure();
    int lastToken_ = 0;
    int height_ = 26;
    bool invalid_ = false;
    QString placeholder_;
    std::optional<QColor> placeholderColor_;
};
