#include "link/StopRequest.h"

#include <signal.h>

#include <atomic>

namespace vtl {
namespace {

std::atomic<bool> stopAsked{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void onStopSignal(int) {
    stopAsked.store(true);
}

} // namespace

void watchForStopRequests() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // The first signal asks; its handler then goes, so a second one of the same kind ends the
    // program at once. SA_RESTART: a read of the line or a file goes on after the handler.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

bool stopRequested() {
    return stopAsked.load();
}

} // namespace vtl
