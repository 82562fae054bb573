#include "cli/Interrupt.h"

#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>

namespace vtl::cli {
namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI onControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    // The first Ctrl-C asks; a second one is left to the system, which ends the program.
    if (interrupted.exchange(true)) return FALSE;
    return TRUE;
}

} // namespace

void watchForInterrupt() {
    SetConsoleCtrlHandler(onControl, TRUE);
}

bool interruptRequested() {
    return interrupted.load();
}

bool standardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace vtl::cli
