// SPDX-License-Identifier: MIT
#include "CheckReport.h"

#include "os/SignalCleanup.h"

#include <cstdio>

namespace plughost::validate {
namespace {

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

const char* statusName(Status status) {
    switch (status) {
    case Status::Pass:
        return "pass";
    case Status::Warning:
        return "warning";
    case Status::Fail:
        return "fail";
    case Status::Skipped:
        return "skipped";
    }
    return "fail";
}

void Findings::line(char kind, const std::string& text) {
    std::string out(1, kind);
    out += ' ';
    for (char c : text)
        out += c == '\n' || c == '\r' ? ' ' : c;
    out += '\n';
    m_sink(out);
}

CheckOutcome readOutcome(const std::string& name, const ChildResult& child, double timeoutSeconds) {
    const std::string& report = child.output;
    CheckOutcome outcome;
    outcome.name = name;
    bool finished = false;
    std::string stage;
    std::size_t start = 0;
    while (start < report.size()) {
        std::size_t stop = report.find('\n', start);
        if (stop == std::string::npos) stop = report.size(); // a line cut off by the end
        const std::string line = report.substr(start, stop - start);
        start = stop + 1;
        if (line.empty()) continue;
        const char kind = line[0];
        const std::string text = line.size() > 2 ? line.substr(2) : std::string();
        if (kind == 'D')
            finished = true;
        else if (kind == 'P')
            stage = text;
        else if (kind == 'N' || kind == 'W' || kind == 'F' || kind == 'S')
            outcome.messages.push_back({kind, text});
    }

    std::string abnormal;
    const std::string where = stage.empty() ? std::string() : " while " + stage;
    switch (child.end) {
    case ChildResult::End::NotStarted:
        abnormal = "could not start its process: " + child.whyNotRun;
        break;
    case ChildResult::End::TimedOut:
        abnormal = "timed out after " + seconds(timeoutSeconds) + " s" + where;
        break;
    case ChildResult::End::Crashed:
        abnormal = "the plug-in crashed (" + crashDescription(child.code) + ")" + where;
        break;
    case ChildResult::End::Exited:
        if (child.code != 0 || !finished)
            abnormal = "the check's process ended early with status " + std::to_string(child.code) +
                       where + " (see standard error)";
        break;
    }
    if (!abnormal.empty()) outcome.messages.push_back({'F', abnormal});

    bool failed = false, warned = false, skipped = false;
    for (const Message& message : outcome.messages) {
        failed = failed || message.kind == 'F';
        warned = warned || message.kind == 'W';
        skipped = skipped || message.kind == 'S';
    }
    outcome.status = failed    ? Status::Fail
                     : skipped ? Status::Skipped
                     : warned  ? Status::Warning
                               : Status::Pass;
    return outcome;
}

} // namespace plughost::validate
