// SPDX-License-Identifier: MIT
// The POSIX side of SignalCleanup.h, through signal handlers.
#include "os/SignalCleanup.h"
#include "os/SignalCleanupSlots.h"

#include <csignal>
#include <cstring>
#include <unistd.h>

namespace plughost {
namespace {

using namespace signal_cleanup;

constexpr int kFaults[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kInterruptions[] = {SIGINT, SIGTERM, SIGHUP};

// The handlers only read the plain memory of the table, write to a descriptor and call unlink.
void say(const char* text) {
    const ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

// What a signal that ends a process means, in a few words and its name.
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
    case SIGKILL:
        return "killed, SIGKILL";
    case SIGTERM:
        return "terminated, SIGTERM";
    default:
        return nullptr;
    }
}

extern "C" void cleanUpAndEnd(int signalNumber) {
    removePendingFiles(unlink);
    if (signalNumber == SIGINT || signalNumber == SIGTERM || signalNumber == SIGHUP) {
        say(kInterruptedLine);
        // Ended by the same signal, so that a calling shell or script sees the interruption.
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    say(crashLineStart());
    const char* name = faultName(signalNumber);
    say(name != nullptr ? name : "fatal signal");
    say(")\n");
    // The status a shell reports for a process killed by that signal, without a core file.
    _exit(128 + signalNumber);
}

} // namespace

void installSignalCleanup() {
    for (const int signalNumber : kFaults)
        std::signal(signalNumber, cleanUpAndEnd);
    for (const int signalNumber : kInterruptions)
        std::signal(signalNumber, cleanUpAndEnd);
}

void letCrashesEndTheProcess() {
    for (const int signalNumber : kFaults)
        std::signal(signalNumber, SIG_DFL);
    // A parent that has gone away ends a write with an error, not the process.
    std::signal(SIGPIPE, SIG_IGN);
}

std::string crashDescription(int code) {
    const char* name = faultName(code);
    return name != nullptr ? name : "signal " + std::to_string(code);
}

} // namespace plughost
