#include "text/PinyinMatch.h"

#include <QHash>
#include <QString>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

namespace PinyinMatch {

namespace {

// The toneless pinyin of one Han character ("北" gives "bei"), or an empty
// string when ICU has none. Characters are looked up once per thread.
const QString& pinyinOf(char32_t c)
{
    thread_local std::unique_ptr<icu::Transliterator> toLatin = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> t(
            icu::Transliterator::createInstance("Han-Latin; Latin-ASCII", UTRANS_FORWARD, status));
        return U_SUCCESS(status) ? std::move(t) : nullptr;
    }();
    thread_local QHash<char32_t, QString> known;
    auto it = known.find(c);
    if (it != known.end())
        return *it;
    QString latin;
    if (toLatin) {
        icu::UnicodeString s{static_cast<UChar32>(c)};
        toLatin->transliterate(s);
        latin = QString(reinterpret_cast<const QChar*>(s.getBuffer()), s.length()).toLower();
        // Only a transliteration into letters is pinyin.
        for (QChar ch : latin)
            if (ch < u'a' || ch > u'z')
                latin.clear();
    }
    return *known.insert(c, latin);
}

QString folded(QStringView s)
{
    QString out;
    for (QChar c : s)
        if (!c.isSpace())
            out += c.toLower();
    return out;
}

}

bool matches(QStringView text, QStringView query)
{
    const QString q = folded(query);
    if (q.isEmpty())
        return true;
    if (folded(text).contains(q))
        return true;
    // The text spelt in pinyin, and by the first letter of each syllable,
    // with its other letters and digits as they are.
    QString full, initials;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        const QString& syllable = u_hasBinaryProperty(UChar32(c), UCHAR_IDEOGRAPHIC) ? pinyinOf(c) : QString();
        if (!syllable.isEmpty()) {
            full += syllable;
            initials += syllable.front();
        } else if (QChar::isLetterOrNumber(c)) {
            // Marks such as the "." before an extension are left out.
            const QString plain = QString::fromUcs4(&c, 1).toLower();
            full += plain;
            initials += plain;
        }
    }
    return full.contains(q) || initials.contains(q);
}

}
