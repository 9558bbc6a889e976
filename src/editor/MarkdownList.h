#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// A Markdown list item or quote line, as far as continuing it goes.
struct MarkdownListLine {
    QString indent;     // blanks before everything
    QString quote;      // "> " markers, blanks after each included
    QString bullet;     // "-", "*" or "+"; empty for a numbered item or a bare quote
    int number = -1;    // a numbered item's number
    QChar delimiter;    // after the number: '.' or ')'
    QString gap;        // blanks after the marker
    bool task = false;  // "[ ] " or "[x] " after the marker
    qsizetype contentStart = 0;

    bool isItem() const { return !bullet.isEmpty() || number >= 0; }
    bool isNumbered() const { return number >= 0; }
    // Columns the marker and its gap take: a nested item's indent.
    qsizetype markerWidth() const;
    // The next item's prefix: the next number, an open task box.
    QString next() const;
    // Where the number is in the line, and its length.
    qsizetype numberStart() const { return indent.size() + quote.size(); }
    qsizetype numberLength() const { return QString::number(number).size(); }

    static std::optional<MarkdownListLine> parse(QStringView line);
};
