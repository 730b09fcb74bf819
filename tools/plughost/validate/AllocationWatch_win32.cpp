// SPDX-License-Identifier: MIT
// The allocation watch on Windows: the audio-thread mark and the heap in use. The allocator and
// the lock functions are not interposed here (a DLL calls its own C runtime's, which this
// program cannot replace), so the counts stay zero and the real-time check reports itself as
// skipped; its own probe allocation tells it so.
#include "AllocationWatch.h"

#include <windows.h>

namespace plughost::validate {
namespace {
thread_local bool t_audioThread = false;
} // namespace

AudioThreadScope::AudioThreadScope() {
    t_audioThread = true;
}
AudioThreadScope::~AudioThreadScope() {
    t_audioThread = false;
}

bool onAudioThread() {
    return t_audioThread;
}

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

} // namespace plughost::validate
