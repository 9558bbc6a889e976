#pragma once

#include "core/Doc.h"
#include "core/EditorLink.h"
#include "editor/CodeTextView.h"
#include "editor/FindWorker.h"
#include "text/FindEngine.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <vector>

class AppModel;
class EditorHost;
class QImage;
class CodeTextView;
class WordCounter;
class EditorContextMenu;
struct PluginAction;
class LineNumberRuler;
class SyntaxStyler;

// Owns one document's editor: keeps the view's text and Doc.text equal in
// both directions, applies the user's style, paints error lines and find
// matches as decorations, reports the caret and carries out find and
// replace. Survives switching documents, so undo, selection, scroll
// position and carets stay with the document.
class EditorController : public QObject {
    Q_OBJECT
public:
    static constexpr int highlightDelayMSecs = 60;
    // Analysis of an edited text starts after this long without edits.
    static constexpr int analysisDelayMSecs = 250;
    // Texts this long are searched and replaced on a worker (tests lower it).
    static inline qsizetype searchAsideBytes = qsizetype(1) << 20;

    EditorController(DocPtr doc, AppModel& model, EditorHost& host);
    ~EditorController() override;

    const DocPtr& doc() const { return doc_; }
    AppModel& model() const { return model_; }
    EditorHost& host() const { return host_; }
    CodeTextView* textView() const { return view_; }
    LineNumberRuler* ruler() const;
    SyntaxStyler* syntax() const { return syntax_; }
    // The widget a pane shows (the text view is its own scroll area).
    QWidget* widget() const;

    void applyStyle();
    bool isActive() const;
    void scheduleHighlights(bool resetIndex);
    void refreshHighlights(bool resetIndex);
    // "字数 120" for the status bar, "字数 12 / 120" with a selection.
    QString wordCount() const;
    void toggleMultiCaret();
    void exitMultiCaret();
    void focus();
    // Caret to the problem's line and column, scrolled into view, keyboard in the editor.
    void revealDiagnostic(const Diagnostic& d);
    QString selectedText() const;
    void loadFromDoc();
    // Replaces the whole text as one undoable edit.
    void replaceAll(const QString& text);
    // Runs one of the format's actions over the whole text; a failure is
    // shown and changes nothing.
    void runAction(const PluginAction& action);
    EditorContextMenu* contextMenu() const { return contextMenu_; }
    void step(int delta);
    void reveal();
    // Puts the caret at a line and column (1-based, clamped into the text)
    // and scrolls it into view.
    void goToLine(int line, int column = 1);
    // The caret's line and column and the first line shown, and putting them back
    // (clamped into the text as it is now).
    EditorPlace place() const;
    void restorePlace(const EditorPlace& place);
    // Selects the current match with the caret at its end; nothing without one.
    void selectCurrentMatch();
    void replaceCurrent();
    void replaceEverything();

    const std::vector<TextRange>& matches() const { return matches_; }
    bool wrapping() const { return wrapping_; }
    // A document with a line longer than CodeTextView::longLine is shown
    // without colours, folds and wrapping, its long lines cut; the pane
    // says so until the notice is dismissed.
    bool safeDisplay() const { return safe_; }
    bool safeNoticePending() const { return safe_ && !safeNoticeDismissed_; }
    void dismissSafeNotice() { safeNoticeDismissed_ = true; }
    static QString safeNoticeText();
    // Whether a buffer for this format and size keeps a style byte per byte
    // (plain text only while small, so that renaming it can colour it).
    static bool wantsStyleBytes(const QString& pluginID, qsizetype bytes);
    bool highlightPending() const { return highlightWork_.isActive(); }

    // A picture pasted into a Markdown document is stored beside it and
    // linked at the caret (a document never saved is saved first); other
    // formats say they cannot take one.
    void pasteImage(const QImage& image);
    // Links to picture files dropped at a point of the text's viewport.
    void dropImages(const QStringList& files, const QPoint& viewportPoint);

signals:
    void wordCountChanged();
    // The caret or the selection moved (textView()->caretPlace() says where).
    void caretMoved();
    // Long lines turned colouring off: the notice about it is due.
    void safeDisplayEntered();

private:
    // Stores the picture beside the saved document and links it at the caret.
    void storeImage(const QImage& image);
    // Makes the view's buffer the document's live text.
    void attachText();
    void textDidChange();
    void setFindIndex(int i);
    void flushHighlights();
    // The matches of the current text and query, waiting for a search
    // still running on the worker.
    void searchNow(bool resetIndex);
    bool searchRunningFor(const FindOptions& opts) const;
    void searchAside(const FindOptions& opts, bool resetIndex);
    void searchCopy(TextCopy copy);
    void stopSearch();
    void finishReplaceAll(int count);
    void paintHighlights();
    void editRange(int start, int length, const QString& text);
    // The format the text is coloured as: none in the safe display.
    QString styledFormat() const;
    bool fill();
    void enterSafeDisplay();

    DocPtr doc_;
    AppModel& model_;
    EditorHost& host_;
    QPointer<CodeTextView> view_;
    WordCounter* words_ = nullptr;              // owned by the view
    SyntaxStyler* syntax_ = nullptr;            // owned by the view
    EditorContextMenu* contextMenu_ = nullptr;  // owned by the view
    bool syncing_ = false;
    bool applying_ = false;  // the controller itself is writing the view
    QTimer highlightWork_;
    QTimer analysisWork_;
    bool pendingReset_ = false;
    std::vector<TextRange> matches_;
    bool wrapping_ = false;
    bool safe_ = false;
    bool safeNoticeDismissed_ = false;
    // Matches are searched again only when the text or the query changed.
    quint64 textVersion_ = 0;
    quint64 matchedVersion_ = ~quint64(0);
    FindOptions matchedOptions_;
    FindWorker* finder_ = nullptr;    // matches of big texts
    FindWorker* replacer_ = nullptr;  // replace all in big texts
    quint64 searchVersion_ = 0;
    FindOptions searchOptions_;
    bool searchReset_ = false;
    bool searchCopying_ = false;  // waiting for the text's copy
    quint64 searchTicket_ = 0;    // a copy for an older request is dropped
    quint64 replaceTicket_ = 0;
    QList<QMetaObject::Connection> bag_;
};
