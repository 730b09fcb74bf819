// SPDX-License-Identifier: MIT
// Patterns through glob(3): *, ? and [...] anywhere in the path.
#include "os/FilePatterns.h"

#include "core/Failure.h"

#include <algorithm>
#include <glob.h>

namespace plughost {

bool isPattern(const std::string& text) {
    return text.find_first_of("*?[") != std::string::npos;
}

std::vector<std::string> expandPattern(const std::string& pattern) {
    if (!isPattern(pattern)) return {pattern};
    glob_t found{};
    const int status = glob(pattern.c_str(), 0, nullptr, &found);
    std::vector<std::string> names;
    if (status == 0)
        for (std::size_t i = 0; i < found.gl_pathc; ++i)
            names.emplace_back(found.gl_pathv[i]);
    globfree(&found);
    if (names.empty()) throw Failure("no file matches " + quote(pattern));
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace plughost
