#include "link/StopRequest.h"

#include <windows.h>

#include <atomic>

namespace vtl {
namespace {

std::atomic<bool> stopAsked{false};

BOOL WINAPI onConsoleEvent(DWORD type) {
    switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        // The first Ctrl-C asks; a second one is left to the system, which ends the program.
        return stopAsked.exchange(true) ? FALSE : TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The system ends the process as soon as this handler returns (or after its own time-out):
        // the handler waits while the program stops at its safe point and exits by itself.
        stopAsked.store(true);
        Sleep(INFINITE);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void watchForStopRequests() {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool stopRequested() {
    return stopAsked.load();
}

} // namespace vtl
