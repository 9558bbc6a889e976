#pragma once

#include "views/state/Popup.h"

class WindowModel;
class QWidget;

// The content of each popup, built when it opens.
namespace PopupContent {
QWidget* build(WindowModel& model, const Popup& popup);
}
