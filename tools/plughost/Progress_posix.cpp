// SPDX-License-Identifier: MIT
#include "Progress.h"

#include <unistd.h>

namespace plughost {

bool Progress::stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

} // namespace plughost
