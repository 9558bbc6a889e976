#include "plugins/Markdown.h"

#include "plugins/AnalysisBudget.h"
#include "plugins/MarkdownWriter.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <memory>
#include <mutex>

namespace Markdown {

namespace {

// The parser is fed in pieces so that a spent time budget stops it between them.
constexpr qsizetype feedPiece = 1 << 20;

struct ParserFree {
    void operator()(cmark_parser* p) const { cmark_parser_free(p); }
};
struct NodeFree {
    void operator()(cmark_node* n) const { cmark_node_free(n); }
};

std::unique_ptr<cmark_parser, ParserFree> gfmParser()
{
    static std::once_flag registered;
    std::call_once(registered, cmark_gfm_core_extensions_ensure_registered);
    std::unique_ptr<cmark_parser, ParserFree> parser(cmark_parser_new(CMARK_OPT_DEFAULT));
    for (const char* name : {"table", "strikethrough", "autolink", "tasklist", "tagfilter"})
        if (cmark_syntax_extension* ext = cmark_find_syntax_extension(name))
            cmark_parser_attach_syntax_extension(parser.get(), ext);
    return parser;
}

}

QString html(const QString& text, bool sourceLines)
{
    const QByteArray utf8 = text.toUtf8();
    auto parser = gfmParser();
    for (qsizetype at = 0; at < utf8.size(); at += feedPiece) {
        AnalysisBudget::pollNow();
        cmark_parser_feed(parser.get(), utf8.constData() + at, size_t(std::min(feedPiece, utf8.size() - at)));
    }
    const std::unique_ptr<cmark_node, NodeFree> root(cmark_parser_finish(parser.get()));
    parser.reset();
    std::string out;
    out.reserve(size_t(utf8.size()) + size_t(utf8.size()) / 4 + 64);
    writeHTML(out, root.get(), sourceLines);
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}

}
