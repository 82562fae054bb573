#pragma once

namespace vtl::cli {

// Ctrl-C during a long operation asks it to stop at its next record boundary, as Cancel does in
// the windows; a second Ctrl-C ends the program at once.
void watchForInterrupt();
bool interruptRequested();

// True when standard error is a terminal, where progress may be redrawn in place.
bool standardErrorIsTerminal();

} // namespace vtl::cli
