#pragma once

#include "core/PreviewState.h"

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
// A self-contained page with the fragment inlined and no script.
QString standalone(const QString& fragmentHTML);
}
