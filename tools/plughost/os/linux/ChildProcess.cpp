// SPDX-License-Identifier: MIT
// Runs of this program through posix_spawn of /proc/self/exe (the same file even if the
// program has been rebuilt since), standard input on /dev/null, standard output and error
// through pipes read without blocking.
#include "os/ChildProcess.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace plughost {
namespace {

constexpr char kSelf[] = "/proc/self/exe";

// Appends what the descriptor holds now; answers false at its end (and closes it).
bool drain(int& descriptor, std::string& text) {
    if (descriptor < 0) return false;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(descriptor, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        close(descriptor);
        descriptor = -1;
        return false;
    }
}

class PosixChild final : public RunningChild {
public:
    PosixChild(pid_t pid, int output, int errors)
        : m_pid(pid), m_output(output), m_errors(errors) {}
    ~PosixChild() override {
        if (m_pid > 0) kill();
        for (const int descriptor : {m_output, m_errors})
            if (descriptor >= 0) close(descriptor);
    }
    PosixChild(const PosixChild&) = delete;
    PosixChild& operator=(const PosixChild&) = delete;

    bool poll(ChildResult& result) override {
        drain(m_output, result.output);
        drain(m_errors, result.errors);
        if (m_pid <= 0) return true;
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) != m_pid) return false;
        m_pid = -1;
        drain(m_output, result.output); // what it wrote just before it ended
        drain(m_errors, result.errors);
        result.end = WIFSIGNALED(status) ? ChildResult::End::Crashed : ChildResult::End::Exited;
        result.code = WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status);
        return true;
    }

    void kill() override {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
    }

private:
    pid_t m_pid;
    int m_output;
    int m_errors;
};

struct Pipe {
    int read = -1;
    int write = -1;
    bool open() {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) return false;
        read = ends[0];
        write = ends[1];
        fcntl(read, F_SETFL, fcntl(read, F_GETFL) | O_NONBLOCK);
        return true;
    }
    void closeBoth() {
        for (int* end : {&read, &write})
            if (*end >= 0) close(std::exchange(*end, -1));
    }
};

} // namespace

std::unique_ptr<RunningChild> startChild(const ChildRun& run, std::string& reason) {
    Pipe output, errors;
    if (!output.open() || (run.captureErrors && !errors.open())) {
        reason = std::string("cannot make a pipe: ") + std::strerror(errno);
        output.closeBoth();
        errors.closeBoth();
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output.write, 1);
    if (run.captureErrors) posix_spawn_file_actions_adddup2(&actions, errors.write, 2);
    std::vector<std::string> arguments{kSelf};
    arguments.insert(arguments.end(), run.arguments.begin(), run.arguments.end());
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::fflush(nullptr);
    pid_t pid = 0;
    const int status = posix_spawn(&pid, kSelf, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(std::exchange(output.write, -1));
    if (errors.write >= 0) close(std::exchange(errors.write, -1));
    if (status != 0) {
        reason = std::string("cannot start plughost again: ") + std::strerror(status);
        output.closeBoth();
        errors.closeBoth();
        return nullptr;
    }
    return std::make_unique<PosixChild>(pid, output.read, errors.read);
}

std::function<void(const std::string&)> takeStandardOutputForReport() {
    std::fflush(stdout);
    const int report = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    return [report](const std::string& text) {
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t written = write(report, text.data() + done, text.size() - done);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return;
            done += static_cast<std::size_t>(written);
        }
    };
}

} // namespace plughost
