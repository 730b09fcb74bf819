// SPDX-License-Identifier: MIT
// The counters behind AllocationWatch.h, for the files that replace the allocator.
#pragma once

#include <atomic>

namespace plughost::validate {

extern thread_local bool t_audioThread;
extern std::atomic<long> g_allocations;
extern std::atomic<long> g_releases;
extern std::atomic<long> g_locks;

inline void countAllocation() {
    if (t_audioThread) g_allocations.fetch_add(1, std::memory_order_relaxed);
}
inline void countRelease() {
    if (t_audioThread) g_releases.fetch_add(1, std::memory_order_relaxed);
}

} // namespace plughost::validate
