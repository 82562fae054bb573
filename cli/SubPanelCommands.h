#pragma once

#include "cli/Commands.h"

namespace vtl::cli {

// The sub panel window and its ModBus Setup window on the command line.
int runSubPanelSettings(CommandContext& ctx); // vtl-cli settings
int runSubPanelClear(CommandContext& ctx);    // vtl-cli clear
int runModbus(CommandContext& ctx);           // vtl-cli modbus

} // namespace vtl::cli
