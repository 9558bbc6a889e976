#pragma once

#include <QWidget>

class AppModel;
class QLabel;
class TextButton;
class QSlider;
class QComboBox;
class QCheckBox;

// Appearance, editor colour scheme, font size and family, and whether blanks
// show; every change applies at once.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    explicit SettingsView(AppModel& model, QWidget* parent = nullptr);
    // Shows the model's current settings.
    void sync();

    QList<TextButton*> appearanceButtons() const { return appearance_; }
    QSlider* fontSlider() const { return slider_; }
    QLabel* fontCaption() const { return sizeCaption_; }
    QComboBox* fontFamilies() const { return family_; }
    QCheckBox* whitespace() const { return whitespace_; }

private:
    void syncFamilies(const QString& chosen);

    AppModel& model_;
    QList<TextButton*> appearance_;
    QWidget* schemes_;
    QSlider* slider_;
    QLabel* sizeCaption_;
    QComboBox* family_;
    QCheckBox* whitespace_;
};
