#pragma once

#include <cstdint>
#include <functional>

namespace vtl {

class FrameExchange;

// One request/response exchange with the controller (panel, network, command, point, table),
// as FrameExchange::PanelTransaction does it; a seam so that the window logic can be driven alone.
using PanelExchange =
    std::function<bool(std::uint8_t panel, std::uint8_t network, std::uint8_t command,
                       std::uint8_t point, std::uint8_t table)>;

PanelExchange panelExchangeOf(FrameExchange& exchange);

} // namespace vtl
