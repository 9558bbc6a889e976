#pragma once

#include "core/FindEngine.h"

#include <QColor>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <functional>
#include <optional>
#include <vector>

class LineNumberRuler;

// The plain-text view of a document. Besides ordinary editing it can edit
// at one caret per line at once (multi-caret mode), and it paints the
// editor's temporary highlights (error lines, find matches) as decorations
// that never enter the document or its undo history.
class CodeTextView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CodeTextView(QWidget* parent = nullptr);
    ~CodeTextView() override;

    // ---- Multi-caret editing ----
    const std::optional<std::vector<int>>& carets() const { return carets_; }
    // Always repaints and reports through onCaretsChange.
    void setCarets(std::optional<std::vector<int>> carets);
    void clearCarets() { setCarets(std::nullopt); }
    // One caret at the end of every line the selection touches; false when
    // nothing is selected.
    bool splitSelectionIntoLines();

    std::function<void(std::optional<int>)> onCaretsChange;
    std::function<void()> onEscape;
    QColor caretColor;

    // Batch operations at every caret (also reachable from the keyboard).
    void multiInsert(const QString& text);
    void multiDeleteBackward();
    void multiDeleteForward();
    void multiPaste(const QString& clipboard);
    enum class Move { left, right, lineStart, lineEnd };
    void multiMove(Move m);

    // ---- Decorations ----
    struct Highlights {
        std::vector<TextRange> matches;  // sorted, non-overlapping
        int current = -1;
        QList<int> errorBlocks;  // 0-based block numbers, sorted
        QColor mark, markCurrent, errorLine;
    };
    void setHighlights(Highlights h);
    const Highlights& highlights() const { return highlights_; }

    LineNumberRuler* ruler() const { return ruler_; }
    // The paste and drop path, for callers that hold mime data already.
    void insertFromMimeDataForTest(const QMimeData* source) { insertFromMimeData(source); }
    // The document's text exactly as stored (no space for no-break space).
    QString text() const;
    // Text of a span of the document, block breaks as line feeds.
    QString textIn(int start, int length) const;

    // Scrolls so that the range is visible without moving the selection.
    void revealRange(int start, int length);

    // Geometry used by the gutter.
    QRectF blockRect(const QTextBlock& block) const;
    QTextBlock firstVisible() const { return firstVisibleBlock(); }
    QPointF offset() const { return contentOffset(); }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void insertFromMimeData(const QMimeData* source) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool event(QEvent* e) override;

private:
    struct Edit {
        int start;
        int length;
        QString text;
    };
    void applyEdits(const std::vector<Edit>& edits);
    int lineStartOf(int pos) const;
    int lineEndOf(int pos) const;
    QChar charAt(int pos) const;
    void onContentsChange(int pos, int removed, int added);
    void paintHighlights(QPainter& p, const QRect& clip);
    void paintCarets(QPainter& p, const QRect& clip);
    QRectF caretRect(int pos) const;

    std::optional<std::vector<int>> carets_;
    bool editingCarets_ = false;
    Highlights highlights_;
    LineNumberRuler* ruler_ = nullptr;
};
