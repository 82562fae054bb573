#pragma once

#include "link/Session.h"

namespace vtl {

// The LAN controller window's first read: the settings block, from which the controller's own
// address becomes PanelAddress (0 taken as 1, above 125 as 125). False, after "Communication
// Error", when the read failed.
bool readLanControllerSettings(Session& session);

} // namespace vtl
