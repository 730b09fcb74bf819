// SPDX-License-Identifier: MIT
// POSIX services: the library finds its own file through dladdr.
#include "TarvoPlatform.h"

#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

namespace tarvo_platform {

std::string moduleFileName() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&moduleFileName), &info) == 0 || info.dli_fname == nullptr)
        return std::string();
    // The loader keeps the name it was given, which may be relative to a folder the host has
    // since left; resolve it to an absolute path.
    char* resolved = realpath(info.dli_fname, nullptr);
    if (resolved == nullptr) return std::string(info.dli_fname);
    std::string path(resolved);
    std::free(resolved);
    return path;
}

void setModuleHandle(void*) noexcept {}

bool listDirectory(const std::string& folder, std::vector<std::string>& names) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    while (const dirent* entry = readdir(dir))
        names.emplace_back(entry->d_name);
    closedir(dir);
    return true;
}

EntryKind entryKind(const std::string& path) {
    // stat follows links: a link to a regular file counts as that file.
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return EntryKind::Unreadable;
    if (S_ISDIR(status.st_mode)) return EntryKind::Directory;
    return S_ISREG(status.st_mode) ? EntryKind::File : EntryKind::Other;
}

std::int32_t clockTicks() noexcept {
    // clock() on POSIX counts processor time of the whole process; the redraw timer wants
    // elapsed milliseconds, as the Windows C library's clock() gives them.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long ms = static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    return static_cast<std::int32_t>(ms & 0x7FFFFFFF);
}

double timeOfDaySeconds() noexcept {
    // Read once per processing block for the display-update throttle, which needs a quarter
    // of a second. Linux's coarse clock is the same time of day as of the last timer tick
    // (a few milliseconds at most, as on Windows, whose system time also advances by the
    // tick): it is read from memory without the counter read and conversion of a precise
    // reading, which was half of the processing call's fixed cost.
    timespec now{};
#ifdef CLOCK_REALTIME_COARSE
    if (clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0)
#endif
        clock_gettime(CLOCK_REALTIME, &now);
    const long micros = now.tv_nsec / 1000;
    return static_cast<double>(now.tv_sec) + static_cast<double>(micros) * 0.000001;
}

} // namespace tarvo_platform
