#include "panels/PanelExchange.h"

#include "link/FrameExchange.h"

namespace vtl {

PanelExchange panelExchangeOf(FrameExchange& exchange) {
    return [&exchange](std::uint8_t panel, std::uint8_t network, std::uint8_t command,
                       std::uint8_t point, std::uint8_t table) {
        return exchange.PanelTransaction(panel, network, command, point, table);
    };
}

} // namespace vtl
