#include "editor/LineNumberRuler.h"

#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"
#include "editor/Palette.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

LineNumberRuler::LineNumberRuler(CodeTextView* view)
    : QWidget(view), numberColor(QColor(0x6c747f)), dangerColor(Palette::danger().resolve()), view_(view)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(thickness, 0);
}

void LineNumberRuler::setFolding(bool on)
{
    if (on == folding_)
        return;
    folding_ = on;
    sync();
}

void LineNumberRuler::setErrorLines(const QSet<int>& lines)
{
    if (lines == errorLines_)
        return;
    errorLines_ = lines;
    update();
}

QFont LineNumberRuler::numberFont() const
{
    return AppFonts::mono(view_->font().pixelSize() > 0 ? view_->font().pixelSize() : 13);
}

int LineNumberRuler::neededWidth() const
{
    const int digits = int(QString::number(std::max(1, view_->lineCount())).size());
    const QFontMetricsF fm(numberFont());
    // The number, its right margin and the dot 9 px left of it.
    const double w = fm.horizontalAdvance(QString(digits, QLatin1Char('0'))) + rightMargin + 9 + 3;
    return std::max(thickness, int(std::ceil(w))) + (folding_ ? foldColumn - 4 : 0);
}

void LineNumberRuler::sync()
{
    const int w = neededWidth();
    if (w != width()) {
        resize(w, height());
        emit widthChanged(w);
    }
    update();
}

QList<LineNumberRuler::Label> LineNumberRuler::visibleLabels() const
{
    using B = QsciScintillaBase;
    QList<Label> out;
    const long firstVisual = view_->SendScintilla(B::SCI_GETFIRSTVISIBLELINE);
    const int lineHeight = std::max(1, view_->lineHeight());
    const int lines = view_->lineCount();
    // Walks the visual lines on screen: a wrapped line is numbered once, at
    // its first visual line (even when that is above the top), and lines
    // hidden in a fold have none.
    for (long visual = firstVisual;;) {
        const long line = view_->SendScintilla(B::SCI_DOCLINEFROMVISIBLE, visual);
        if (line >= lines || line < 0)
            break;
        const long start = view_->SendScintilla(B::SCI_VISIBLEFROMDOCLINE, line);
        const double y = double(start - firstVisual) * lineHeight;
        if (y > height())
            break;
        const int n = int(line) + 1;
        Fold fold = Fold::none;
        if (folding_ && (view_->SendScintilla(B::SCI_GETFOLDLEVEL, line) & B::SC_FOLDLEVELHEADERFLAG))
            fold = view_->SendScintilla(B::SCI_GETFOLDEXPANDED, line) ? Fold::expanded : Fold::folded;
        out.push_back({n, y, errorLines_.contains(n), fold});
        const long next = start + std::max(1L, long(view_->SendScintilla(B::SCI_WRAPCOUNT, line)));
        if (next <= visual)
            break;
        visual = next;
    }
    return out;
}

int LineNumberRuler::foldAt(const QPointF& p) const
{
    if (!folding_ || p.x() < width() - foldColumn)
        return -1;
    const double lineHeight = std::max(1, view_->lineHeight());
    for (const Label& l : visibleLabels())
        if (l.fold != Fold::none && p.y() >= l.y && p.y() < l.y + lineHeight)
            return l.line - 1;
    return -1;
}

int LineNumberRuler::errorAt(const QPointF& p) const
{
    if (errorLines_.isEmpty() || (folding_ && p.x() >= width() - foldColumn))
        return -1;
    const double lineHeight = std::max(1, view_->lineHeight());
    for (const Label& l : visibleLabels())
        if (l.error && p.y() >= l.y && p.y() < l.y + lineHeight)
            return l.line;
    return -1;
}

void LineNumberRuler::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        if (const int line = foldAt(e->position()); line >= 0) {
            view_->toggleFold(line);
            e->accept();
            return;
        }
        if (const int line = errorAt(e->position()); line >= 0) {
            emit errorLineClicked(line);
            e->accept();
            return;
        }
    }
    QWidget::mousePressEvent(e);
}

void LineNumberRuler::mouseReleaseEvent(QMouseEvent* e)
{
    // The press on the fold column did the work.
    if (folding_ && e->position().x() >= width() - foldColumn)
        e->accept();
    else
        QWidget::mouseReleaseEvent(e);
}

void LineNumberRuler::mouseMoveEvent(QMouseEvent* e)
{
    setCursor(foldAt(e->position()) >= 0 || errorAt(e->position()) >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QWidget::mouseMoveEvent(e);
}

void LineNumberRuler::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(e->rect(), background.alpha() ? background : palette().color(QPalette::Base));
    const QFont font = numberFont();
    p.setFont(font);
    const QFontMetricsF fm(font);
    const double lineHeight = view_->lineHeight();
    for (const Label& l : visibleLabels()) {
        const QString text = QString::number(l.line);
        const double w = fm.horizontalAdvance(text);
        const double h = fm.height();
        const double x = width() - rightMargin - (folding_ ? foldColumn - 4 : 0) - w;
        const double y = l.y + (lineHeight - h) * 0.5;
        if (y > e->rect().bottom() || y + h < e->rect().top())
            continue;
        p.setPen(l.error ? dangerColor : numberColor);
        p.drawText(QPointF(x, y + fm.ascent()), text);
        if (l.error) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(dangerColor);
            p.drawEllipse(QRectF(x - 9, y + h * 0.5 - 2.5, 5, 5));
            p.setRenderHint(QPainter::Antialiasing, false);
        }
        if (l.fold != Fold::none) {
            // A chevron pointing down (open) or right (folded), centred on
            // the line in the fold column.
            const double cx = width() - foldColumn / 2.0 - 2;
            const double cy = l.y + lineHeight * 0.5;
            const double r = 3.5;
            QPainterPath path;
            if (l.fold == Fold::expanded) {
                path.moveTo(cx - r, cy - r * 0.5);
                path.lineTo(cx, cy + r * 0.5);
                path.lineTo(cx + r, cy - r * 0.5);
            } else {
                path.moveTo(cx - r * 0.5, cy - r);
                path.lineTo(cx + r * 0.5, cy);
                path.lineTo(cx - r * 0.5, cy + r);
            }
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(numberColor, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
            p.setRenderHint(QPainter::Antialiasing, false);
        }
    }
}
