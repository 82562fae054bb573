#pragma once

namespace vtl {

// Ctrl-C, a terminal that goes away (SIGHUP), the end of a session (SIGTERM; on Windows a console's
// close, log-off and shut-down events) ask the program to stop at its next safe point, as Cancel
// does; a second Ctrl-C ends it at once. Nothing is asked of the program before
// watchForStopRequests().
void watchForStopRequests();
bool stopRequested();

} // namespace vtl
