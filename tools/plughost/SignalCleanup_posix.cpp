// SPDX-License-Identifier: MIT
#include "SignalCleanup.h"

#include <array>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace plughost {
namespace {

// Everything the handlers read is plain memory: they may only read it, write to a descriptor
// and call unlink.
constexpr int kSlots = 4;
constexpr std::size_t kPathCapacity = 4096;
std::array<std::array<char, kPathCapacity>, kSlots> g_paths{};
volatile std::sig_atomic_t g_used[kSlots] = {};
volatile std::sig_atomic_t g_insidePlugin = 0;

void say(const char* text) {
    const ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

const char* faultName(int signalNumber) {
    switch (signalNumber) {
    case SIGSEGV:
        return "invalid memory access, SIGSEGV";
    case SIGBUS:
        return "bus error, SIGBUS";
    case SIGFPE:
        return "arithmetic fault, SIGFPE";
    case SIGILL:
        return "illegal instruction, SIGILL";
    case SIGABRT:
        return "aborted, SIGABRT";
    default:
        return "fatal signal";
    }
}

extern "C" void cleanUpAndEnd(int signalNumber) {
    for (int i = 0; i < kSlots; ++i)
        if (g_used[i] != 0) unlink(g_paths[static_cast<std::size_t>(i)].data());
    if (signalNumber == SIGINT || signalNumber == SIGTERM || signalNumber == SIGHUP) {
        // Ended by the same signal, so that a calling shell or script sees the interruption.
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    say(g_insidePlugin != 0 ? "plughost: the plug-in crashed (" : "plughost: crashed (");
    say(faultName(signalNumber));
    say(")\n");
    // The status a shell reports for a process killed by that signal, without a core file.
    _exit(128 + signalNumber);
}

} // namespace

void installSignalCleanup() {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        std::signal(signalNumber, cleanUpAndEnd);
}

int removeOnSignal(const std::string& path) {
    if (path.size() >= kPathCapacity) return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i] == 0) {
            auto& slot = g_paths[static_cast<std::size_t>(i)];
            std::memcpy(slot.data(), path.c_str(), path.size() + 1);
            g_used[i] = 1;
            return i;
        }
    }
    return -1;
}

void forgetRemoval(int slot) {
    if (slot >= 0) g_used[slot] = 0;
}

InsidePlugin::InsidePlugin() {
    g_insidePlugin = 1;
}
InsidePlugin::~InsidePlugin() {
    g_insidePlugin = 0;
}

} // namespace plughost
