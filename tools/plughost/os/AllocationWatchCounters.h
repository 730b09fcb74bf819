// SPDX-License-Identifier: MIT
// The counters behind AllocationWatch.h, for the files that replace the allocator.
#pragma once

#include "core/PluginCalls.h"

#include <atomic>

namespace plughost {

extern std::atomic<long> g_allocations;
extern std::atomic<long> g_releases;
extern std::atomic<long> g_locks;

inline void countAllocation() {
    if (onAudioThread()) g_allocations.fetch_add(1, std::memory_order_relaxed);
}
inline void countRelease() {
    if (onAudioThread()) g_releases.fetch_add(1, std::memory_order_relaxed);
}
inline void countLock() {
    if (onAudioThread()) g_locks.fetch_add(1, std::memory_order_relaxed);
}

} // namespace plughost
