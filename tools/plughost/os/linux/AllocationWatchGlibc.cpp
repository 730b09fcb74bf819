// SPDX-License-Identifier: MIT
// The C allocator replaced in the plughost executable: every entry counts and forwards to the
// C library's own implementation. Plug-ins reach it whether they allocate through malloc or
// through a C++ runtime, shared or linked into them.
#include "os/AllocationWatch.h"
#include "os/AllocationWatchCounters.h"

#include <cerrno>
#include <cstddef>
#include <malloc.h>

using plughost::countAllocation;
using plughost::countRelease;

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t size) {
    countAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t nmemb, std::size_t size) {
    countAllocation();
    return __libc_calloc(nmemb, size);
}
void* realloc(void* ptr, std::size_t size) {
    countAllocation();
    return __libc_realloc(ptr, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    countAllocation();
    return __libc_memalign(alignment, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
    countAllocation();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** memptr, std::size_t alignment, std::size_t size) {
    countAllocation();
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr) return ENOMEM;
    *memptr = p;
    return 0;
}
void free(void* ptr) {
    if (ptr != nullptr) countRelease();
    __libc_free(ptr);
}
} // extern "C"

namespace plughost {

std::size_t heapBytesInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace plughost
