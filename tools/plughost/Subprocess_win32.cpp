// SPDX-License-Identifier: MIT
// Batches on Windows: patterns through FindFirstFile (* and ? in the last part of the path; a
// [...] set is not a pattern on Windows), and runs of this program through CreateProcess with
// standard input and output on NUL and standard error into a temporary file.
#include "Subprocess.h"

#include "Failure.h"
#include "WindowsCommandLine_win32.h"
#include "WindowsError_win32.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <windows.h>

namespace plughost {

std::vector<std::string> expandPattern(const std::string& pattern) {
    if (pattern.find_first_of("*?") == std::string::npos) return {pattern};
    const std::filesystem::path folder = std::filesystem::path(pattern).parent_path();
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                names.push_back((folder / found.cFileName).string());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (names.empty()) throw Failure("no file matches " + quote(pattern));
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

struct Running {
    std::size_t index = 0;
    std::string errorPath;
};

} // namespace

void runChildren(const std::vector<std::vector<std::string>>& runs, int jobs,
                 const std::function<void(std::size_t, const ChildResult&)>& done) {
    char program[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program)
        throw Failure("cannot find the plughost program to run once per file");
    char folder[MAX_PATH];
    if (GetTempPathA(sizeof folder, folder) == 0)
        throw Failure("cannot start a run: " + lastWindowsError());
    jobs = std::clamp(jobs, 1, static_cast<int>(MAXIMUM_WAIT_OBJECTS));
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    std::map<HANDLE, Running> running;
    std::size_t next = 0;
    while (next < runs.size() || !running.empty()) {
        while (next < runs.size() && static_cast<int>(running.size()) < jobs) {
            char errorPath[MAX_PATH];
            if (GetTempFileNameA(folder, "plh", 0, errorPath) == 0)
                throw Failure("cannot start a run: " + lastWindowsError());
            const HANDLE errorFile = CreateFileA(errorPath, GENERIC_WRITE, FILE_SHARE_READ,
                                                 &inherit, CREATE_ALWAYS, 0, nullptr);
            const HANDLE nothing = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, 0, &inherit,
                                               OPEN_EXISTING, 0, nullptr);
            std::string commandLine = commandLineOf(program, runs[next]);
            STARTUPINFOA startup{};
            startup.cb = sizeof startup;
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdInput = nothing;
            startup.hStdOutput = nothing;
            startup.hStdError = errorFile;
            PROCESS_INFORMATION process{};
            const BOOL started = errorFile != INVALID_HANDLE_VALUE &&
                                 nothing != INVALID_HANDLE_VALUE &&
                                 CreateProcessA(program, commandLine.data(), nullptr, nullptr, TRUE,
                                                0, nullptr, nullptr, &startup, &process);
            const std::string reason = started ? "" : lastWindowsError();
            if (errorFile != INVALID_HANDLE_VALUE) CloseHandle(errorFile);
            if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
            if (!started) {
                DeleteFileA(errorPath);
                throw Failure("cannot start a run: " + reason);
            }
            CloseHandle(process.hThread);
            running[process.hProcess] = {next++, errorPath};
        }
        std::vector<HANDLE> handles;
        for (const auto& entry : running)
            handles.push_back(entry.first);
        const DWORD which = WaitForMultipleObjects(static_cast<DWORD>(handles.size()),
                                                   handles.data(), FALSE, INFINITE);
        if (which >= WAIT_OBJECT_0 + handles.size())
            throw Failure("cannot wait for a run: " + lastWindowsError());
        const HANDLE ended = handles[which - WAIT_OBJECT_0];
        DWORD status = 1;
        GetExitCodeProcess(ended, &status);
        CloseHandle(ended);
        const auto found = running.find(ended);
        ChildResult result;
        result.exitCode = static_cast<int>(status);
        result.errorText = readAndRemoveFile(found->second.errorPath);
        const std::size_t index = found->second.index;
        running.erase(found);
        done(index, result);
    }
}

} // namespace plughost
