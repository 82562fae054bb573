#pragma once

#include "link/Clock.h"
#include "link/LinePeer.h"
#include "link/Transport.h"

namespace vtl {

// An in-memory line to a LinePeer. On a VirtualClock a silent read moves time on by its time-out;
// on the real clock it sleeps until the peer's next event or the time-out.
class PipeTransport final : public Transport {
public:
    PipeTransport(LinePeer& peer, Clock& clock) : peer_(peer), clock_(clock) {}

    bool open(std::int32_t baudRate) override;
    void close() override;
    bool setRate(std::int32_t baudRate) override;
    bool isOpen() const override { return open_; }
    bool setQueueSizes(int, int) override { return !refuseQueueSizes; }
    bool writeByte(std::uint8_t byte) override;
    std::optional<std::uint8_t> readByte(int timeoutMs) override;
    bool drain() override;
    void discardInput() override;
    void setDtr(bool on) override;
    QString errorText() const override { return {}; }

    // Test switches: a port that will not open, and one that refuses its queue sizes.
    bool failOpen = false;
    bool refuseQueueSizes = false;

private:
    LinePeer& peer_;
    Clock& clock_;
    bool open_ = false;
};

} // namespace vtl
