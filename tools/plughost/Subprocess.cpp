// SPDX-License-Identifier: MIT
// The parts of Subprocess.h that are the same on every platform; starting and waiting for the
// runs is in Subprocess_<platform>.cpp.
#include "Subprocess.h"

#include <cstdio>
#include <thread>

namespace plughost {

int processorCount() {
    const unsigned count = std::thread::hardware_concurrency();
    return count > 0 ? static_cast<int>(count) : 1;
}

std::string readAndRemoveFile(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, got);
        std::fclose(file);
    }
    std::remove(path.c_str());
    return text;
}

} // namespace plughost
