#pragma once

class QWidget;

// How the preview's web view draws, decided without the browser engine.
namespace PreviewSurface {
// Whether the page is painted without OpenGL: so when the engine runs
// without the GPU. Decided once, before any view draws.
bool drawsInSoftware();
// Gives the window that holds `inside` the surface the web view draws
// with from its creation on. Found only when the first preview came,
// it recreated the native window: a full repaint, and a flicker, in one long turn.
void prepareWindow(QWidget* inside);
// Makes the application's shared OpenGL context, which the engine expects
// from its start, unless there is one.
void shareOpenGL();
}
