#pragma once

#include "core/Doc.h"
#include "views/pane/PaneParts.h"

class EditorCache;
class TextButton;

// The format plugin's actions (format, compact, …) for the document.
class ActionBar : public PaneBar {
    Q_OBJECT
public:
    ActionBar(EditorCache& editors, QWidget* parent);
    void setDoc(const DocPtr& doc);
    // Follows a change of the document's format.
    void refresh();
    QList<TextButton*> buttons() const { return buttons_; }
    // Runs the plugin action of that index through the editor, as one undoable edit.
    void run(int index);

private:
    EditorCache& editors_;
    DocPtr doc_;
    QString pluginID_;
    ColorLabel* title_;
    QList<TextButton*> buttons_;
};
