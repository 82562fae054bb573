#pragma once

#include "link/Connect.h"

class QWidget;

namespace vtl {

// Opens the configuration window of the controller just found, modally, over parent.
void openControllerWindow(Session& session, ControllerWindow window, QWidget* parent);

// What the program knows of the connected controller, in a few lines (for the windows not built yet
// and for the command line).
QString describeController(const ConnectionState& state, ControllerWindow window);

} // namespace vtl
