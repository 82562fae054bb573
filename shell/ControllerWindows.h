#pragma once

#include "link/Connect.h"

class QWidget;

namespace vtl {

// Opens the configuration window of the controller just found, modally, over parent.
void openControllerWindow(Session& session, ControllerWindow window, QWidget* parent);

} // namespace vtl
