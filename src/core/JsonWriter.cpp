#include "core/Json.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Appends into a byte buffer that grows geometrically; QByteArray::append
// per character would dominate the time for large snapshot texts.
class Sink {
public:
    void reserve(qsizetype n) { ensure(n); }
    void put(char c)
    {
        ensure(1);
        buf_.data()[size_++] = c;
    }
    void put(const char* s, qsizetype n)
    {
        ensure(n);
        std::memcpy(buf_.data() + size_, s, size_t(n));
        size_ += n;
    }
    char* claim(qsizetype n)
    {
        ensure(n);
        char* p = buf_.data() + size_;
        size_ += n;
        return p;
    }
    void unclaim(qsizetype n) { size_ -= n; }
    QByteArray take()
    {
        buf_.truncate(size_);
        return std::move(buf_);
    }

private:
    void ensure(qsizetype n)
    {
        if (size_ + n > buf_.size())
            buf_.resize(std::max<qsizetype>(size_ + n, buf_.size() * 2 + 64));
    }
    QByteArray buf_;
    qsizetype size_ = 0;
};

const char hexDigits[] = "0123456789abcdef";

char* escapeUnit(char* p, char16_t u)
{
    *p++ = '\\';
    *p++ = 'u';
    *p++ = hexDigits[(u >> 12) & 0xF];
    *p++ = hexDigits[(u >> 8) & 0xF];
    *p++ = hexDigits[(u >> 4) & 0xF];
    *p++ = hexDigits[u & 0xF];
    return p;
}

void writeString(Sink& out, const QString& s)
{
    const char16_t* u = reinterpret_cast<const char16_t*>(s.utf16());
    const qsizetype n = s.size();
    // Worst case is six bytes per unit (\uXXXX); claim in chunks.
    constexpr qsizetype chunk = 4096;
    out.put('"');
    qsizetype i = 0;
    while (i < n) {
        const qsizetype end = std::min(n, i + chunk);
        const qsizetype claimed = (end - i) * 6 + 6;
        char* const start = out.claim(claimed);
        char* p = start;
        for (; i < end; ++i) {
            const char16_t c = u[i];
            if (c < 0x80) {
                switch (c) {
                case '"': *p++ = '\\'; *p++ = '"'; break;
                case '\\': *p++ = '\\'; *p++ = '\\'; break;
                case '/': *p++ = '\\'; *p++ = '/'; break;
                case '\n': *p++ = '\\'; *p++ = 'n'; break;
                case '\r': *p++ = '\\'; *p++ = 'r'; break;
                case '\t': *p++ = '\\'; *p++ = 't'; break;
                case '\b': *p++ = '\\'; *p++ = 'b'; break;
                case '\f': *p++ = '\\'; *p++ = 'f'; break;
                default:
                    if (c < 0x20)
                        p = escapeUnit(p, c);
                    else
                        *p++ = char(c);
                }
            } else if (c < 0x800) {
                *p++ = char(0xC0 | (c >> 6));
                *p++ = char(0x80 | (c & 0x3F));
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                if (c <= 0xDBFF && i + 1 < n && u[i + 1] >= 0xDC00 && u[i + 1] <= 0xDFFF) {
                    const char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (u[i + 1] - 0xDC00);
                    *p++ = char(0xF0 | (cp >> 18));
                    *p++ = char(0x80 | ((cp >> 12) & 0x3F));
                    *p++ = char(0x80 | ((cp >> 6) & 0x3F));
                    *p++ = char(0x80 | (cp & 0x3F));
                    ++i;
                } else {
                    // A lone surrogate has no UTF-8 form; escaping keeps it
                    // instead of silently replacing it.
                    p = escapeUnit(p, c);
                }
            } else {
                *p++ = char(0xE0 | (c >> 12));
                *p++ = char(0x80 | ((c >> 6) & 0x3F));
                *p++ = char(0x80 | (c & 0x3F));
            }
        }
        // Give back what the chunk did not use.
        out.unclaim(claimed - (p - start));
    }
    out.put('"');
}

}

namespace {

bool writeValue(Sink& out, const Json& v)
{
    switch (v.type()) {
    case Json::Type::null:
        out.put("null", 4);
        return true;
    case Json::Type::boolean:
        if (v.toBool())
            out.put("true", 4);
        else
            out.put("false", 5);
        return true;
    case Json::Type::number: {
        const double d = v.toNumber();
        if (!std::isfinite(d))
            return false;
        QByteArray text;
        if (d == std::trunc(d) && std::fabs(d) < 1e15)
            text = QByteArray::number(qint64(d));
        else
            text = QByteArray::number(d, 'g', QLocale::FloatingPointShortest);
        out.put(text.constData(), text.size());
        return true;
    }
    case Json::Type::string:
        writeString(out, v.toString());
        return true;
    case Json::Type::array: {
        out.put('[');
        bool first = true;
        for (const Json& item : v.toArray()) {
            if (!first)
                out.put(',');
            first = false;
            if (!writeValue(out, item))
                return false;
        }
        out.put(']');
        return true;
    }
    case Json::Type::object: {
        out.put('{');
        bool first = true;
        for (const auto& [key, item] : v.toObject().members()) {
            if (!first)
                out.put(',');
            first = false;
            writeString(out, key);
            out.put(':');
            if (!writeValue(out, item))
                return false;
        }
        out.put('}');
        return true;
    }
    }
    return false;
}

}

std::optional<QByteArray> Json::write(const Json& value)
{
    Sink out;
    if (!writeValue(out, value))
        return std::nullopt;
    return out.take();
}
