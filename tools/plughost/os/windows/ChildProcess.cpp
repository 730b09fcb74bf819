// SPDX-License-Identifier: MIT
// Runs of this program through CreateProcess: standard input on NUL, standard output and error
// through pipes that are read as they fill (PeekNamedPipe, so that reading never blocks). A
// crashed run ends with the exception's code (os/SignalCleanup.h), told apart from an exit
// status by its two top bits.
#include "os/ChildProcess.h"

#include "os/windows/CommandLine.h"
#include "os/windows/WindowsError.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace plughost {
namespace {

// Appends what the pipe holds now; answers false once it is closed.
bool drain(HANDLE& pipe, std::string& text) {
    if (pipe == nullptr) return false;
    for (;;) {
        DWORD waiting = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr)) break;
        if (waiting == 0) return true;
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, waiting < sizeof buffer ? waiting : sizeof buffer, &got,
                      nullptr) ||
            got == 0)
            break;
        text.append(buffer, got);
    }
    CloseHandle(pipe);
    pipe = nullptr;
    return false;
}

bool isExceptionCode(DWORD code) {
    return (code & 0xC0000000u) == 0xC0000000u;
}

class WindowsChild final : public RunningChild {
public:
    WindowsChild(HANDLE process, HANDLE output, HANDLE errors)
        : m_process(process), m_output(output), m_errors(errors) {}
    ~WindowsChild() override {
        kill();
        for (HANDLE* pipe : {&m_output, &m_errors})
            if (*pipe != nullptr) CloseHandle(*pipe);
    }
    WindowsChild(const WindowsChild&) = delete;
    WindowsChild& operator=(const WindowsChild&) = delete;

    bool poll(ChildResult& result) override {
        drain(m_output, result.output);
        drain(m_errors, result.errors);
        if (m_process == nullptr) return true;
        if (WaitForSingleObject(m_process, 0) != WAIT_OBJECT_0) return false;
        drain(m_output, result.output);
        drain(m_errors, result.errors);
        DWORD code = 1;
        GetExitCodeProcess(m_process, &code);
        CloseHandle(m_process);
        m_process = nullptr;
        result.end = isExceptionCode(code) ? ChildResult::End::Crashed : ChildResult::End::Exited;
        result.code = static_cast<int>(code);
        return true;
    }

    void kill() override {
        if (m_process == nullptr) return;
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, INFINITE);
        CloseHandle(m_process);
        m_process = nullptr;
    }

private:
    HANDLE m_process;
    HANDLE m_output;
    HANDLE m_errors;
};

// A pipe whose write end the child inherits.
bool makePipe(HANDLE& readEnd, HANDLE& writeEnd) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    return true;
}

} // namespace

std::unique_ptr<RunningChild> startChild(const ChildRun& run, std::string& reason) {
    char program[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program) {
        reason = "cannot find the plughost program";
        return nullptr;
    }
    HANDLE outputRead = nullptr, outputWrite = nullptr, errorsRead = nullptr, errorsWrite = nullptr;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE nothing = CreateFileA("NUL", GENERIC_READ, 0, &inherit, OPEN_EXISTING, 0, nullptr);
    bool ready = nothing != INVALID_HANDLE_VALUE && makePipe(outputRead, outputWrite);
    if (ready && run.captureErrors) ready = makePipe(errorsRead, errorsWrite);
    PROCESS_INFORMATION process{};
    if (ready) {
        std::string commandLine = commandLineOf(program, run.arguments);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nothing;
        startup.hStdOutput = outputWrite;
        startup.hStdError = run.captureErrors ? errorsWrite : GetStdHandle(STD_ERROR_HANDLE);
        std::fflush(nullptr);
        ready = CreateProcessA(program, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &startup, &process) != 0;
    }
    if (!ready) reason = "cannot start plughost again: " + lastWindowsError();
    for (HANDLE handle : {nothing, outputWrite, errorsWrite})
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    if (!ready) {
        for (HANDLE handle : {outputRead, errorsRead})
            if (handle != nullptr) CloseHandle(handle);
        return nullptr;
    }
    CloseHandle(process.hThread);
    return std::make_unique<WindowsChild>(process.hProcess, outputRead, errorsRead);
}

std::function<void(const std::string&)> takeStandardOutputForReport() {
    std::fflush(stdout);
    // A handle of its own: the C runtime closes the one behind its descriptor 1 when that is
    // pointed at standard error.
    HANDLE report = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_OUTPUT_HANDLE), GetCurrentProcess(),
                    &report, 0, FALSE, DUPLICATE_SAME_ACCESS);
    SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
    _dup2(_fileno(stderr), _fileno(stdout));
    return [report](const std::string& text) {
        DWORD written = 0;
        WriteFile(report, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    };
}

} // namespace plughost
