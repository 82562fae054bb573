#pragma once

namespace vtl::cli {

// The size of the terminal standard error writes to, in characters; 80 by 24 when it cannot be
// told.
struct TerminalSize {
    int columns = 80;
    int rows = 24;
};
TerminalSize standardErrorSize();

} // namespace vtl::cli
