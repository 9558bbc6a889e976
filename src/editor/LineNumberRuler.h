#pragma once

#include <QColor>
#include <QSet>
#include <QWidget>

class CodeTextView;

// The gutter of the editor: the number of every visible line, error lines
// in the danger colour with a dot, and for foldable text a chevron on each
// line that heads a fold (a click folds or unfolds it). Numbers come from
// Scintilla's line index, so a paint never counts line feeds from the start
// of the text; lines inside a fold are skipped.
class LineNumberRuler : public QWidget {
    Q_OBJECT
public:
    // The narrowest gutter; it widens when the numbers need more room.
    static constexpr int thickness = 46;
    static constexpr int rightMargin = 12;
    // The column of fold chevrons right of the numbers, when shown.
    static constexpr int foldColumn = 16;

    explicit LineNumberRuler(CodeTextView* view);

    const QSet<int>& errorLines() const { return errorLines_; }
    // Repaints only when the set differs.
    void setErrorLines(const QSet<int>& lines);
    QColor background = Qt::transparent;
    QColor numberColor;
    QColor dangerColor;

    // Shows the fold column (the text sets fold levels).
    void setFolding(bool on);
    bool folding() const { return folding_; }

    enum class Fold { none, expanded, folded };
    struct Label {
        int line;
        double y;  // top of the label's first visual line, ruler coordinates
        bool error;
        Fold fold = Fold::none;
    };
    // What a paint of the current viewport draws, in order.
    QList<Label> visibleLabels() const;
    // Width that fits the largest number with its error dot.
    int neededWidth() const;
    // Adapts the width to the line count and repaints.
    void sync();
    // The numbers' face, sized like the text's.
    QFont numberFont() const;

    QSize sizeHint() const override { return QSize(width(), 0); }

signals:
    void widthChanged(int width);
    // The number of an error line was clicked (1-based line).
    void errorLineClicked(int line);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    // The header line whose chevron is at the point, or -1.
    int foldAt(const QPointF& p) const;
    // The error line whose label is at the point, or -1.
    int errorAt(const QPointF& p) const;

    CodeTextView* view_;
    QSet<int> errorLines_;
    bool folding_ = false;
};
