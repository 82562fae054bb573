#include "link/Clock.h"

#include <chrono>
#include <thread>

namespace vtl {

std::int64_t RealClock::nowUs() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealClock::sleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void RealClock::sleepUntilUs(std::int64_t t) {
    const std::int64_t left = t - nowUs();
    if (left > 0) std::this_thread::sleep_for(std::chrono::microseconds(left));
}

RealClock& RealClock::instance() {
    static RealClock clock;
    return clock;
}

} // namespace vtl
