#pragma once

#include <QWidget>
#include <optional>

class WindowModel;
class QLabel;
class TextButton;
class QSlider;
class QComboBox;
class QCheckBox;
class QVBoxLayout;

// Appearance, editor colour scheme, font size and family, whether blanks
// show and Han lines up with Latin, and each format's indentation and wrap;
// every change applies at once.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    explicit SettingsView(WindowModel& model, QWidget* parent = nullptr);
    // Shows the model's current settings.
    void sync();

    QList<TextButton*> appearanceButtons() const { return appearance_; }
    QSlider* fontSlider() const { return slider_; }
    QLabel* fontCaption() const { return sizeCaption_; }
    QComboBox* fontFamilies() const { return family_; }
    QCheckBox* whitespace() const { return whitespace_; }
    QCheckBox* evenHan() const { return evenHan_; }
    QCheckBox* webPictures() const { return webPictures_; }
    // The formats' chips, the level widths and spaces-or-tabs of the chosen one.
    QList<TextButton*> indentFormatButtons() const { return indentFormats_; }
    QList<TextButton*> indentWidthButtons() const { return indentWidths_; }
    QList<TextButton*> indentKindButtons() const { return indentKinds_; }
    // Whether the chosen format wraps by default.
    QCheckBox* formatWrap() const { return wrap_; }

private:
    void syncFamilies(const QString& chosen);
    void addIndentRows(QVBoxLayout* col);
    void setIndent(int width, std::optional<bool> tabs);

    WindowModel& model_;
    QList<TextButton*> appearance_;
    QWidget* schemes_;
    QSlider* slider_;
    QLabel* sizeCaption_;
    QComboBox* family_;
    QCheckBox* whitespace_;
    QCheckBox* evenHan_;
    QCheckBox* webPictures_;
    QCheckBox* wrap_;
    QList<TextButton*> indentFormats_, indentWidths_, indentKinds_;
    QString indentFormat_ = QStringLiteral("markdown");
};
