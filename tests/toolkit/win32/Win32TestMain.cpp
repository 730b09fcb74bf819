// SPDX-License-Identifier: MIT
// Test main of the Windows toolkit tests. Besides the usual crash guard, a crash inside this
// program's own code fails the run even when it happens in a window procedure: the system's
// message dispatch would otherwise swallow it and the test would only see a missing paint.
#include "CrashGuard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

bool isCrash(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        return true;
    default:
        return false;
    }
}

bool inThisProgram(const void* address) {
    const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto* at = static_cast<const BYTE*>(address);
    return at >= base && at < base + nt->OptionalHeader.SizeOfImage;
}

LONG WINAPI failOnOwnCrash(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info != nullptr ? info->ExceptionRecord : nullptr;
    if (record == nullptr || !isCrash(record->ExceptionCode) ||
        !inThisProgram(record->ExceptionAddress))
        return EXCEPTION_CONTINUE_SEARCH;
    std::fprintf(stderr, "test program crashed: exception 0x%08lX at %p\n",
                 static_cast<unsigned long>(record->ExceptionCode), record->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

int main(int argc, char** argv) {
    testhost::installCrashGuard();
    AddVectoredExceptionHandler(1, failOnOwnCrash);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
