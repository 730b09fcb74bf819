// SPDX-License-Identifier: MIT
// Windows services: the library's file name comes from the module handle its entry saved.
#include "ClockTicks.h"
#include "TarvoPlatform.h"

#include <windows.h>

#include <ctime>

namespace tarvo_platform {

namespace {
HMODULE g_module = nullptr;
} // namespace

void setModuleHandle(void* handle) noexcept {
    g_module = static_cast<HMODULE>(handle);
}

std::string moduleFileName() {
    // Long paths do not fit MAX_PATH; grow the buffer until the name fits.
    std::string name(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(g_module, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return std::string();
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        if (name.size() >= 32768) return std::string();
        name.resize(name.size() * 2);
    }
}

bool listDirectory(const std::string& folder, std::vector<std::string>& names) {
    WIN32_FIND_DATAA data{};
    const std::string pattern =
        folder + (folder.empty() || folder.back() == '\\' || folder.back() == '/' ? "*" : "\\*");
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    // Every folder that exists lists at least "." and "..", so a failure means no folder.
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        names.emplace_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return true;
}

EntryKind entryKind(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::Unreadable;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EntryKind::Directory;
    return (attributes & FILE_ATTRIBUTE_DEVICE) != 0 ? EntryKind::Other : EntryKind::File;
}

std::int32_t clockTicks() noexcept {
    // The Windows C library's clock() already counts elapsed time, in a 32-bit long.
    return millisecondsFromClock(clock(), CLOCKS_PER_SEC);
}

double timeOfDaySeconds() noexcept {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks{};
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    // 100 ns units since 1601; the Unix epoch is 11644473600 s later.
    const unsigned long long micros = ticks.QuadPart / 10 - 11644473600ULL * 1000000ULL;
    return static_cast<double>(micros / 1000000ULL) +
           static_cast<double>(micros % 1000000ULL) * 0.000001;
}

} // namespace tarvo_platform
