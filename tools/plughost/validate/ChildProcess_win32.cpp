// SPDX-License-Identifier: MIT
// A check's child process on Windows, where there is no fork: plughost.exe started again with
// arguments that make it run the same check, its report lines read from its standard output
// through a pipe. A crash ends the child with the exception's code; a child past its time is
// terminated.
#include "ChildProcess.h"
#include "Deadline.h"

#include "../WindowsCommandLine_win32.h"

#include <chrono>
#include <cstdio>
#include <windows.h>

namespace plughost::validate {
namespace {

// Appends what the pipe holds now; answers false once it is closed.
bool drain(HANDLE pipe, std::string& report) {
    for (;;) {
        DWORD waiting = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr)) return false;
        if (waiting == 0) return true;
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, sizeof buffer < waiting ? sizeof buffer : waiting, &got,
                      nullptr) ||
            got == 0)
            return false;
        report.append(buffer, got);
    }
}

// Exception codes (0xC0000005 and the like) have the two top bits set.
bool isExceptionCode(DWORD code) {
    return (code & 0xC0000000u) == 0xC0000000u;
}

} // namespace

std::string crashName(int code) {
    switch (static_cast<DWORD>(code)) {
    case EXCEPTION_ACCESS_VIOLATION:
        return "access violation";
    case EXCEPTION_STACK_OVERFLOW:
        return "stack overflow";
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
        return "illegal instruction";
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
        return "division by zero";
    default: {
        char text[32];
        std::snprintf(text, sizeof text, "exception 0x%08lX", static_cast<unsigned long>(code));
        return text;
    }
    }
}

ChildEnd
runInChild(const std::function<void(const std::function<void(const std::string&)>&)>& /*body*/,
           const std::vector<std::string>& childArguments, double timeoutSeconds,
           std::string& report) {
    char program[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program) return {};
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0); // the child gets the write end only
    const HANDLE nothing = CreateFileA("NUL", GENERIC_READ, 0, &inherit, OPEN_EXISTING, 0, nullptr);
    std::string commandLine = commandLineOf(program, childArguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::fflush(nullptr);
    const BOOL started = CreateProcessA(program, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
    if (!started) {
        CloseHandle(readEnd);
        return {};
    }
    CloseHandle(process.hThread);
    const auto deadline = after(timeoutSeconds);
    ChildEnd end;
    bool open = true;
    for (;;) {
        if (open) open = drain(readEnd, report);
        if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
            if (open) drain(readEnd, report);
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            end.kind = isExceptionCode(code) ? ChildEnd::Kind::Signalled : ChildEnd::Kind::Exited;
            end.code = static_cast<int>(code);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            if (open) drain(readEnd, report);
            end.kind = ChildEnd::Kind::TimedOut;
            break;
        }
    }
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    return end;
}

} // namespace plughost::validate
