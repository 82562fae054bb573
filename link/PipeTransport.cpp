#include "link/PipeTransport.h"

#include <algorithm>

namespace vtl {

bool PipeTransport::open(std::int32_t baudRate) {
    close();
    if (failOpen) return false;
    open_ = true;
    peer_.advance(clock_.nowUs());
    peer_.lineOpened(baudRate);
    return true;
}

bool PipeTransport::setRate(std::int32_t baudRate) {
    if (!open_) return false;
    peer_.advance(clock_.nowUs());
    peer_.rateChanged(baudRate);
    return true;
}

bool PipeTransport::drain() {
    if (open_) peer_.drained();
    return open_;
}

void PipeTransport::close() {
    if (!open_) return;
    drain();
    open_ = false;
    peer_.lineClosed();
}

bool PipeTransport::writeByte(std::uint8_t byte) {
    if (!open_) return false;
    const std::int64_t now = clock_.nowUs();
    peer_.advance(now);
    peer_.receive(byte, now);
    return true;
}

std::optional<std::uint8_t> PipeTransport::readByte(int timeoutMs) {
    if (!open_) return std::nullopt;
    const std::int64_t deadline = clock_.nowUs() + std::int64_t(timeoutMs) * 1000;
    for (;;) {
        const std::int64_t now = clock_.nowUs();
        peer_.advance(now);
        if (auto byte = peer_.transmit()) return byte;
        if (now >= deadline) return std::nullopt;
        const std::int64_t next = peer_.nextEventUs();
        clock_.sleepUntilUs(std::clamp(next, now + 1, deadline));
    }
}

void PipeTransport::discardInput() {
    if (!open_) return;
    peer_.advance(clock_.nowUs());
    while (peer_.transmit()) {
    }
}

void PipeTransport::setDtr(bool on) {
    if (open_) peer_.dtrChanged(on);
}

} // namespace vtl
