#pragma once

#include "core/Doc.h"
#include "views/pane/PaneParts.h"

#include <QPointer>
#include <QSplitter>
#include <functional>

class WindowModel;
class CodeTextView;
class EditorCache;
class PreviewPane;
class QStackedWidget;
class QTimer;

// Validation of the document under the editor: first problem and the count, or "格式正确".
class DiagnosticStrip : public PaneBar {
    Q_OBJECT
public:
    explicit DiagnosticStrip(QWidget* parent);
    void show(const Doc& doc);
    // A click on the strip while it shows a problem.
    std::function<void()> onClick;
    QLabel* text() const { return text_; }
    QLabel* count() const { return count_; }

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    ColorLabel* text_;
    ColorLabel* count_;
    bool problem_ = false;
};

// The editor column (editors of all shown documents stacked, the caret badge and the
// diagnostic strip) beside the preview, as the document's mode asks. Editors belong to
// their controllers: the area only stacks them, it never deletes one.
class EditorArea : public QSplitter {
    Q_OBJECT
public:
    EditorArea(WindowModel& model, EditorCache& editors, QWidget* parent);
    void setDoc(const DocPtr& doc);
    // Follows the document's mode, diagnostics and the caret count.
    void refresh();

    QWidget* editorColumn() const { return column_; }
    QStackedWidget* editorStack() const { return stack_; }
    // Made in a turn of its own once a document first wants it; null until then.
    PreviewPane* preview() const { return preview_; }
    DiagnosticStrip* strip() const { return strip_; }
    // The source line at the top of the editor, fractional inside a wrapped line.
    static double topSourceLine(CodeTextView& view);
    // Moves the caret to the start of a line, scrolls it into view and gives the editor the keyboard.
    void revealLine(int line);
    QLabel* badge() const { return badge_; }

protected:
    QSplitterHandle* createHandle() override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void showEditor();
    void makePreview();
    void placeBadge();
    // In split mode the preview follows the shown editor's scrolling.
    void watchScrolling();
    void followEditor();
    // Starts the browser engine while idle when an open document has a preview.
    void scheduleWarmUp();
    // Loads the engine's module, then starts the engine in a turn of its own:
    // in one, the two would hold the window too long.
    void warmUp(const std::function<void()>& then = {});

    WindowModel& model_;
    EditorCache& editors_;
    DocPtr doc_;
    QWidget* column_;
    QStackedWidget* stack_;
    DiagnosticStrip* strip_;
    QLabel* badge_;
    PreviewPane* preview_ = nullptr;
    QTimer* warmUp_;
    bool previewQueued_ = false;
    bool editorShown_ = false;
    QPointer<CodeTextView> followed_;
    QMetaObject::Connection scrollLink_;
};
