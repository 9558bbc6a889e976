#pragma once

#include "plugins/PreviewState.h"
#include "text/TextCopy.h"

struct FormatPlugin;

#include <QString>
#include <optional>

// The one page the preview loads, and what gets pushed into it.
namespace PreviewPage {
const QString& css();
// The page's Content-Security-Policy <meta>: no script at all, or only the
// shell's own render function.
QString contentPolicy(bool withRenderScript);
// The page with the embedded web fonts; built once.
const QString& shell();
QString shellWith(const QString& fontFaces);
// The fragment shown for a document's preview state.
QString fragment(const PreviewState& state);
// The script call that replaces the page content; the fragment travels as
// JSON string data, never as markup.
std::optional<QString> renderScript(const QString& html);
// Whether pages load pictures from the web (http, https), for the whole
// program: the preview's loads and every export follow it. Off at first.
void setRemoteImages(bool allowed);
bool remoteImages();
// A self-contained page with the fragment inlined and no script; a title,
// when given, names the page (a PDF takes it as its own). Web pictures load
// in it only when remoteImages() held as it was made.
QString standalone(const QString& fragmentHTML, const QString& title = {});
// The standalone page of a text in its format for an export to `what`
// ("HTML", "PDF", "打印"); nullopt and the reason when the format has no
// preview or the text does not parse. UTF-8 text is parsed as bytes,
// unconverted. Only paper (anything but "HTML") gets the PrintBreaks boxes.
std::optional<QString> exportPage(const FormatPlugin& plugin, const TextCopy& text, const QString& title,
                                  const QString& what, QString* error);
// The same page as UTF-8, never held whole as a QString as well: for
// writing out a large page.
std::optional<QByteArray> exportPageUtf8(const FormatPlugin& plugin, const TextCopy& text, const QString& title,
                                         const QString& what, QString* error);
}
