// SPDX-License-Identifier: MIT
// plughost running itself again: a batch runs each file in a process of its own, validate each
// check, so that a crash, an abort or a hang in a plug-in ends only that process. This is the
// one way plughost starts processes, and <platform>/ChildProcess.cpp the one place that knows
// how a platform does it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plughost {

// One run of this program.
struct ChildRun {
    std::vector<std::string> arguments; // without the program's name
    double timeoutSeconds = 0.0;        // a run still going then is ended; 0: no limit
    bool captureErrors = true;          // else its standard error is this process's
};

// How a run ended, and what it wrote (standard input is empty for every run).
struct ChildResult {
    enum class End { Exited, Crashed, TimedOut, NotStarted };
    End end = End::NotStarted;
    int code = 0;          // exit status; Crashed: the signal number or the exception code
    std::string output;    // its standard output
    std::string errors;    // its standard error, when captured
    std::string whyNotRun; // NotStarted: the reason
};

// Runs every run, at most jobs at a time; done is called on this thread as each ends, with its
// index in runs and how it ended.
void runChildren(const std::vector<ChildRun>& runs, int jobs,
                 const std::function<void(std::size_t, const ChildResult&)>& done);
// One run, waited for.
ChildResult runChild(const ChildRun& run);

// How many processors this machine has (at least 1).
int processorCount();

// The child's side of a run whose output is a report: answers a writer to the real standard
// output and sends everything else written to standard output (the plug-in's own texts) to
// standard error, so that the report stays clean.
std::function<void(const std::string&)> takeStandardOutputForReport();

// ---- the platform's part --------------------------------------------------------------------

// A started run of this program, with its output read as it comes.
class RunningChild {
public:
    virtual ~RunningChild() = default;
    // Reads what the run wrote since the last call; answers true once it has ended, with
    // result complete (but for TimedOut, which the caller decides).
    virtual bool poll(ChildResult& result) = 0;
    // Ends the run at once and waits for it.
    virtual void kill() = 0;
};

// Starts this program with run's arguments; null, with the reason, when it cannot.
std::unique_ptr<RunningChild> startChild(const ChildRun& run, std::string& reason);

} // namespace plughost
