// SPDX-License-Identifier: MIT
#include "TestHost.h"

#include <unistd.h>

namespace testhost {

std::string executableFolder() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "./";
    std::string file(path, static_cast<std::size_t>(length));
    return file.substr(0, file.find_last_of('/') + 1);
}

} // namespace testhost
