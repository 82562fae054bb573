#pragma once

#include <cstdint>
#include <limits>
#include <optional>

namespace vtl {

// The far end of an in-memory line: a device driven by bytes and time. The line calls advance()
// before it looks at the device's output, so the device never needs a thread of its own.
class LinePeer {
public:
    static constexpr std::int64_t Idle = std::numeric_limits<std::int64_t>::max();

    virtual ~LinePeer() = default;
    // The PC side opened the line at this rate (a device hears only at its own rate).
    virtual void lineOpened(std::int32_t baudRate) = 0;
    virtual void lineClosed() {}
    // The PC side set a new rate on the open line.
    virtual void rateChanged(std::int32_t baudRate) { lineOpened(baudRate); }
    // The PC side waited for its output to leave (nothing is in flight on an in-memory line).
    virtual void drained() {}
    virtual void dtrChanged(bool on) { (void)on; }
    // One byte from the PC side at time nowUs.
    virtual void receive(std::uint8_t byte, std::int64_t nowUs) = 0;
    // Lets the device do everything it would have done up to nowUs.
    virtual void advance(std::int64_t nowUs) = 0;
    // The next byte the device has put on the line by now, if any.
    virtual std::optional<std::uint8_t> transmit() = 0;
    // When the device next wants to act (Idle when only a received byte can wake it).
    virtual std::int64_t nextEventUs() const = 0;
};

} // namespace vtl
