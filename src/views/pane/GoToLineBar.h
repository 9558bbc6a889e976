#pragma once

#include "core/Doc.h"
#include "views/pane/PaneParts.h"

#include <optional>

class EditorCache;
class FieldBox;
class QLineEdit;

// The small "转到行" field of the pane: a line, or line and column; Return
// jumps and closes it, Escape closes it. The keyboard goes back to the editor.
class GoToLineBar : public PaneBar {
    Q_OBJECT
public:
    struct Target {
        int line;                   // 1-based
        std::optional<int> column;  // 1-based
        bool operator==(const Target&) const = default;
    };
    // "12", "12:5" (also with a full-width colon or a comma); none for anything else.
    static std::optional<Target> parse(const QString& text);

    GoToLineBar(EditorCache& editors, QWidget* parent);
    void setDoc(const DocPtr& doc);
    // Shows the bar with the caret's line filled in and selected.
    void open();
    void close();
    QLineEdit* field() const { return field_; }

private:
    void jump();

    EditorCache& editors_;
    DocPtr doc_;
    QLineEdit* field_;
    FieldBox* box_;
};
