// SPDX-License-Identifier: MIT
#include "SignalCleanup.h"
#include "SignalCleanupSlots.h"

#include <csignal>
#include <cstring>
#include <unistd.h>

namespace plughost {
namespace {

using namespace signal_cleanup;

// The handlers only read the plain memory of the table, write to a descriptor and call unlink.
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
    removePendingFiles(unlink);
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

} // namespace plughost
