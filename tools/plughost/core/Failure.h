// SPDX-License-Identifier: MIT
// How a plughost command ends early, and the one place that turns that into an exit status.
// Every command throws Failure (or UsageError) with a text the user can act on; runGuarded()
// prints it as one line after "plughost: " and answers the status the README lists.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

namespace plughost {

// The exit statuses of every command.
enum ExitStatus : int {
    kExitDone = 0,
    kExitFailed = 1,     // the run failed, or finished with warnings under --strict
    kExitUsage = 2,      // the command line cannot be used
    kExitNotAPlugin = 3, // validate: the file is not a loadable VST 2.4 library
    // A crash ends the process from its handler: 128 + the signal number on POSIX systems,
    // the exception's code on Windows (os/SignalCleanup.h).
};

// Something the user can act on: a missing file, a plug-in that does not load, a bad value.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    virtual ExitStatus status() const { return kExitFailed; }
};

// A command line that cannot be understood or asks for what cannot be done: an unknown option,
// a bad value, a parameter the plug-in does not have, an output that is one of the inputs.
// help: the command whose --help the message ends by pointing at; empty: none.
class UsageError : public Failure {
public:
    explicit UsageError(const std::string& message, std::string help = "plughost --help")
        : Failure(message), m_help(std::move(help)) {}
    ExitStatus status() const override { return kExitUsage; }
    const std::string& help() const { return m_help; }

private:
    std::string m_help;
};

// A file that is not a loadable VST 2.4 library, where a command tells that apart from a
// plug-in that fails (validate).
class NotAPlugin : public Failure {
public:
    using Failure::Failure;
    ExitStatus status() const override { return kExitNotAPlugin; }
};

// Runs a command: answers kExitDone when it returns, else prints what it threw as one line on
// standard error and answers the status for it.
int runGuarded(const std::function<void()>& command);

// Quotes a path or name for messages: 'name'.
inline std::string quote(const std::string& text) {
    return "'" + text + "'";
}

} // namespace plughost
