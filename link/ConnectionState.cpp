#include "link/ConnectionState.h"

namespace vtl {

ConnectionState& ConnectionState::instance() {
    static ConnectionState state;
    return state;
}

std::int32_t effectiveBaudRate(const ConnectionState& state) {
    if (!state.MarkerSeen) return state.BaudRate;
    return state.MarkerValue >= 60 ? 9600 : 19200;
}

} // namespace vtl
