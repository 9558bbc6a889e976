#pragma once

#include "core/Doc.h"
#include "core/FindEngine.h"
#include "editor/CodeTextView.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <vector>

class AppModel;
class CodeTextView;
class LineNumberRuler;

// Owns one document's editor: keeps the view's text and Doc.text equal in
// both directions, applies the user's style, paints error lines and find
// matches as decorations, reports the caret and carries out find and
// replace. Survives switching documents, so undo, selection, scroll
// position and carets stay with the document.
class EditorController : public QObject {
    Q_OBJECT
public:
    // Texts at least this long are filled in slices so the window stays
    // responsive, without undo recording.
    static constexpr qsizetype sliceThreshold = 4 * 1024 * 1024;
    static constexpr int highlightDelayMSecs = 60;
    // In texts at least sliceThreshold long, edits reach Doc.text this long
    // after the last keystroke (or before any other command), because each
    // write of the whole text costs a full copy.
    static constexpr int largeSyncDelayMSecs = 250;

    EditorController(DocPtr doc, AppModel& model);
    ~EditorController() override;

    const DocPtr& doc() const { return doc_; }
    CodeTextView* textView() const { return view_; }
    LineNumberRuler* ruler() const;
    // The widget a pane shows (the text view is its own scroll area).
    QWidget* widget() const;

    void applyStyle();
    bool isActive() const;
    void scheduleHighlights(bool resetIndex);
    void refreshHighlights(bool resetIndex);
    void updateCaretInfo();
    void toggleMultiCaret();
    void exitMultiCaret();
    void focus();
    QString selectedText() const;
    void loadFromDoc();
    // Replaces the whole text as one undoable edit.
    void replaceAll(const QString& text);
    void step(int delta);
    void reveal();
    void replaceCurrent();
    void replaceEverything();

    const std::vector<TextRange>& matches() const { return matches_; }
    bool wrapping() const { return wrapping_; }
    bool isLoading() const { return loadPos_ >= 0; }
    // Share of a sliced load done, 0 to 1.
    double loadProgress() const;
    bool highlightPending() const { return highlightWork_.isActive(); }
    // Writes edits not yet in Doc.text (large texts only).
    void flushSync();
    bool syncPending() const { return !pendingEdits_.empty() || pendingFull_; }

    // "行 L，列 C" and "（已选 N 字符）", UTF-16 columns.
    static QString caretDescription(int line, int column, int selectionLength);

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void loadingChanged(bool loading);

private:
    void textDidChange(int pos, int removed, int added);
    void startLoad(const QString& text);
    void loadSlice();
    void finishLoad();
    void setFindIndex(int i);
    void paintHighlights();
    void editRange(int start, int length, const QString& text);

    DocPtr doc_;
    AppModel& model_;
    QPointer<CodeTextView> view_;
    bool syncing_ = false;
    bool applying_ = false;  // the controller itself is writing the view
    QTimer highlightWork_;
    bool pendingReset_ = false;
    std::vector<TextRange> matches_;
    bool wrapping_ = false;
    // Matches are searched again only when the text or the query changed.
    quint64 textVersion_ = 0;
    quint64 matchedVersion_ = ~quint64(0);
    FindOptions matchedOptions_;
    // Sliced load state.
    QString loadText_;
    qsizetype loadPos_ = -1;
    QTimer loadWork_;
    QList<QMetaObject::Connection> bag_;
    struct PendingEdit {
        int pos;
        int removed;
        QString inserted;
    };
    std::vector<PendingEdit> pendingEdits_;
    bool pendingFull_ = false;
    QTimer syncWork_;
    void writeDoc(const QString& text);
};
