#include "core/Doc.h"

#include <QSet>
#include <QStringView>
#include <memory>
#include <unicode/brkiter.h>
#include <unicode/locid.h>

namespace {

constexpr int maxCharacters = 40;
const QString fallbackTitle = QStringLiteral("未命名");

bool isBlank(QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; }

QStringView trimmed(QStringView s, bool alsoDots = false)
{
    const auto strip = [alsoDots](QChar c) { return isBlank(c) || (alsoDots && c == u'.'); };
    qsizetype b = 0, e = s.size();
    while (b < e && strip(s[b]))
        ++b;
    while (e > b && strip(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

bool isLeadingMark(QChar c)
{
    switch (c.unicode()) {
    case u'#':
    case u'>':
    case u'-':
    case u'*':
    case u'/':
    case u';':
    case u'%':
    case u'!': return true;
    default: return false;
    }
}

// Any letter, mark or digit, by code point.
bool hasAlphanumeric(QStringView s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t cp = s[i].unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(s[i], s[i + 1]);
            ++i;
        }
        switch (QChar::category(cp)) {
        case QChar::Letter_Uppercase:
        case QChar::Letter_Lowercase:
        case QChar::Letter_Titlecase:
        case QChar::Letter_Modifier:
        case QChar::Letter_Other:
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
        case QChar::Number_DecimalDigit:
        case QChar::Number_Letter:
        case QChar::Number_Other: return true;
        default: break;
        }
    }
    return false;
}

// The first `count` user-perceived characters (extended grapheme clusters).
QStringView firstCharacters(QStringView s, int count)
{
    // No cluster is shorter than one code unit.
    if (s.size() <= count)
        return s;
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(it) : nullptr;
    }();
    if (!iterator)
        return s.left(count);
    const icu::UnicodeString text(false, reinterpret_cast<const UChar*>(s.utf16()), int32_t(s.size()));
    iterator->setText(text);
    int32_t end = iterator->first();
    for (int n = 0; n < count; ++n) {
        const int32_t next = iterator->next();
        if (next == icu::BreakIterator::DONE)
            break;
        end = next;
    }
    // Drop the iterator's alias of this string before it goes away.
    iterator->setText(icu::UnicodeString());
    return s.left(end);
}

}

QString Doc::title(const QString& text, const QString& skipping)
{
    QSet<QStringView> skip;
    for (QStringView line : QStringView(skipping).split(u'\n', Qt::SkipEmptyParts))
        skip.insert(line);

    int examined = 0;
    for (QStringView line : QStringView(text).tokenize(u'\n', Qt::SkipEmptyParts)) {
        if (examined++ == titleLines)
            break;
        if (skip.contains(line))
            continue;
        QStringView t = trimmed(line);
        while (!t.isEmpty() && isLeadingMark(t.front()))
            t = t.mid(1);
        // Replacing "/" and ":" by "-" touches neither whitespace nor dots nor
        // letters, so it can wait until the title is cut; huge lines are
        // never copied.
        const QStringView core = trimmed(t, true);
        if (!hasAlphanumeric(core))
            continue;
        QString result = trimmed(firstCharacters(core, maxCharacters)).toString();
        return result.replace(u'/', u'-').replace(u':', u'-');
    }
    return fallbackTitle;
}

void Doc::applyAutoName()
{
    if (!autoExt_ || url_)
        return;
    // Only the first lines name a document: a live text is not pulled whole.
    // A document without a file has the empty text as its baseline, so
    // there are no saved lines to skip.
    const QString t = title(store_.leadingText(titleLines));
    const QString newName = autoExt_->isEmpty() ? t : t + QLatin1Char('.') + *autoExt_;
    if (newName != name_)
        setName(newName);
}
