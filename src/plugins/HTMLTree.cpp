#include "plugins/HTMLTree.h"

namespace {

GumboOptions options()
{
    GumboOptions o = kGumboDefaultOptions;
    // Parse errors are not reported, so none are kept.
    o.max_errors = 0;
    return o;
}

QByteArray prefix(GumboTag context)
{
    switch (context) {
    case GUMBO_TAG_TABLE: return "<!DOCTYPE html><body><table>";
    case GUMBO_TAG_TBODY: return "<!DOCTYPE html><body><table><tbody>";
    case GUMBO_TAG_TR: return "<!DOCTYPE html><body><table><tbody><tr>";
    case GUMBO_TAG_COLGROUP: return "<!DOCTYPE html><body><table><colgroup>";
    default: return "<!DOCTYPE html><body>";
    }
}

}

HTMLTree::HTMLTree(const QString& html, GumboTag context)
{
    source_ = prefix(context);
    prefix_ = source_.size();
    source_ += html.toUtf8();
    const GumboOptions o = options();
    output_ = gumbo_parse_with_options(&o, source_.constData(), size_t(source_.size()));
    // A <frameset> may take the body's place.
    root_ = output_->root;
    const GumboVector& top = root_->v.element.children;
    for (unsigned i = 0; i < top.length; ++i) {
        const auto* n = static_cast<const GumboNode*>(top.data[i]);
        if (n->type == GUMBO_NODE_ELEMENT && n->v.element.tag == GUMBO_TAG_BODY)
            root_ = n;
    }
}

HTMLTree::~HTMLTree()
{
    const GumboOptions o = options();
    gumbo_destroy_output(&o, output_);
}

bool HTMLTree::isContext(const GumboNode* element) const
{
    const char* tag = element->v.element.original_tag.data;
    return tag >= source_.constData() && tag < source_.constData() + prefix_;
}

QString HTMLTree::name(const GumboNode* element)
{
    const GumboElement& e = element->v.element;
    if (e.tag != GUMBO_TAG_UNKNOWN)
        return QString::fromLatin1(gumbo_normalized_tagname(e.tag));
    GumboStringPiece piece = e.original_tag;
    gumbo_tag_from_original_text(&piece);
    return QString::fromUtf8(piece.data, qsizetype(piece.length)).toLower();
}

QString HTMLTree::attributeName(const GumboAttribute* attribute)
{
    const QString name = QString::fromUtf8(attribute->name).toLower();
    switch (attribute->attr_namespace) {
    case GUMBO_ATTR_NAMESPACE_XLINK: return QStringLiteral("xlink:") + name;
    case GUMBO_ATTR_NAMESPACE_XML: return QStringLiteral("xml:") + name;
    case GUMBO_ATTR_NAMESPACE_XMLNS: return name == QLatin1String("xmlns") ? name : QStringLiteral("xmlns:") + name;
    case GUMBO_ATTR_NAMESPACE_NONE: break;
    }
    return name;
}

bool HTMLTree::isVoid(const GumboNode* element)
{
    if (element->v.element.tag_namespace != GUMBO_NAMESPACE_HTML)
        return false;
    switch (element->v.element.tag) {
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_BASEFONT:
    case GUMBO_TAG_BGSOUND:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_COL:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_IMG:
    case GUMBO_TAG_INPUT:
    case GUMBO_TAG_KEYGEN:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_META:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_SOURCE:
    case GUMBO_TAG_TRACK:
    case GUMBO_TAG_WBR: return true;
    default: return false;
    }
}

bool HTMLTree::selfClosing(const GumboNode* element)
{
    const GumboStringPiece& tag = element->v.element.original_tag;
    return tag.length >= 2 && tag.data[tag.length - 1] == '>' && tag.data[tag.length - 2] == '/';
}

bool HTMLTree::lineFeedAfterStartTag(const GumboNode* element) const
{
    const GumboStringPiece& tag = element->v.element.original_tag;
    if (tag.length == 0 || tag.data < source_.constData() || tag.data >= source_.constData() + source_.size())
        return false;
    const qsizetype after = qsizetype(tag.data - source_.constData()) + qsizetype(tag.length);
    return after < source_.size() && (source_[after] == '\n' || source_[after] == '\r');
}
