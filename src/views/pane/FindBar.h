#pragma once

#include "core/Doc.h"
#include "views/pane/PaneParts.h"

class WindowModel;
class EditorCache;
class EditorController;
class FieldBox;
class IconButton;
class MultilineField;
class TextButton;
class Toggle2;

// Find and replace over the active document: labelled multi-line fields, the three
// switches, the position, navigation and the replace row.
class FindBar : public PaneBar {
    Q_OBJECT
public:
    FindBar(WindowModel& model, EditorCache& editors, QWidget* parent);
    void setDoc(const DocPtr& doc);
    void refresh();

    MultilineField* findField() const { return find_; }
    MultilineField* replaceField() const { return replace_; }
    FieldBox* findBox() const { return findBox_; }
    QLabel* status() const { return status_; }
    IconButton* expandButton() const { return expand_; }
    QWidget* replaceRow() const { return replaceRow_; }

private:
    EditorController* editor() const;

    WindowModel& model_;
    EditorCache& editors_;
    DocPtr doc_;
    MultilineField* find_;
    MultilineField* replace_;
    FieldBox* findBox_;
    FieldBox* replaceBox_;
    Toggle2* case_;
    Toggle2* word_;
    Toggle2* regex_;
    ColorLabel* status_;
    IconButton* expand_;
    QWidget* replaceRow_;
    ColorLabel* replaceLabel_;
};
