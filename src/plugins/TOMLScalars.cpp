#include "plugins/TOMLScalars.h"

#include "text/CodePoints.h"

#include <limits>

namespace TOMLPlugin::detail {

namespace {

bool isDigit(char16_t c) { return c >= '0' && c <= '9'; }

// A digit's value; anything else is past every base.
int digitValue(char16_t c)
{
    const int v = c < 0x80 ? CodePoints::hexValue(static_cast<unsigned char>(c)) : -1;
    return v < 0 ? 99 : v;
}

// Digits of `base` from k, an underscore only between two digits. Returns
// the end, or -1 when there is no digit or an underscore is misplaced.
qsizetype digitsFrom(QStringView t, qsizetype k, int base)
{
    const qsizetype start = k;
    while (k < t.size()) {
        const char16_t c = t[k].unicode();
        if (c == '_') {
            if (k == start || k + 1 >= t.size() || digitValue(t[k + 1].unicode()) >= base)
                return -1;
        } else if (digitValue(c) >= base) {
            break;
        }
        ++k;
    }
    return k == start ? -1 : k;
}

// Whether the digits fit a signed 64-bit integer.
bool fitsInt64(QStringView digits, int base, bool negative)
{
    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    quint64 v = 0;
    for (QChar c : digits) {
        if (c == QLatin1Char('_'))
            continue;
        const quint64 d = quint64(digitValue(c.unicode()));
        if (v > (limit - d) / quint64(base))
            return false;
        v = v * quint64(base) + d;
    }
    return true;
}

QString numberProblem(QStringView t)
{
    const QString bad = QStringLiteral("数字格式错误 ") + t.toString();
    qsizetype k = 0;
    const bool sign = t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-');
    if (sign)
        k = 1;
    const QStringView r = t.mid(k);
    if (r == QLatin1String("inf") || r == QLatin1String("nan"))
        return {};
    if (r.size() >= 2 && r[0] == QLatin1Char('0')
        && (r[1] == QLatin1Char('x') || r[1] == QLatin1Char('o') || r[1] == QLatin1Char('b'))) {
        if (sign)
            return QStringLiteral("十六进制、八进制和二进制数不能带正负号 ") + t.toString();
        const int base = r[1] == QLatin1Char('x') ? 16 : r[1] == QLatin1Char('o') ? 8 : 2;
        if (digitsFrom(r, 2, base) != r.size())
            return bad;
        return fitsInt64(r.mid(2), base, false) ? QString() : QStringLiteral("整数超出范围 ") + t.toString();
    }
    const qsizetype intEnd = digitsFrom(t, k, 10);
    if (intEnd < 0)
        return bad;
    if (t[k] == QLatin1Char('0') && intEnd - k > 1)
        return QStringLiteral("数字不能有前导零 ") + t.toString();
    qsizetype e = intEnd;
    bool isFloat = false;
    if (e < t.size() && t[e] == QLatin1Char('.')) {
        e = digitsFrom(t, e + 1, 10);
        if (e < 0)
            return bad;
        isFloat = true;
    }
    if (e < t.size() && (t[e] == QLatin1Char('e') || t[e] == QLatin1Char('E'))) {
        ++e;
        if (e < t.size() && (t[e] == QLatin1Char('+') || t[e] == QLatin1Char('-')))
            ++e;
        e = digitsFrom(t, e, 10);
        if (e < 0)
            return bad;
        isFloat = true;
    }
    if (e != t.size())
        return bad;
    if (!isFloat && !fitsInt64(t.mid(k), 10, t[0] == QLatin1Char('-')))
        return QStringLiteral("整数超出范围 ") + t.toString();
    return {};
}

// Exactly `count` digits at k, as a number; -1 when they are not there.
int number(QStringView t, qsizetype k, int count)
{
    if (k + count > t.size())
        return -1;
    int v = 0;
    for (int j = 0; j < count; ++j) {
        if (!isDigit(t[k + j].unicode()))
            return -1;
        v = v * 10 + (t[k + j].unicode() - '0');
    }
    return v;
}

bool at(QStringView t, qsizetype k, char c) { return k < t.size() && t[k] == QLatin1Char(c); }

enum class Fit { ok, shape, range };

// HH:MM:SS(.fraction)? from k; `end` receives where it stops.
Fit time(QStringView t, qsizetype k, qsizetype& end)
{
    const int h = number(t, k, 2);
    const int m = at(t, k + 2, ':') ? number(t, k + 3, 2) : -1;
    const int s = at(t, k + 5, ':') ? number(t, k + 6, 2) : -1;
    if (h < 0 || m < 0 || s < 0)
        return Fit::shape;
    k += 8;
    if (at(t, k, '.')) {
        qsizetype j = k + 1;
        while (j < t.size() && isDigit(t[j].unicode()))
            ++j;
        if (j == k + 1)
            return Fit::shape;
        k = j;
    }
    end = k;
    return h > 23 || m > 59 || s > 60 ? Fit::range : Fit::ok;
}

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

QString dateTimeProblem(QStringView t)
{
    const QString bad = QStringLiteral("日期或时间格式错误 ") + t.toString();
    const QString range = QStringLiteral("日期或时间超出范围 ") + t.toString();
    qsizetype end = 0;
    const int y = number(t, 0, 4);
    if (y < 0 || !at(t, 4, '-')) {
        const Fit f = time(t, 0, end);
        return f == Fit::shape || end != t.size() ? bad : f == Fit::range ? range : QString();
    }
    const int mo = number(t, 5, 2);
    const int d = at(t, 7, '-') ? number(t, 8, 2) : -1;
    if (mo < 0 || d < 0)
        return bad;
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool outOfRange = mo < 1 || mo > 12 || d < 1 || d > days[mo - 1] + (mo == 2 && leapYear(y) ? 1 : 0);
    if (t.size() == 10)
        return outOfRange ? range : QString();
    const QChar sep = t[10];
    if (sep != QLatin1Char('T') && sep != QLatin1Char('t') && sep != QLatin1Char(' '))
        return bad;
    const Fit f = time(t, 11, end);
    if (f == Fit::shape)
        return bad;
    outOfRange = outOfRange || f == Fit::range;
    if (end < t.size()) {
        if (t[end] == QLatin1Char('Z') || t[end] == QLatin1Char('z')) {
            ++end;
        } else if (t[end] == QLatin1Char('+') || t[end] == QLatin1Char('-')) {
            const int oh = number(t, end + 1, 2);
            const int om = at(t, end + 3, ':') ? number(t, end + 4, 2) : -1;
            if (oh < 0 || om < 0)
                return bad;
            outOfRange = outOfRange || oh > 23 || om > 59;
            end += 6;
        }
    }
    if (end != t.size())
        return bad;
    return outOfRange ? range : QString();
}

}

QString checkBareValue(QStringView t)
{
    if (t == QLatin1String("true") || t == QLatin1String("false"))
        return {};
    const char16_t c = t[0].unicode();
    const bool dateLike = t.size() >= 5 && number(t, 0, 4) >= 0 && t[4] == QLatin1Char('-');
    if (dateLike || (isDigit(c) && t.contains(QLatin1Char(':'))))
        return dateTimeProblem(t);
    if (isDigit(c) || c == '+' || c == '-' || c == '.' || t == QLatin1String("inf") || t == QLatin1String("nan"))
        return numberProblem(t);
    return QStringLiteral("无法识别的值 ") + t.toString() + QStringLiteral("，字符串需要加引号");
}

}
