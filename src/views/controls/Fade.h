#pragma once

class QWidget;

// A short ease-out fade of a layer; fading out hides it at the end.
namespace Fade {
void run(QWidget* w, bool in);
}
