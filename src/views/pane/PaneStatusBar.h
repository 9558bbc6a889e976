#pragma once

#include "core/Doc.h"
#include "views/pane/PaneParts.h"

#include <functional>

class AppModel;
class TextButton;

// Caret position, validation and the encoding, line-ending and format buttons.
class PaneStatusBar : public PaneBar {
    Q_OBJECT
public:
    PaneStatusBar(AppModel& model, const std::function<void(const QString&, QWidget*)>& reportAnchor, QWidget* parent);
    void setDoc(const DocPtr& doc);
    void refresh();

    QLabel* caret() const { return caret_; }
    QLabel* validation() const { return valid_; }
    TextButton* encodingButton() const { return encoding_; }
    TextButton* eolButton() const { return eol_; }
    TextButton* formatButton() const { return format_; }

private:
    AppModel& model_;
    DocPtr doc_;
    ColorLabel* caret_;
    ColorLabel* valid_;
    TextButton* encoding_;
    TextButton* eol_;
    TextButton* format_;
};
