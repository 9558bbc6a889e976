#pragma once

#include "core/Doc.h"
#include "editor/CodeTextView.h"
#include "views/pane/PaneParts.h"

#include <QPointer>
#include <functional>

class WindowModel;
class EditorCache;
class EditorController;
class TextButton;

// Caret position, validation and the encoding, line-ending and format buttons.
class PaneStatusBar : public PaneBar {
    Q_OBJECT
public:
    PaneStatusBar(WindowModel& model, EditorCache& editors,
                  const std::function<void(const QString&, QWidget*)>& reportAnchor, QWidget* parent);
    void setDoc(const DocPtr& doc);
    void refresh();

    QLabel* caret() const { return caret_; }
    QLabel* wordCount() const { return words_; }
    QLabel* validation() const { return valid_; }
    TextButton* encodingButton() const { return encoding_; }
    TextButton* eolButton() const { return eol_; }
    TextButton* formatButton() const { return format_; }

    // "行 L，列 C" and "（已选 N 字符）", or "（已选 L 行 N 字符）" over several
    // lines, and " · N 个光标" with several carets; UTF-16 columns.
    static QString caretReadout(const CodeTextView::CaretPlace& at, std::optional<int> carets);

private:
    void followEditor();
    void showCaret();
    void showWordCount();
    WindowModel& model_;
    EditorCache& editors_;
    DocPtr doc_;
    QPointer<EditorController> followed_;  // whose caret and 字数 are shown
    QList<QMetaObject::Connection> editorLinks_;
    ColorLabel* caret_;
    ColorLabel* words_;
    ColorLabel* valid_;
    TextButton* encoding_;
    TextButton* eol_;
    TextButton* format_;
};
