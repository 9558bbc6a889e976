#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

// ```mermaid blocks of the Markdown preview. Diagrams are drawn by a renderer
// outside this layer; here they wait, keyed by theme and source, so a block
// is drawn once and every later preview of it is a look-up. Thread-safe: the
// preview is written on the analysis thread, the renderer stores on the main one.
namespace MermaidBlocks {

enum class Theme { light, dark };

struct Request {
    Theme theme;
    QString source;
    bool operator==(const Request&) const = default;
};

// The theme diagrams are asked for in from now on.
void setTheme(Theme theme);
Theme theme();

// While one lives, blocks written on this thread are asked for in the light
// theme: exports go on white paper whatever the window shows.
class LightForExport {
public:
    LightForExport();
    ~LightForExport();
    LightForExport(const LightForExport&) = delete;
    LightForExport& operator=(const LightForExport&) = delete;

private:
    std::optional<Theme> before_;
};

// The inner HTML of one block: its diagram, its error as text, or the
// placeholder while it is drawn (the block is then asked for).
QString html(const QString& source);
// The id the diagram's SVG root carries; it scopes the diagram's style.
QString diagramId(const Request& request);

// What was asked for since the last call, oldest first: each request is
// handed out once and stays asked for until its result is stored.
std::vector<Request> takeRequests();
// Whether anything asked for has no result yet.
bool hasRequests();
// Called, on whichever thread asks, whenever a new request is added.
void setWaker(std::function<void()> waker);

// A drawn diagram (already sanitised markup) or an error message.
void storeDiagram(const Request& request, const QString& svg);
void storeError(const Request& request, const QString& message);
// Forgets every diagram and request.
void clear();
// Blocks kept; the oldest go beyond this.
inline constexpr int capacity = 256;
// Diagrams drawn per document; later blocks stay code. Well below the
// capacity, so one document's diagrams never push each other out.
inline constexpr int perDocument = 64;
}
