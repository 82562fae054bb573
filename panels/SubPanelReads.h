#pragma once

#include "link/Session.h"

namespace vtl {

// Who hands the bus back after the compatibility read: the window when it opens, the exchange
// itself (ReleasePending) on Load.
enum class CompatibilityRelease { AfterRead, ByExchange };

// The sub panel window's read of the compatibility flag on a Kestrom compatible sub panel
// (StatusFlag6 set, StatusFlag7 clear), asked again until it arrives or the user gives up. Returns
// the flag, or nullopt when not read.
std::optional<bool>
readSubPanelCompatibility(Session& session,
                          CompatibilityRelease release = CompatibilityRelease::AfterRead);

bool isKestromCompatible(const ConnectionState& state);

} // namespace vtl
