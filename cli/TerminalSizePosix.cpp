#include "cli/TerminalSize.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace vtl::cli {

TerminalSize standardErrorSize() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0)
        return {};
    return {size.ws_col, size.ws_row};
}

} // namespace vtl::cli
