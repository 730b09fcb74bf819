// SPDX-License-Identifier: MIT
#include "Subprocess.h"

#include "Failure.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <glob.h>
#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace plughost {

std::vector<std::string> expandPattern(const std::string& pattern) {
    if (pattern.find_first_of("*?[") == std::string::npos) return {pattern};
    glob_t found{};
    const int status = glob(pattern.c_str(), 0, nullptr, &found);
    std::vector<std::string> names;
    if (status == 0)
        for (std::size_t i = 0; i < found.gl_pathc; ++i)
            names.emplace_back(found.gl_pathv[i]);
    globfree(&found);
    if (names.empty()) throw Failure("no file matches " + quote(pattern));
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

struct Running {
    std::size_t index = 0;
    std::string errorPath;
};

// This program, as the running process sees it: the same file even if the program has been
// replaced on disk (rebuilt) since the batch started.
std::string selfPath() {
    std::string path = "/proc/self/exe";
    if (access(path.c_str(), X_OK) != 0)
        throw Failure("cannot find the plughost program to run once per file");
    return path;
}

} // namespace

void runChildren(const std::vector<std::vector<std::string>>& runs, int jobs,
                 const std::function<void(std::size_t, const ChildResult&)>& done) {
    const std::string program = selfPath();
    std::map<pid_t, Running> running;
    std::size_t next = 0;
    while (next < runs.size() || !running.empty()) {
        while (next < runs.size() && static_cast<int>(running.size()) < jobs) {
            char errorPattern[] = "/tmp/plughost-batch-XXXXXX";
            const int errorFile = mkstemp(errorPattern);
            if (errorFile < 0) throw Failure(std::string("cannot start a run: ") + strerror(errno));
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_adddup2(&actions, errorFile, 2);
            posix_spawn_file_actions_addclose(&actions, errorFile);
            std::vector<std::string> arguments{program};
            arguments.insert(arguments.end(), runs[next].begin(), runs[next].end());
            std::vector<char*> argv;
            argv.reserve(arguments.size() + 1);
            for (std::string& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            pid_t child = 0;
            const int status =
                posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
            posix_spawn_file_actions_destroy(&actions);
            close(errorFile);
            if (status != 0) {
                std::remove(errorPattern);
                throw Failure(std::string("cannot start a run: ") + strerror(status));
            }
            running[child] = {next++, errorPattern};
        }
        int status = 0;
        const pid_t ended = waitpid(-1, &status, 0);
        if (ended < 0) {
            if (errno == EINTR) continue;
            throw Failure(std::string("cannot wait for a run: ") + strerror(errno));
        }
        const auto found = running.find(ended);
        if (found == running.end()) continue;
        ChildResult result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.errorText = readAndRemoveFile(found->second.errorPath);
        const std::size_t index = found->second.index;
        running.erase(found);
        done(index, result);
    }
}

} // namespace plughost
