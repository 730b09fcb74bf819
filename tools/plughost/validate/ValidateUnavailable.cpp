// SPDX-License-Identifier: MIT
// plughost built where the validator's process and allocator machinery does not exist yet
// (Windows): the command says so and fails.
#include "Validate.h"

namespace plughost::validate {

int runValidateCommand(const std::vector<std::string>& /*args*/) {
    std::fputs("plughost: validate is not available in the Windows build of plughost\n", stderr);
    return 1;
}

} // namespace plughost::validate
