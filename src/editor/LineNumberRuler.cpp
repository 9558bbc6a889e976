#include "editor/LineNumberRuler.h"

#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"
#include "editor/Palette.h"

#include <QPainter>
#include <QPaintEvent>
#include <cmath>

LineNumberRuler::LineNumberRuler(CodeTextView* view)
    : QWidget(view), view_(view), numberColor(QColor(0x8b929c)), dangerColor(Palette::danger().resolve())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(thickness, 0);
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
    return std::max(thickness, int(std::ceil(w)));
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
    QList<Label> out;
    const long firstVisual = view_->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    const int lineHeight = std::max(1, view_->lineHeight());
    const int lines = view_->lineCount();
    // A wrapped line is numbered once, at its first visual line, even when
    // that line is above the top.
    for (long line = view_->SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE, firstVisual); line < lines;
         ++line) {
        const long visual = view_->SendScintilla(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, line);
        const double y = double(visual - firstVisual) * lineHeight;
        if (y > height())
            break;
        const int n = int(line) + 1;
        out.push_back({n, y, errorLines_.contains(n)});
    }
    return out;
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
        const double x = width() - rightMargin - w;
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
    }
}
