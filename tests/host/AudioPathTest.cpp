// SPDX-License-Identifier: MIT
// The processing entries run on the host's audio thread, where allocating, locking or calling
// the system can stall the audio. This program watches the plug-in library, loaded as a host
// loads it, while it processes: the allocator and the mutex entry points are replaced here
// (and exported to the library), and a child process runs the processing under a system-call
// filter that only lets the clock through.
#include "TestHost.h"
#ifdef QT_LV2_BUNDLE
#include "Lv2Trimmer.h"
#endif

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

using namespace testhost;

namespace {
std::atomic<bool> g_watching{false};
std::atomic<long> g_allocations{0};
std::atomic<long> g_releases{0};
std::atomic<long> g_locks{0};

void countAllocation() {
    if (g_watching.load(std::memory_order_relaxed)) g_allocations.fetch_add(1);
}
void countRelease() {
    if (g_watching.load(std::memory_order_relaxed)) g_releases.fetch_add(1);
}
} // namespace

// ---- replaced allocation entry points ----------------------------------------------------
// Sanitizer builds bring their own allocator, so there only operator new and delete are
// replaced; elsewhere the C allocator is wrapped too, which catches every allocation.

void* operator new(std::size_t size) {
    countAllocation();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    countAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    if (p != nullptr) countRelease();
    std::free(p);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

#ifndef QT_SANITIZE_BUILD
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

// Counted only while watching and only once per call chain: operator new above counts too,
// which is harmless since the test asks for zero.
void* malloc(std::size_t size) {
    countAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    countAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) {
    countAllocation();
    return __libc_realloc(p, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    countAllocation();
    return __libc_memalign(alignment, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
    countAllocation();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    countAllocation();
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr) return ENOMEM;
    *out = p;
    return 0;
}
void free(void* p) {
    if (p != nullptr) countRelease();
    __libc_free(p);
}
} // extern "C"
#endif

// ---- replaced mutex entry point ----------------------------------------------------------

namespace {
using LockFunction = int (*)(pthread_mutex_t*);
LockFunction realLock() {
    static const LockFunction real =
        reinterpret_cast<LockFunction>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    return real;
}
} // namespace

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) {
    if (g_watching.load(std::memory_order_relaxed)) g_locks.fetch_add(1);
    return realLock()(mutex);
}

namespace {

constexpr int kChannels = 8;
constexpr int kFrames = 512;
constexpr int kCalls = 200;

struct Session {
    TestHost host;
    AEffect* effect = nullptr;
    ChannelBuffers<float> in{kChannels, kFrames}, out{kChannels, kFrames};
    ChannelBuffers<double> din{kChannels, kFrames}, dout{kChannels, kFrames};
#ifdef QT_LV2_BUNDLE
    Lv2Trimmer lv2; // the LV2 library's run too, its first level changing on every call
#endif

    Session() {
        host.recordCalls = false;
        effect = host.create();
        if (effect == nullptr) return;
        host.start(effect);
        effect->setParameter(effect, 0, 0.3f);
        for (int c = 0; c < kChannels; ++c)
            for (int j = 0; j < kFrames; ++j) {
                in.data[c][j] = static_cast<float>((j % 17) - 8) * 0.1f;
                din.data[c][j] = in.data[c][j];
            }
        processBoth(); // the first calls settle the remembered channel counts
    }
    void processBoth() {
        for (int i = 0; i < kCalls; ++i) {
            effect->processReplacing(effect, in.channels(), out.channels(), kFrames);
            effect->processDoubleReplacing(effect, din.channels(), dout.channels(), kFrames);
            effect->processReplacing(effect, out.channels(), out.channels(), 0);
#ifdef QT_LV2_BUNDLE
            lv2.levels[0] = static_cast<float>(i % 24 - 12);
            lv2.run(in.channels(), out.channels(), 0, i % 2 == 0 ? kFrames : 0);
#endif
        }
    }
};

template <class Action>
void watch(Action action) {
    g_allocations = 0;
    g_releases = 0;
    g_locks = 0;
    g_watching = true;
    action();
    g_watching = false;
}

// Runs `action` in a child process under a filter that traps every system call but the
// clock's, writing and exiting; answers the child's exit status (0 when nothing else ran).
// Sanitizer runtimes make system calls of their own (signal stacks, shadow memory), so the
// system-call filter only means something in the plain build.
#ifndef QT_SANITIZE_BUILD
// Async-signal-safe and system-call-free apart from the write: the filter is still active.
void onTrap(int, siginfo_t* info, void*) {
    char message[] = "trapped system call ###\n";
    int number = info != nullptr ? info->si_syscall : 0;
    for (int digit = 22; digit >= 20; --digit, number /= 10)
        message[digit] = static_cast<char>('0' + number % 10);
    (void)!write(2, message, sizeof message - 1);
    _exit(42);
}

template <class Action>
int runFiltered(Action action) {
    const pid_t child = fork();
    if (child == 0) {
        struct sigaction trap {};
        trap.sa_sigaction = onTrap;
        trap.sa_flags = SA_SIGINFO;
        sigaction(SIGSYS, &trap, nullptr);
        sock_filter rules[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_clock_gettime, 5, 0),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_gettimeofday, 4, 0),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_write, 3, 0),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_exit_group, 2, 0),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_rt_sigreturn, 1, 0),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        sock_fprog program{static_cast<unsigned short>(sizeof rules / sizeof rules[0]), rules};
        if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
            prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
            _exit(2);
        action();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
#endif

} // namespace

TEST(AudioPath, ProcessingAllocatesNothingAndTakesNoLock) {
    Session session;
    ASSERT_NE(session.effect, nullptr) << session.host.loadError();
    watch([&] { session.processBoth(); });
    EXPECT_EQ(g_allocations, 0);
    EXPECT_EQ(g_releases, 0);
    EXPECT_EQ(g_locks, 0);
    EXPECT_DOUBLE_EQ(session.dout.data[0][3], session.din.data[0][3] * std::pow(10.0, -4.8 / 20.0));

    // The watch sees what happens inside the library: a long program name is a new string
    // there, and a mutex taken here is counted.
    const std::string name(200, 'p');
    watch([&] {
        session.host.dispatch(session.effect, effSetProgramName, 0, 0,
                              const_cast<char*>(name.c_str()));
        std::mutex mutex;
        std::lock_guard<std::mutex> lock(mutex);
    });
    EXPECT_GT(g_allocations, 0);
    EXPECT_EQ(g_locks, 1);
}

#ifndef QT_SANITIZE_BUILD
TEST(AudioPath, ProcessingCallsTheSystemOnlyForTheClock) {
    Session session;
    ASSERT_NE(session.effect, nullptr) << session.host.loadError();
    EXPECT_EQ(runFiltered([&] { session.processBoth(); }), 0);
    // The filter itself works: anything else is trapped.
    EXPECT_EQ(runFiltered([] { syscall(SYS_getpid); }), 42);
}
#endif
