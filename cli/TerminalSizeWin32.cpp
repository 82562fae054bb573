#include "cli/TerminalSize.h"

#include <windows.h>

namespace vtl::cli {

TerminalSize standardErrorSize() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return {};
    return {info.srWindow.Right - info.srWindow.Left + 1,
            info.srWindow.Bottom - info.srWindow.Top + 1};
}

} // namespace vtl::cli
