// SPDX-License-Identifier: MIT
// Counting what a plug-in does on the audio thread that may stall it: heap allocations and
// releases, and lock calls. The validator's own process provides the counted functions (the
// allocator and the lock entry points are replaced in the plughost executable, or the
// sanitizer allocator's hooks are used in sanitizer builds), so any plug-in it loads is seen
// without being rebuilt. Only calls made on a thread inside an AudioThreadScope are counted.
#pragma once

#include <cstddef>

namespace plughost::validate {

struct AllocationCounts {
    long allocations = 0;
    long releases = 0;
    long locks = 0;
};

// Marks the calling thread as the audio thread while it lives. Scopes do not nest.
// [audio]
class AudioThreadScope {
public:
    AudioThreadScope();
    ~AudioThreadScope();
    AudioThreadScope(const AudioThreadScope&) = delete;
    AudioThreadScope& operator=(const AudioThreadScope&) = delete;
};

// True on a thread inside an AudioThreadScope.
bool onAudioThread();

void resetAllocationCounts();
AllocationCounts allocationCounts();

// Heap bytes the process has in use now (allocated and not released).
std::size_t heapBytesInUse();

} // namespace plughost::validate
