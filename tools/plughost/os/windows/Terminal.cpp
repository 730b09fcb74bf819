// SPDX-License-Identifier: MIT
#include "os/Terminal.h"

#include <windows.h>

namespace plughost {

// A console, not a file or a pipe (the C runtime's _isatty also answers yes for NUL).
bool standardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

} // namespace plughost
