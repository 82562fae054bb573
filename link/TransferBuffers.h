#pragma once

#include <array>
#include <cstdint>

namespace vtl {

// The data of one exchange: what a request sends and what a reply brought.
struct TransferBuffers {
    static constexpr std::uint32_t Size = 10240;
    static constexpr std::uint32_t MaxReply = 4096;

    std::array<std::uint8_t, Size> TransferBuffer{}; // data a request sends
    std::array<std::uint8_t, Size> ReplyBuffer{};    // data a read received
    // Before a request: bytes of TransferBuffer to send (0 for none); after a read: bytes received.
    std::uint32_t TransferLength = 0;

    static TransferBuffers& instance();
};

} // namespace vtl
