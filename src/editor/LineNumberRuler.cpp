#include "editor/LineNumberRuler.h"

#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"
#include "editor/Palette.h"

#include <QPainter>
#include <QPaintEvent>
#include <QTextBlock>

LineNumberRuler::LineNumberRuler(CodeTextView* view)
    : QWidget(view), view_(view), numberColor(QColor(0x8b929c)), dangerColor(Palette::danger().resolve())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LineNumberRuler::setErrorLines(const QSet<int>& lines)
{
    if (lines == errorLines_)
        return;
    errorLines_ = lines;
    update();
}

QList<LineNumberRuler::Label> LineNumberRuler::visibleLabels() const
{
    QList<Label> out;
    const int bottom = height();
    // Blocks are whole lines: a wrapped line is one block and gets one
    // number at its first visual line, even when that line is above the top.
    for (QTextBlock b = view_->firstVisible(); b.isValid(); b = b.next()) {
        if (!b.isVisible())
            continue;
        const QRectF r = view_->blockRect(b);
        if (r.top() > bottom)
            break;
        const int n = b.blockNumber() + 1;
        out.push_back({n, r.top(), errorLines_.contains(n)});
    }
    return out;
}

void LineNumberRuler::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(e->rect(), background.alpha() ? background : palette().color(QPalette::Base));
    const double size = view_->font().pixelSize() > 0 ? view_->font().pixelSize() : 13;
    const QFont font = AppFonts::mono(size);
    p.setFont(font);
    const QFontMetricsF fm(font);
    const QFontMetricsF viewFm(view_->font());
    for (const Label& l : visibleLabels()) {
        const QTextBlock b = view_->document()->findBlockByNumber(l.line - 1);
        const QTextLayout* layout = b.layout();
        const double lineHeight = layout && layout->lineCount() ? layout->lineAt(0).height() : viewFm.height();
        const QString text = QString::number(l.line);
        const double w = fm.horizontalAdvance(text);
        const double h = fm.height();
        const double box = std::min(viewFm.height() + 4, lineHeight);
        const double x = thickness - rightMargin - w;
        const double y = l.y + (std::min(box, lineHeight) - h) * 0.5;
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
