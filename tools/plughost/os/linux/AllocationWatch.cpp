// SPDX-License-Identifier: MIT
// The counters and the replaced lock entry points, shared by both ways of watching the
// allocator.
#include "os/AllocationWatch.h"
#include "os/AllocationWatchCounters.h"

#include <dlfcn.h>
#include <pthread.h>

namespace plughost {

std::atomic<long> g_allocations{0};
std::atomic<long> g_releases{0};
std::atomic<long> g_locks{0};

void resetAllocationCounts() {
    g_allocations = 0;
    g_releases = 0;
    g_locks = 0;
}

AllocationCounts allocationCounts() {
    return {g_allocations.load(), g_releases.load(), g_locks.load()};
}

} // namespace plughost

// ---- lock entry points ------------------------------------------------------------------------
// Replaced here and exported to the loaded plug-ins; each forwards to the C library's own.

namespace {

template <class Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

using MutexLock = int (*)(pthread_mutex_t*);
using RwLock = int (*)(pthread_rwlock_t*);

// Looked up before main(), so that no lookup happens on an audio thread.
const MutexLock g_mutexLock = next<MutexLock>("pthread_mutex_lock");
const RwLock g_readLock = next<RwLock>("pthread_rwlock_rdlock");
const RwLock g_writeLock = next<RwLock>("pthread_rwlock_wrlock");

using plughost::countLock;

} // namespace

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) {
    countLock();
    return (g_mutexLock != nullptr ? g_mutexLock : next<MutexLock>("pthread_mutex_lock"))(mutex);
}

extern "C" int pthread_rwlock_rdlock(pthread_rwlock_t* lock) {
    countLock();
    return (g_readLock != nullptr ? g_readLock : next<RwLock>("pthread_rwlock_rdlock"))(lock);
}

extern "C" int pthread_rwlock_wrlock(pthread_rwlock_t* lock) {
    countLock();
    return (g_writeLock != nullptr ? g_writeLock : next<RwLock>("pthread_rwlock_wrlock"))(lock);
}
