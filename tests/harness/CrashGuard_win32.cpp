// SPDX-License-Identifier: MIT
// An unhandled structured exception ends the test program with exit code 3 after naming the
// exception: no crash dialog, no debugger, never a zero exit.
#include "CrashGuard.h"

#include <windows.h>

#include <cstdio>

namespace testhost {

namespace {
LONG WINAPI reportCrash(EXCEPTION_POINTERS* info) {
    const DWORD code = info != nullptr && info->ExceptionRecord != nullptr
                           ? info->ExceptionRecord->ExceptionCode
                           : 0;
    std::fprintf(stderr, "test program crashed: exception 0x%08lX\n",
                 static_cast<unsigned long>(code));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
} // namespace

void installCrashGuard() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(reportCrash);
}

} // namespace testhost
