#include "cli/Interrupt.h"

#include <csignal>
#include <unistd.h>

#include <atomic>

namespace vtl::cli {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void onInterrupt(int) {
    interrupted.store(true);
}

} // namespace

void watchForInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // The first Ctrl-C asks; the handler then goes, so a second one ends the program.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

bool interruptRequested() {
    return interrupted.load();
}

bool standardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

} // namespace vtl::cli
