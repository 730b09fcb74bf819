// SPDX-License-Identifier: MIT
// Patterns through FindFirstFile: * and ? in the last part of the path (a [...] set is not a
// pattern on Windows).
#include "os/FilePatterns.h"

#include "core/Failure.h"

#include <algorithm>
#include <filesystem>
#include <windows.h>

namespace plughost {

bool isPattern(const std::string& text) {
    return text.find_first_of("*?") != std::string::npos;
}

std::vector<std::string> expandPattern(const std::string& pattern) {
    if (!isPattern(pattern)) return {pattern};
    const std::filesystem::path folder = std::filesystem::path(pattern).parent_path();
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                names.push_back((folder / found.cFileName).string());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (names.empty()) throw Failure("no file matches " + quote(pattern));
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace plughost
