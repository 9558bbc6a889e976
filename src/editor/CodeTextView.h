#pragma once

#include "editor/TypingAids.h"
#include "text/FindEngine.h"
#include "text/LineCommands.h"

#include <Qsci/qsciscintillabase.h>

#include <QColor>
#include <QInputMethodEvent>
#include <QList>
#include <QPoint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class LineNumberRuler;
class UndoSteps;
class QMimeData;

// The plain-text view of a document, on Scintilla. Scintilla keeps UTF-8
// and counts bytes; every position this class takes or returns is a UTF-16
// code unit offset (a QString index). Besides ordinary editing it can edit
// at one caret per line at once (multi-caret mode), and it shows the
// editor's temporary highlights (error lines, find matches) as markers and
// indicators that never enter the text or its undo history.
class BufferLoader;

class CodeTextView : public QsciScintillaBase {
    Q_OBJECT
public:
    // Above this many bytes Scintilla reports only the "before" change
    // notifications: the wrapper's accessibility hook converts positions
    // from the start of the text on every other one.
    static constexpr qsizetype quietThreshold = 1 << 20;
    // Positions this close to the start are converted without the UTF-16
    // position index.
    static constexpr qsizetype indexlessSpan = 1 << 20;
    // Bytes of a line that are laid out and shown: Scintilla measures every
    // character of a line it shows, so a longer line shows only its first
    // part, at a cost that does not grow with the line.
    static constexpr qsizetype longLine = 64 << 10;

    explicit CodeTextView(QWidget* parent = nullptr);
    ~CodeTextView() override;

    // ---- Text ----
    // Replaces the text without recording undo (loading).
    void setPlainText(const QString& text);
    // The same from valid UTF-8, handed to the buffer in one piece.
    void setUtf8(const QByteArray& bytes);
    // Takes over a document filled on another thread (nothing is copied).
    void adopt(const BufferLoader& buffer);
    // Replaces the whole text as one undo step.
    void replaceWhole(const QString& text);
    void replaceWholeUtf8(const QByteArray& bytes);
    // Replaces a range as one undo step.
    void replaceRange(int start, int length, const QString& text);
    // Replaces the selection with the text as one undo step, as a paste does.
    void insertAtCaret(const QString& text);
    // Puts the caret where the point of the viewport lies in the text.
    void placeCaretAt(const QPoint& viewportPoint);
    QString text() const;
    // A copy of the buffer's UTF-8 bytes: no conversion.
    QByteArray utf8() const;
    // Copies `n` bytes from byte `from` into `out`, without moving the gap.
    void copyBytes(qsizetype from, qsizetype n, char* out) const;
    // The first byte changed since the last call (a huge value when none).
    qsizetype takeEditedFrom();
    QString toPlainText() const { return text(); }
    QString textIn(int start, int length) const;
    // The text up to the end of the `count`-th non-empty line (or all of it).
    QString leadingLines(int count) const;
    int length() const;
    qsizetype byteLength() const;
    // Whether a line of the text is longer than longLine bytes.
    static bool hasLongLine(QStringView text);
    static bool hasLongLine(QByteArrayView utf8);
    // Whether the caret's line is longer than longLine bytes.
    bool caretLineIsLong() const;
    // Called after every change of the text, once per edit operation.
    std::function<void()> onTextChange;
    // Called when the ordinary selection or caret moved.
    std::function<void()> onSelectionChange;
    // Called for a paste of a picture without any text; nothing is inserted here.
    std::function<void(const QImage&)> onImagePaste;

    bool canUndo() const;
    bool canRedo() const;
    // Whether the text differs from the last save point; an open
    // composition of the input method does not count.
    bool isModified() const;
    // Whether the input method is composing: its text shows in the view
    // but is no part of the text, its positions or its length.
    bool composing() const { return preedit_.from >= 0; }
    // Marks the text as saved; a composition open meanwhile stays open.
    void setSavePoint();
    void setReadOnly(bool ro);
    bool isReadOnly() const;

    // ---- Positions (UTF-16) ----
    int lineCount() const;
    // The first and last document lines on screen (lines hidden in a fold skipped).
    std::pair<long, long> shownLines() const;
    int lineOf(int pos) const;      // 0-based
    int lineStart(int line) const;  // 0-based line
    int lineEnd(int line) const;    // before the line feed
    int cursorPosition() const;
    int anchorPosition() const;
    int selectionStart() const { return std::min(cursorPosition(), anchorPosition()); }
    int selectionEnd() const { return std::max(cursorPosition(), anchorPosition()); }
    void setSelection(int anchor, int caret);
    void setCursorPosition(int pos) { setSelection(pos, pos); }
    // Byte offset in the buffer of a UTF-16 position and back.
    qsizetype toByte(int pos) const;
    int toUtf16(qsizetype byte) const;

    // ---- Multi-caret editing ----
    const std::optional<std::vector<int>>& carets() const { return carets_; }
    // Always repaints and reports through onCaretsChange.
    void setCarets(std::optional<std::vector<int>> carets);
    // Every selection: the carets with what each selects, or the ordinary
    // selection; sorted by position.
    std::vector<Span> spans() const;
    bool hasSelectedText() const;
    // One span is the ordinary selection; more put a caret, and what it
    // selects, at each (the ordinary selection is the last of them).
    void setSpans(std::vector<Span> spans);
    // Makes the edits as one undo step and selects what the plan says.
    void applyPlan(const EditPlan& plan);
    // The word at a position, or nothing between words.
    std::optional<Span> wordAt(int pos) const;
    enum class Occurrence { word, added, none, allSelected };
    // The word at each caret when nothing is selected; else adds the next
    // occurrence of the selected text after the last one added.
    Occurrence selectNextOccurrence();
    // Selects every occurrence of the selection or of the word at the caret;
    // how many.
    int selectAllOccurrences();
    void clearCarets() { setCarets(std::nullopt); }
    // One caret at the end of every line the selection touches; false when
    // nothing is selected.
    bool splitSelectionIntoLines();

    std::function<void(std::optional<int>)> onCaretsChange;
    std::function<void()> onEscape;
    // Right click, the Menu key or Shift+F10, with where the menu goes.
    std::function<void(QPoint)> onContextMenu;
    QColor caretColor;

    // Batch operations at every caret (also reachable from the keyboard).
    void multiInsert(const QString& text);
    // Typed text: a run of it at the same carets is one undo step, as
    // ordinary typing is.
    void multiType(const QString& text);
    void multiDeleteBackward();
    void multiDeleteForward();
    void multiPaste(const QString& clipboard);
    enum class Move { left, right, lineStart, lineEnd };
    void multiMove(Move m);

    // ---- Decorations ----
    struct Highlights {
        std::vector<TextRange> matches;  // sorted, non-overlapping
        int current = -1;
        QList<int> errorBlocks;  // 0-based line numbers, sorted
        QColor mark, markCurrent, errorLine;
    };
    void setHighlights(Highlights h);
    const Highlights& highlights() const { return highlights_; }
    // Byte ranges of the match indicators now in the buffer, for tests.
    int paintedMatchCount() const { return paintedCount_; }

    // ---- Look ----
    void setEditorFont(const QFont& font, int extraLineSpacing);
    void setColors(const QColor& background, const QColor& foreground, const QColor& selection);
    void setWrapping(bool on);
    bool wrapping() const { return wrapping_; }
    // Height of one visual line in pixels.
    int lineHeight() const;
    // Caret line and column (1-based, UTF-16) and the selection length;
    // needs no position index, so it stays cheap in huge texts.
    struct CaretPlace {
        int line, column, selected;
        int selectedLines = 1;  // lines the selection touches
    };
    CaretPlace caretPlace() const;

    LineNumberRuler* ruler() const { return ruler_; }
    UndoSteps* undoSteps() const { return undoSteps_; }
    // The format and indentation Enter, Tab, Backspace and pairs follow.
    void setTypingRules(const TypingRules& rules);
    const TypingRules& typingRules() const { return typingRules_; }
    // The paste and drop path, for callers that hold mime data already.
    void insertFromMimeDataForTest(const QMimeData* source) { pasteMime(source); }

    // Whether the buffer keeps a style byte per text byte, which colours
    // need. Changes only while the buffer is empty.
    void setStyleBytes(bool on);
    bool hasStyleBytes() const { return styleBytes_; }

    // Folds or unfolds the fold the line heads; a folded line ends in a
    // row of dots.
    void toggleFold(int line);

    // Scrolls so that the range is visible without moving the selection.
    void revealRange(int start, int length);

public slots:
    // The Edit menu reaches these by name on the focused widget.
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void selectAll();
    // Deletes what is selected, at every caret.
    void deleteSelection();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    QByteArray fromMimeData(const QMimeData* source, bool& rectangular) const override;

private:
    // Indicator for the carets' selections besides the ordinary one.
    static constexpr int spanIndicator = 10;
    using Edit = TextEdit;
    void applyEdits(const std::vector<Edit>& edits);
    // Replaces ranges (ascending, apart) as one undo step.
    void replaceRanges(const std::vector<Edit>& edits);
    void setCaretSpans(std::optional<std::vector<int>> carets, std::vector<int> anchors);
    // Marks what the carets other than the ordinary one select.
    void paintSpans();
    // Byte position of the needle's first match in [from, to), or -1.
    qsizetype searchBytes(const QByteArray& needle, qsizetype from, qsizetype to, bool wholeWord) const;
    void showContextMenuAtCaret();
    // Tab width and indentation belong to the buffer: set again on a new one.
    void applyIndent();
    void ordinaryKey(QKeyEvent* e);
    // Word motion by WordBreaks, read from a stretch of the caret's line.
    struct WordWindow {
        qsizetype from;   // byte where `text` starts
        QString text;     // part of one line around the byte
        qsizetype caret;  // the byte's place in `text`
    };
    WordWindow wordWindow(qsizetype byte) const;
    qsizetype wordStop(qsizetype byte, bool forward) const;
    bool wordKey(QKeyEvent* e);
    void selectWordAt(qsizetype byte);
    void pasteMime(const QMimeData* source);
    void onModified(int position, int type, const char* text, int length);
    // Whether a buffer change belongs to the composition, which is shown
    // but never reported.
    bool compositionChange(qsizetype position, int type, qsizetype length);
    void showComposition(QInputMethodEvent* e);
    void commitText(const QString& text);
    void commitAtCarets(const QString& text);
    void dropComposition();
    // Ends the composition before an edit from elsewhere (undo, redo).
    void cancelComposition();
    void finishChange();
    void countPendingInsert() const;
    void checkSelection();
    // Bulk edits run with the "before" notifications only.
    struct QuietEdits {
        explicit QuietEdits(CodeTextView* v);
        ~QuietEdits();
        CodeTextView* view;
        long mask;
    };
    void updateEventMask();
    void ensureIndex() const;
    qsizetype bufferBytes() const { return send(SCI_GETLENGTH); }
    // UTF-16 offsets of the text and of the buffer (which holds the
    // composition too) and back.
    qsizetype bufferUnits(qsizetype pos) const;
    int textUnits(qsizetype units) const;
    qsizetype unitsToByte(qsizetype units) const;
    qsizetype byteToUnits(qsizetype byte) const;
    void copyBufferBytes(qsizetype from, qsizetype n, char* out) const;
    // The buffer's bytes in [from, to) as text, the composition left out.
    QString decodeBuffer(qsizetype from, qsizetype to) const;
    // UTF-16 code units between two byte offsets.
    qsizetype unitsBetween(qsizetype from, qsizetype to) const;
    void releaseIndex();
    // Empties the buffer, lets `fill` append `bytes` bytes (`units` UTF-16
    // units) and starts over: no undo history, saved, caret at the start.
    void load(qsizetype bytes, qsizetype units, const std::function<void()>& fill);
    // The view's state for a text just put in place.
    void loaded(qsizetype units, bool readOnly);
    void paintMatches();
    void paintErrorLines();
    long send(unsigned msg, unsigned long w = 0, long l = 0) const { return SendScintilla(msg, w, l); }

    std::optional<std::vector<int>> carets_;
    // What each caret selects, or empty when none selects anything.
    std::vector<int> anchors_;
    bool spansPainted_ = false;
    // The occurrence added last, and whether occurrences must be whole words.
    std::optional<Span> lastAdded_;
    bool wholeWords_ = false;
    struct TypingRun {
        std::vector<Span> start;  // the selections before the run
        QString text;             // typed so far
        std::vector<int> after;   // the carets after it
        int length = 0;           // the text's length after it
    };
    std::optional<TypingRun> typingRun_;
    bool editingCarets_ = false;
    struct Composition {
        qsizetype from = -1;  // buffer byte where it starts, -1 when none
        qsizetype bytes = 0;
        qsizetype units = 0;
        qsizetype at = 0;  // UTF-16 offset of `from`
        bool modifiedBefore = false;
        bool couldUndo = false;
    };
    Composition preedit_;
    QString shownText_;  // the composition on show and its attributes
    QList<QInputMethodEvent::Attribute> shownAttributes_;
    // The engine's input method handler is putting up the composition.
    bool showingComposition_ = false;
    bool changed_ = false;        // a change waits to be reported
    bool foreignChange_ = false;  // ... and was not made by the carets
    bool quiet_ = false;
    bool loading_ = false;
    // A typed insertion whose UTF-16 length is not counted yet.
    mutable qsizetype pendingPos_ = -1, pendingLen_ = 0;
    qsizetype editedFrom_ = 0;
    bool wrapping_ = false;
    mutable bool indexed_ = false;
    mutable qsizetype utf16Length_ = 0;
    long seenCaret_ = -1, seenAnchor_ = -1;
    Highlights highlights_;
    QColor errorLineColor_;
    // Byte range of the lines the indicators were last laid over.
    qsizetype shownFrom_ = -1, shownTo_ = -1;
    bool matchesStale_ = true;
    int paintedCount_ = 0;
    LineNumberRuler* ruler_ = nullptr;
    UndoSteps* undoSteps_ = nullptr;
    TypingRules typingRules_;
    bool styleBytes_ = false;
    QPoint lastPress_;  // where the last click went, in the viewport
};
