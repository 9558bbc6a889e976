#pragma once

#include <QWidget>

class AppModel;
class QLabel;
class TextButton;
class QSlider;

// Appearance, editor colour scheme and font size; every change applies at once.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    explicit SettingsView(AppModel& model, QWidget* parent = nullptr);
    // Shows the model's current settings.
    void sync();

    QList<TextButton*> appearanceButtons() const { return appearance_; }
    QSlider* fontSlider() const { return slider_; }
    QLabel* fontCaption() const { return sizeCaption_; }

private:
    AppModel& model_;
    QList<TextButton*> appearance_;
    QWidget* schemes_;
    QSlider* slider_;
    QLabel* sizeCaption_;
};
