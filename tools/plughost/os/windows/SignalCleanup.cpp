// SPDX-License-Identifier: MIT
// The Windows side of SignalCleanup.h: an unhandled exception (a crash, most likely inside a
// plug-in) removes the pending files, is reported in one line and ends the process with the
// exception's code, as Windows itself would; Ctrl+C, Ctrl+Break and closing the console remove
// them, say so and then let the process end the usual way. abort() arrives as SIGABRT.
#include "os/SignalCleanup.h"
#include "os/SignalCleanupSlots.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <windows.h>

namespace plughost {
namespace {

using namespace signal_cleanup;

// The handlers run while the process may be in any state: they only read the plain memory of
// the table and call the system.
void say(const char* text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written,
              nullptr);
}

void removePendingFiles() {
    signal_cleanup::removePendingFiles(DeleteFileA);
}

// What an exception that ends a process means, in a few words.
const char* exceptionName(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
        return "invalid memory access";
    case EXCEPTION_STACK_OVERFLOW:
        return "stack overflow";
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
        return "illegal instruction";
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
        return "arithmetic fault";
    case 128 + SIGABRT:
        return "aborted";
    default:
        return "unhandled exception";
    }
}

LONG WINAPI onCrash(EXCEPTION_POINTERS* pointers) {
    removePendingFiles();
    const DWORD code = pointers->ExceptionRecord->ExceptionCode;
    char text[128];
    std::snprintf(text, sizeof text, "%s%s, 0x%08lX)\n", crashLineStart(), exceptionName(code),
                  static_cast<unsigned long>(code));
    say(text);
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

BOOL WINAPI onConsoleEvent(DWORD /*event*/) {
    removePendingFiles();
    say(kInterruptedLine);
    return FALSE; // the default handler ends the process
}

extern "C" void onAbort(int /*signalNumber*/) {
    removePendingFiles();
    say(crashLineStart());
    say("aborted)\n");
    TerminateProcess(GetCurrentProcess(), 128 + SIGABRT);
}

} // namespace

void installSignalCleanup() {
    // No error dialog boxes: a crash is reported on standard error and the process ends.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(onCrash);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    std::signal(SIGABRT, onAbort);
}

// The handlers already end a crashed process with the exception's code, which is how the
// system reports it; the line they print goes to the parent's captured error output.
void letCrashesEndTheProcess() {}

std::string crashDescription(int code) {
    char text[64];
    std::snprintf(text, sizeof text, "%s, 0x%08lX", exceptionName(static_cast<DWORD>(code)),
                  static_cast<unsigned long>(static_cast<DWORD>(code)));
    return text;
}

} // namespace plughost
