#include "plugins/Markdown.h"

#include "plugins/AnalysisBudget.h"
#include "plugins/MarkdownMath.h"
#include "plugins/MarkdownWriter.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>

namespace Markdown {

namespace {

// The parser is fed in pieces so that a spent time budget stops it between them.
constexpr qsizetype feedPiece = 1 << 20;
// cmark-gfm 0.29 reads a table row in time quadratic in its cells: a line
// with more bars than any real table has columns turns tables off.
constexpr int maxBarsOnALine = 512;

bool manyBarsOnALine(const QByteArray& text)
{
    const char* p = text.constData();
    const char* const end = p + text.size();
    const char* last = p;
    int bars = 0;
    while ((p = static_cast<const char*>(std::memchr(p, '|', size_t(end - p))))) {
        const size_t gap = size_t(p - last);
        if (std::memchr(last, '\n', gap) || std::memchr(last, '\r', gap))
            bars = 0;
        if (++bars > maxBarsOnALine)
            return true;
        last = p++;
    }
    return false;
}

struct ParserFree {
    void operator()(cmark_parser* p) const { cmark_parser_free(p); }
};
struct NodeFree {
    void operator()(cmark_node* n) const { cmark_node_free(n); }
};

std::unique_ptr<cmark_parser, ParserFree> gfmParser(bool tables, bool formulas)
{
    static std::once_flag registered;
    std::call_once(registered, cmark_gfm_core_extensions_ensure_registered);
    std::unique_ptr<cmark_parser, ParserFree> parser(cmark_parser_new(CMARK_OPT_DEFAULT));
    for (const std::string_view name : {"table", "strikethrough", "autolink", "tasklist", "tagfilter"}) {
        if (name == "table" && !tables)
            continue;
        if (cmark_syntax_extension* ext = cmark_find_syntax_extension(name.data()))
            cmark_parser_attach_syntax_extension(parser.get(), ext);
    }
    if (formulas) {
        MarkdownMath::beginDocument();
        cmark_parser_attach_syntax_extension(parser.get(), MarkdownMath::extension());
    }
    return parser;
}

}

namespace {

// The HTML between `open` and `close`, converted once at the end.
QString render(const QString& text, bool sourceLines, bool renderings, const char* open, const char* close)
{
    const QByteArray utf8 = text.toUtf8();
    auto parser = gfmParser(!manyBarsOnALine(utf8), renderings);
    for (qsizetype at = 0; at < utf8.size(); at += feedPiece) {
        AnalysisBudget::pollNow();
        cmark_parser_feed(parser.get(), utf8.constData() + at, size_t(std::min(feedPiece, utf8.size() - at)));
    }
    const std::unique_ptr<cmark_node, NodeFree> root(cmark_parser_finish(parser.get()));
    parser.reset();
    std::string out;
    // Markup often doubles a document; pages reserved and never written cost nothing.
    out.reserve(size_t(utf8.size()) * 3 + 64);
    out += open;
    writeHTML(out, root.get(), sourceLines, renderings);
    out += close;
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}

}

QString html(const QString& text, bool sourceLines) { return render(text, sourceLines, false, "", ""); }

QString preview(const QString& text) { return render(text, true, true, "<div class=\"md\">", "</div>"); }

}
