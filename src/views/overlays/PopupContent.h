#pragma once

#include "core/Popup.h"

class AppModel;
class QWidget;

// The content of each popup, built when it opens.
namespace PopupContent {
QWidget* build(AppModel& model, const Popup& popup);
}
