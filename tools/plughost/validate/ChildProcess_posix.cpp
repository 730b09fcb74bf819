// SPDX-License-Identifier: MIT
#include "ChildProcess.h"
#include "Deadline.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace plughost::validate {
namespace {

void writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// Appends what can be read now; answers false at the end of the pipe.
bool drain(int fd, std::string& report) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            report.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

ChildEnd endOf(int status) {
    ChildEnd end;
    if (WIFSIGNALED(status)) {
        end.kind = ChildEnd::Kind::Signalled;
        end.code = WTERMSIG(status);
    } else {
        end.kind = ChildEnd::Kind::Exited;
        end.code = WEXITSTATUS(status);
    }
    return end;
}

} // namespace

std::string crashName(int code) {
    switch (code) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    case SIGABRT:
        return "SIGABRT";
    case SIGKILL:
        return "SIGKILL";
    case SIGTERM:
        return "SIGTERM";
    default:
        return "signal " + std::to_string(code);
    }
}

ChildEnd runInChild(const std::function<void(const std::function<void(const std::string&)>&)>& body,
                    const std::vector<std::string>& /*childArguments*/, double timeoutSeconds,
                    std::string& report) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return {};
    }
    if (child == 0) {
        close(fds[0]);
        // A fault ends the child by its signal, which the parent reports.
        for (int number : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGINT, SIGTERM, SIGHUP})
            std::signal(number, SIG_DFL);
        std::signal(SIGPIPE, SIG_IGN);
        dup2(STDERR_FILENO, STDOUT_FILENO);
        const int out = fds[1];
        body([out](const std::string& text) { writeAll(out, text); });
        std::fflush(nullptr);
        // No static destructors of the plug-in or of this process run in the child.
        _exit(0);
    }

    close(fds[1]);
    const int in = fds[0];
    fcntl(in, F_SETFL, fcntl(in, F_GETFL) | O_NONBLOCK);
    const auto deadline = after(timeoutSeconds);
    ChildEnd end;
    bool open = true;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            if (open) drain(in, report);
            end = endOf(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            if (open) drain(in, report);
            end.kind = ChildEnd::Kind::TimedOut;
            break;
        }
        if (open) {
            pollfd watch{in, POLLIN, 0};
            if (poll(&watch, 1, 20) > 0) open = drain(in, report);
        } else {
            usleep(20000);
        }
    }
    close(in);
    return end;
}

} // namespace plughost::validate
