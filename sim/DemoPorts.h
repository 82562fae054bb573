#pragma once

namespace vtl::sim {

// Registers one simulated controller of each model as a port ("SIM main panel",
// "SIM lan602 controller", "SIM sub4000 panel" ...) hosted in this process on the real clock.
// Calling it again does nothing.
void registerDemoPorts();

} // namespace vtl::sim
