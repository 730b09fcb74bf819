// SPDX-License-Identifier: MIT
// What one check found. A check runs in a child process and reports line by line as it goes,
// so that what it found before a crash or a time-out still reaches the parent:
//   "N text"  a note (what was measured)
//   "W text"  a warning
//   "F text"  a failure
//   "S text"  the check does not apply (skipped)
//   "P text"  what the check is doing now, named if the plug-in crashes or hangs there
//   "D"       the check finished
#pragma once

#include "os/ChildProcess.h"

#include <functional>
#include <string>
#include <vector>

namespace plughost::validate {

enum class Status { Pass, Warning, Fail, Skipped };

const char* statusName(Status status);

struct Message {
    char kind; // 'N', 'W', 'F' or 'S'
    std::string text;
};

struct CheckOutcome {
    std::string name;
    Status status = Status::Pass;
    std::vector<Message> messages;
    double seconds = 0.0;
};

// The outcome from the child's report lines (its standard output) and the way it ended.
CheckOutcome readOutcome(const std::string& name, const ChildResult& child, double timeoutSeconds);

// The child's side: writes report lines to sink. [any]
class Findings {
public:
    explicit Findings(std::function<void(const std::string&)> sink) : m_sink(std::move(sink)) {}

    void note(const std::string& text) { line('N', text); }
    void warn(const std::string& text) { line('W', text); }
    void fail(const std::string& text) { line('F', text); }
    void skip(const std::string& text) { line('S', text); }
    void stage(const std::string& text) { line('P', text); }
    void done() { m_sink("D\n"); }

private:
    void line(char kind, const std::string& text);
    std::function<void(const std::string&)> m_sink;
};

} // namespace plughost::validate
