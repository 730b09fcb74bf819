// SPDX-License-Identifier: MIT
// Sanitizer builds bring their own allocator, which must not be replaced; it calls hooks on
// every allocation and release instead, and knows how much is in use.
#include "os/AllocationWatch.h"
#include "os/AllocationWatchCounters.h"

#include <cstddef>

extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*onAllocate)(const volatile void*, std::size_t),
                                              void (*onRelease)(const volatile void*));
std::size_t __sanitizer_get_current_allocated_bytes();
}

namespace {

void onAllocate(const volatile void*, std::size_t) {
    plughost::countAllocation();
}
void onRelease(const volatile void* p) {
    if (p != nullptr) plughost::countRelease();
}

const int g_installed = __sanitizer_install_malloc_and_free_hooks(onAllocate, onRelease);

} // namespace

namespace plughost {

std::size_t heapBytesInUse() {
    (void)g_installed;
    return __sanitizer_get_current_allocated_bytes();
}

} // namespace plughost
