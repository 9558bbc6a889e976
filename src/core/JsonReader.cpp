#include "core/Json.h"

#include "text/TextEncoding.h"

#include <charconv>
#include <cstring>

namespace {

class Reader {
public:
    explicit Reader(QByteArrayView text) : p_(text.data()), end_(text.data() + text.size()) {}

    std::optional<Json> document()
    {
        skipSpace();
        auto v = value(0);
        if (!v)
            return std::nullopt;
        skipSpace();
        if (p_ != end_)
            return std::nullopt;
        return v;
    }

private:
    void skipSpace()
    {
        while (p_ != end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r'))
            ++p_;
    }

    bool literal(const char* word, qsizetype n)
    {
        if (end_ - p_ < n || std::memcmp(p_, word, size_t(n)) != 0)
            return false;
        p_ += n;
        return true;
    }

    std::optional<Json> value(int depth)
    {
        if (p_ == end_)
            return std::nullopt;
        switch (*p_) {
        case '{': return object(depth + 1);
        case '[': return array(depth + 1);
        case '"': {
            auto s = string();
            if (!s)
                return std::nullopt;
            return Json(std::move(*s));
        }
        case 't': if (literal("true", 4)) return Json(true); return std::nullopt;
        case 'f': if (literal("false", 5)) return Json(false); return std::nullopt;
        case 'n': if (literal("null", 4)) return Json(nullptr); return std::nullopt;
        default: return number();
        }
    }

    std::optional<Json> object(int depth)
    {
        if (depth > Json::maxDepth)
            return std::nullopt;
        ++p_;  // '{'
        Json::Object obj;
        skipSpace();
        if (p_ != end_ && *p_ == '}') {
            ++p_;
            return Json(std::move(obj));
        }
        for (;;) {
            skipSpace();
            if (p_ == end_ || *p_ != '"')
                return std::nullopt;
            auto key = string();
            if (!key)
                return std::nullopt;
            skipSpace();
            if (p_ == end_ || *p_ != ':')
                return std::nullopt;
            ++p_;
            skipSpace();
            auto v = value(depth);
            if (!v)
                return std::nullopt;
            obj.insert(std::move(*key), std::move(*v));
            skipSpace();
            if (p_ == end_)
                return std::nullopt;
            if (*p_ == ',') {
                ++p_;
                continue;
            }
            if (*p_ == '}') {
                ++p_;
                return Json(std::move(obj));
            }
            return std::nullopt;
        }
    }

    std::optional<Json> array(int depth)
    {
        if (depth > Json::maxDepth)
            return std::nullopt;
        ++p_;  // '['
        Json::Array items;
        skipSpace();
        if (p_ != end_ && *p_ == ']') {
            ++p_;
            return Json(std::move(items));
        }
        for (;;) {
            skipSpace();
            auto v = value(depth);
            if (!v)
                return std::nullopt;
            items.push_back(std::move(*v));
            skipSpace();
            if (p_ == end_)
                return std::nullopt;
            if (*p_ == ',') {
                ++p_;
                continue;
            }
            if (*p_ == ']') {
                ++p_;
                return Json(std::move(items));
            }
            return std::nullopt;
        }
    }

    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    std::optional<Json> number()
    {
        const char* start = p_;
        const char* q = p_;
        if (q != end_ && *q == '-')
            ++q;
        if (q == end_)
            return std::nullopt;
        if (*q == '0') {
            ++q;
        } else if (isDigit(*q)) {
            while (q != end_ && isDigit(*q))
                ++q;
        } else {
            return std::nullopt;
        }
        if (q != end_ && *q == '.') {
            ++q;
            if (q == end_ || !isDigit(*q))
                return std::nullopt;
            while (q != end_ && isDigit(*q))
                ++q;
        }
        if (q != end_ && (*q == 'e' || *q == 'E')) {
            ++q;
            if (q != end_ && (*q == '+' || *q == '-'))
                ++q;
            if (q == end_ || !isDigit(*q))
                return std::nullopt;
            while (q != end_ && isDigit(*q))
                ++q;
        }
        double d = 0;
        const auto r = std::from_chars(start, q, d);
        // Out-of-range magnitudes are not representable; refuse them.
        if (r.ec != std::errc() || r.ptr != q)
            return std::nullopt;
        p_ = q;
        return Json(d);
    }

    static int hexValue(char c)
    {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    std::optional<char16_t> hex4()
    {
        if (end_ - p_ < 4)
            return std::nullopt;
        int v = 0;
        for (int k = 0; k < 4; ++k) {
            const int h = hexValue(p_[k]);
            if (h < 0)
                return std::nullopt;
            v = v * 16 + h;
        }
        p_ += 4;
        return char16_t(v);
    }

    std::optional<QString> string()
    {
        ++p_;  // opening quote
        QString out;
        for (;;) {
            // A run of plain bytes is validated and converted in one go.
            const char* run = p_;
            while (p_ != end_ && *p_ != '"' && *p_ != '\\' && static_cast<unsigned char>(*p_) >= 0x20)
                ++p_;
            if (p_ != run) {
                if (!isValidUtf8(run, p_ - run))
                    return std::nullopt;
                if (out.isEmpty() && p_ != end_ && *p_ == '"')
                    out = QString::fromUtf8(run, p_ - run);
                else
                    out += QString::fromUtf8(run, p_ - run);
            }
            if (p_ == end_)
                return std::nullopt;
            const char c = *p_;
            if (c == '"') {
                ++p_;
                return out;
            }
            if (c != '\\')
                return std::nullopt;  // raw control character
            ++p_;
            if (p_ == end_)
                return std::nullopt;
            const char e = *p_++;
            switch (e) {
            case '"': out += QLatin1Char('"'); break;
            case '\\': out += QLatin1Char('\\'); break;
            case '/': out += QLatin1Char('/'); break;
            case 'b': out += QLatin1Char('\b'); break;
            case 'f': out += QLatin1Char('\f'); break;
            case 'n': out += QLatin1Char('\n'); break;
            case 'r': out += QLatin1Char('\r'); break;
            case 't': out += QLatin1Char('\t'); break;
            case 'u': {
                auto u = hex4();
                if (!u)
                    return std::nullopt;
                // Pairs and lone surrogates are kept as the code units given.
                out += QChar(*u);
                break;
            }
            default:
                return std::nullopt;
            }
        }
    }

    const char* p_;
    const char* end_;
};

}

std::optional<Json> Json::read(QByteArrayView text)
{
    return Reader(text).document();
}
