// SPDX-License-Identifier: MIT
// The allocation watch on Windows: the heap in use. The allocator and the lock functions are
// not interposed here (a DLL calls its own C runtime's, which this program cannot replace), so
// the counts stay zero and the real-time check reports itself as skipped; its own probe
// allocation tells it so.
#include "os/AllocationWatch.h"

#include <windows.h>

namespace plughost {
void resetAllocationCounts() {}

AllocationCounts allocationCounts() {
    return {};
}

// The bytes of the busy blocks of every heap of the process (the C runtimes allocate from
// them).
std::size_t heapBytesInUse() {
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    std::size_t bytes = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) bytes += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return bytes;
}

} // namespace plughost
