// SPDX-License-Identifier: MIT
// The pending files, kept in plain memory for the platform's crash and interruption handlers,
// which may only read them; and the texts the handlers print.
#pragma once

#include "core/PluginCalls.h"

#include <array>
#include <csignal>
#include <cstddef>

namespace plughost::signal_cleanup {

constexpr int kSlots = 16;
constexpr std::size_t kPathCapacity = 4096;
extern std::array<std::array<char, kPathCapacity>, kSlots> g_paths;
extern volatile std::sig_atomic_t g_used[kSlots];

// Calls remove(path) for every pending file; safe inside a handler.
template <class Remove>
void removePendingFiles(Remove remove) {
    for (int i = 0; i < kSlots; ++i)
        if (g_used[i] != 0) remove(g_paths[static_cast<std::size_t>(i)].data());
}

// The start of the line a crash prints; safe inside a handler.
inline const char* crashLineStart() {
    return g_callsInsidePlugin.load(std::memory_order_relaxed) > 0
               ? "plughost: the plug-in crashed ("
               : "plughost: crashed (";
}

constexpr char kInterruptedLine[] = "plughost: interrupted; unfinished output files removed\n";

} // namespace plughost::signal_cleanup
