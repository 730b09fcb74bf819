// SPDX-License-Identifier: MIT
// The few operating-system services the runtime needs, one small file per platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo_platform {

// Full file name of the loaded plug-in library (the module that holds this code); empty when
// the system cannot tell.
std::string moduleFileName();

// Windows keeps the module handle that the library's module entry received; elsewhere the
// library finds itself and this does nothing.
void setModuleHandle(void* handle) noexcept;

// Entry names of a folder in listing order ("." and ".." included if the system lists them);
// false when the folder cannot be opened.
bool listDirectory(const std::string& folder, std::vector<std::string>& names);

enum class EntryKind { Unreadable, Directory, File, Other };
// Status of a path, links followed: unreadable, a directory, a regular file, or anything else
// (pipe, socket, device).
EntryKind entryKind(const std::string& path);

// Processor clock at 1,000 ticks per second: a steadily rising millisecond count. [any]
std::int32_t clockTicks() noexcept;

// Wall-clock time of day in seconds (seconds plus microseconds * 0.000001). [any]
double timeOfDaySeconds() noexcept;

} // namespace tarvo_platform
