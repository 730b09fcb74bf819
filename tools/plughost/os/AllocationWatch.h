// SPDX-License-Identifier: MIT
// Counting what a plug-in does on the audio thread that may stall it: heap allocations and
// releases, and lock calls. The validator's own process provides the counted functions (the
// allocator and the lock entry points are replaced in the plughost executable, or the
// sanitizer allocator's hooks are used in sanitizer builds), so any plug-in it loads is seen
// without being rebuilt. Only calls made on a thread marked as the audio thread
// (core/PluginCalls.h) are counted. On Windows nothing can be counted (a DLL calls its own C
// runtime's allocator): the counts stay 0.
#pragma once

#include <cstddef>

namespace plughost {

struct AllocationCounts {
    long allocations = 0;
    long releases = 0;
    long locks = 0;
};

void resetAllocationCounts();
AllocationCounts allocationCounts();

// Heap bytes the process has in use now (allocated and not released).
std::size_t heapBytesInUse();

} // namespace plughost
