#pragma once

#include <QColor>
#include <QSet>
#include <QWidget>

class CodeTextView;

// The gutter of the editor: the number of every visible line, error lines
// in the danger colour with a dot. Numbers come from Scintilla's line
// index, so a paint never counts line feeds from the start of the text.
class LineNumberRuler : public QWidget {
    Q_OBJECT
public:
    // The narrowest gutter; it widens when the numbers need more room.
    static constexpr int thickness = 46;
    static constexpr int rightMargin = 12;

    explicit LineNumberRuler(CodeTextView* view);

    const QSet<int>& errorLines() const { return errorLines_; }
    // Repaints only when the set differs.
    void setErrorLines(const QSet<int>& lines);
    QColor background = Qt::transparent;
    QColor numberColor;
    QColor dangerColor;

    struct Label {
        int line;
        double y;  // top of the label's first visual line, ruler coordinates
        bool error;
    };
    // What a paint of the current viewport draws, in order.
    QList<Label> visibleLabels() const;
    // Width that fits the largest number with its error dot.
    int neededWidth() const;
    // Adapts the width to the line count and repaints.
    void sync();

    QSize sizeHint() const override { return QSize(width(), 0); }

signals:
    void widthChanged(int width);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QFont numberFont() const;

    CodeTextView* view_;
    QSet<int> errorLines_;
};
