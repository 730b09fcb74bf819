// SPDX-License-Identifier: MIT
#include "os/Terminal.h"

#include <unistd.h>

namespace plughost {

bool standardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

} // namespace plughost
