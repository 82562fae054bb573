#pragma once

#include "cli/Commands.h"

namespace vtl::cli {

// The sub panel window's Clear and its ModBus Setup window on the command line.
int runSubPanelClear(CommandContext& ctx); // vtl-cli clear --sub-lan
int runModbus(CommandContext& ctx);        // vtl-cli modbus

} // namespace vtl::cli
