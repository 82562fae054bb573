#pragma once

#include "link/Session.h"

namespace vtl {

enum class ListenResult : int {
    OneController = 0, // one controller heard steadily; its address is now PanelAddress
    NothingUsable = 1,
    SeveralStations = 2,
};

// Listens to a Sub LAN at the current rate until one controller has been heard steadily, more than
// one station has been heard, or patience runs out.
ListenResult ListenForBaud(Session& session);

} // namespace vtl
