// The Qt objects behind the frame's opaque handles, for code inside the platform layer and for
// tests.
#pragma once

#include "KivApplication.h"

class QApplication;
class QWidget;

namespace kiv::platform {

// The widget of a window handle; null for a null handle or a window that is gone.
QWidget* widgetOf(NSWindow* window);

} // namespace kiv::platform
