#pragma once

#include "core/Doc.h"
#include "views/pane/PaneParts.h"

#include <QPointer>
#include <functional>

class AppModel;
class EditorCache;
class EditorController;
class TextButton;

// Caret position, validation and the encoding, line-ending and format buttons.
class PaneStatusBar : public PaneBar {
    Q_OBJECT
public:
    PaneStatusBar(AppModel& model, EditorCache& editors,
                  const std::function<void(const QString&, QWidget*)>& reportAnchor, QWidget* parent);
    void setDoc(const DocPtr& doc);
    void refresh();

    QLabel* caret() const { return caret_; }
    QLabel* wordCount() const { return words_; }
    QLabel* validation() const { return valid_; }
    TextButton* encodingButton() const { return encoding_; }
    TextButton* eolButton() const { return eol_; }
    TextButton* formatButton() const { return format_; }

private:
    void followWordCount();
    AppModel& model_;
    EditorCache& editors_;
    DocPtr doc_;
    QPointer<EditorController> counted_;  // whose 字数 is shown
    QMetaObject::Connection countChanged_;
    ColorLabel* caret_;
    ColorLabel* words_;
    ColorLabel* valid_;
    TextButton* encoding_;
    TextButton* eol_;
    TextButton* format_;
};
