// SPDX-License-Identifier: MIT
#include "TestHost.h"

#include <windows.h>

namespace testhost {

std::string executableFolder() {
    char path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return ".\\";
    std::string file(path, length);
    return file.substr(0, file.find_last_of("\\/") + 1);
}

} // namespace testhost
