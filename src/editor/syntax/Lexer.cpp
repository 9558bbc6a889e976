#include "editor/syntax/Lexer.h"

#include <cstring>

namespace Syntax {

Language languageFor(const QString& pluginId)
{
    if (pluginId == QLatin1String("json"))
        return Language::json;
    if (pluginId == QLatin1String("yaml"))
        return Language::yaml;
    if (pluginId == QLatin1String("toml"))
        return Language::toml;
    if (pluginId == QLatin1String("csv"))
        return Language::csv;
    if (pluginId == QLatin1String("markdown"))
        return Language::markdown;
    if (pluginId == QLatin1String("plantuml"))
        return Language::plantuml;
    return Language::none;
}

LexFn lexerFor(Language l)
{
    switch (l) {
    case Language::json: return lexJSON;
    case Language::yaml: return lexYAML;
    case Language::toml: return lexTOML;
    case Language::csv: return lexCSV;
    case Language::markdown: return lexMarkdown;
    case Language::plantuml: return lexPlantUML;
    case Language::none: break;
    }
    return nullptr;
}

bool folds(Language l)
{
    return l == Language::json || l == Language::yaml || l == Language::toml || l == Language::markdown;
}

bool looksAhead(Language l) { return l == Language::yaml || l == Language::markdown; }

char detectSeparator(const char* text, std::int64_t length)
{
    static const char candidates[] = {',', '\t', ';', '|'};
    std::int64_t counts[4] = {0, 0, 0, 0};
    bool quoted = false;
    for (std::int64_t i = 0; i < length && text[i] != '\n'; ++i) {
        const char c = text[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        for (int k = 0; k < 4; ++k)
            if (c == candidates[k])
                ++counts[k];
    }
    int best = 0;
    for (int k = 1; k < 4; ++k)
        if (counts[k] > counts[best])
            best = k;
    return candidates[best];
}

namespace detail {

std::int64_t lineEnd(const char* s, std::int64_t from, std::int64_t n)
{
    if (from >= n)
        return n;
    const void* p = std::memchr(s + from, '\n', size_t(n - from));
    return p ? static_cast<const char*>(p) - s : n;
}

std::int64_t stringEnd(const char* s, std::int64_t at, std::int64_t end, char q, bool escapes)
{
    for (std::int64_t i = at + 1; i < end; ++i) {
        const char c = s[i];
        if (c == q)
            return i + 1;
        if (escapes && c == '\\')
            ++i;
    }
    return -1;
}

bool equals(const char* s, std::int64_t n, const char* word)
{
    const size_t len = std::strlen(word);
    return size_t(n) == len && std::memcmp(s, word, len) == 0;
}

}

}
