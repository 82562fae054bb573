#include "link/FrameExchange.h"

namespace vtl {

FrameExchange::FrameExchange(SerialLink& link, TransferBuffers& buffers)
    : link_(link), buffers_(buffers) {}

// Not built yet: every exchange fails.
bool FrameExchange::PanelTransaction(std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t,
                                     std::uint8_t) {
    return false;
}

void FrameExchange::WaitForPoll() { link_.ReadTimedOut = true; }

void FrameExchange::ReleaseBus() {}

} // namespace vtl
