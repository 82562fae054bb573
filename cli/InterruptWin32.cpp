#include "cli/Interrupt.h"

#include <io.h>

#include <cstdio>

namespace vtl::cli {

bool standardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace vtl::cli
