#pragma once

#include "cli/Commands.h"
#include "cli/SubPanelCommandSupport.h"

namespace vtl {
struct SubPanelView;
}

namespace vtl::cli {

// The sub panel window and its ModBus Setup window on the command line.
int runSubPanelSettings(CommandContext& ctx); // vtl-cli settings
int runSubPanelClear(CommandContext& ctx);    // vtl-cli clear
int runModbus(CommandContext& ctx);           // vtl-cli modbus

// The sub panel window's settings as settings shows them.
Fields subPanelFields(const SubPanelView& view);

} // namespace vtl::cli
