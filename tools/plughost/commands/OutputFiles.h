// SPDX-License-Identifier: MIT
// The rule for what a run writes: no output may be a file the run reads, by whatever path, link
// or hard link it is named, and no two outputs may be the same file.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace plughost {

// written: each output and the option that names it ("-o"); empty paths are none. Throws
// UsageError naming the clash.
void checkOutputsAreOwn(const std::vector<std::pair<std::string, std::string>>& written,
                        const std::vector<std::string>& read);

} // namespace plughost
