// SPDX-License-Identifier: MIT
// The pending files and the inside-the-plug-in mark, kept in plain memory for the platform's
// crash and interruption handlers, which may only read them.
#pragma once

#include <array>
#include <csignal>
#include <cstddef>

namespace plughost::signal_cleanup {

constexpr int kSlots = 4;
constexpr std::size_t kPathCapacity = 4096;
extern std::array<std::array<char, kPathCapacity>, kSlots> g_paths;
extern volatile std::sig_atomic_t g_used[kSlots];
extern volatile std::sig_atomic_t g_insidePlugin;

// Calls remove(path) for every pending file; safe inside a handler.
template <class Remove>
void removePendingFiles(Remove remove) {
    for (int i = 0; i < kSlots; ++i)
        if (g_used[i] != 0) remove(g_paths[static_cast<std::size_t>(i)].data());
}

} // namespace plughost::signal_cleanup
