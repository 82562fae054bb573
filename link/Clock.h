#pragma once

#include <cstdint>

namespace vtl {

// Every pause and time-out of the protocol goes through a Clock so that tests can run the slow
// protocol pauses on virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowUs() const = 0; // monotonic
    virtual void sleepMs(int ms) = 0;
    virtual void sleepUntilUs(std::int64_t t) = 0;
};

class RealClock final : public Clock {
public:
    std::int64_t nowUs() const override;
    void sleepMs(int ms) override;
    void sleepUntilUs(std::int64_t t) override;
    static RealClock& instance();
};

// Time moves only when somebody sleeps or waits; sleeping returns at once.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(std::int64_t startUs = 0) : now_(startUs) {}
    std::int64_t nowUs() const override { return now_; }
    void sleepMs(int ms) override {
        if (ms > 0) now_ += std::int64_t(ms) * 1000;
    }
    void sleepUntilUs(std::int64_t t) override {
        if (t > now_) now_ = t;
    }

private:
    std::int64_t now_;
};

} // namespace vtl
