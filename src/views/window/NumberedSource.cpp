#include "views/window/NumberedSource.h"

#include <QColor>
#include <QFontMetricsF>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

namespace NumberedSource {

std::unique_ptr<QTextDocument> build(const QString& text, const QFont& font, int tabWidth)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(font);
    const QFontMetricsF metrics(font);
    QTextOption option = doc->defaultTextOption();
    option.setTabStopDistance(metrics.horizontalAdvance(QLatin1Char(' ')) * tabWidth);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc->setDefaultTextOption(option);

    QStringList lines = text.split(QLatin1Char('\n'));
    // A final line break starts no line of its own on paper.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    const int digits = int(QString::number(lines.size()).size());
    const qreal gutter = metrics.horizontalAdvance(QString(digits + 2, QLatin1Char('0')));
    QTextBlockFormat block;
    block.setLeftMargin(gutter);
    block.setTextIndent(-gutter);
    QTextCharFormat number;
    number.setForeground(QColor(0x6e, 0x74, 0x7c));
    const QTextCharFormat plain;
    QTextCursor cursor(doc.get());
    cursor.beginEditBlock();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == 0)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block);
        cursor.insertText(QString::number(i + 1).rightJustified(digits) + QStringLiteral("  "), number);
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        cursor.insertText(line, plain);
    }
    cursor.endEditBlock();
    return doc;
}

}
