#include "cli/Interrupt.h"

#include <unistd.h>

namespace vtl::cli {

bool standardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

} // namespace vtl::cli
