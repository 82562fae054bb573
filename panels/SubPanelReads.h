#pragma once

#include "link/Session.h"

namespace vtl {

// What the sub panel window reads when it opens: on a Kestrom compatible sub panel (StatusFlag6
// set, StatusFlag7 clear) the compatibility flag, asked again until it arrives or the user gives
// up, then the bus is released. Returns the flag, or nullopt when not read.
std::optional<bool> readSubPanelCompatibility(Session& session);

bool isKestromCompatible(const ConnectionState& state);

} // namespace vtl
