#pragma once

#include "link/StopRequest.h"

namespace vtl::cli {

// Ctrl-C, SIGTERM and SIGHUP (a console's close on Windows) during a command that talks to a
// controller ask it to stop at its next safe point, as Cancel does in the windows: the wait for a
// silent controller ends, a long operation ends as Abort would, a Sub LAN bus held is handed back,
// and files are kept as an abort keeps them. A second Ctrl-C ends the program at once.
inline void watchForInterrupt() {
    watchForStopRequests();
}
inline bool interruptRequested() {
    return stopRequested();
}

// True when standard error is a terminal, where progress may be redrawn in place.
bool standardErrorIsTerminal();

} // namespace vtl::cli
