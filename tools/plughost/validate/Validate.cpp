// SPDX-License-Identifier: MIT
#include "Validate.h"

#include "Checks.h"
#include "core/Failure.h"
#include "os/SignalCleanup.h"
#include "report/JsonWriter.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <exception>

namespace plughost::validate {
namespace {

constexpr std::size_t kShownMessages = 12;

const char* kindName(char kind) {
    switch (kind) {
    case 'F':
        return "failure";
    case 'W':
        return "warning";
    case 'S':
        return "skipped";
    default:
        return "note";
    }
}

void printOutcome(std::FILE* out, const CheckOutcome& outcome) {
    const char* status = outcome.status == Status::Fail ? "FAIL" : statusName(outcome.status);
    std::fprintf(out, "  %-8s %-11s %7.2f s\n", status, outcome.name.c_str(), outcome.seconds);
    std::size_t shown = 0;
    for (const Message& message : outcome.messages) {
        if (shown++ == kShownMessages) {
            std::fprintf(out, "           ... %zu more\n",
                         outcome.messages.size() - kShownMessages);
            break;
        }
        const char* mark = message.kind == 'F'   ? "failure: "
                           : message.kind == 'W' ? "warning: "
                           : message.kind == 'S' ? "skipped: "
                                                 : "";
        std::fprintf(out, "           %s%s\n", mark, message.text.c_str());
    }
    std::fflush(out);
}

// One check, its findings written to sink; what it throws is its failure.
void runCheck(const CheckDefinition& check, const ValidateOptions& options,
              const std::function<void(const std::string&)>& sink) {
    Findings findings(sink);
    CheckContext context{options.plugin, options.level, options.seconds, findings};
    try {
        check.run(context);
    } catch (const std::exception& error) {
        const bool ours = dynamic_cast<const Failure*>(&error) != nullptr;
        findings.fail(ours ? error.what() : std::string("unexpected error: ") + error.what());
    }
    findings.done();
}

// The arguments that make this program run one check as a child.
std::vector<std::string> childArguments(const ValidateOptions& options, const char* check) {
    char seconds[40];
    std::snprintf(seconds, sizeof seconds, "%.17g", options.seconds);
    return {"validate",  options.plugin, "--only",
            check,       "--level",      std::to_string(options.level),
            "--seconds", seconds,        "--child-report"};
}

} // namespace

std::string validateUsage() {
    std::string text =
        R"(usage: plughost validate PLUGIN [--level 1..10] [--only NAME] [--json FILE]
                         [--seconds S]

Judges a VST 2.4 plug-in library. Every check runs in a process of its own: a crash, an
abort or a hang (time-out) in the plug-in fails that check and the others go on. One line
per check (pass, warning, FAIL, skipped) with its findings, then a summary.

  --level N     how thorough, 1 (quick) to 10 (default 5); a check runs from its level on
  --only NAME   runs that check alone, at the given level
  --json FILE   writes the results as JSON too
  --seconds S   audio length of the timed checks (default 1)
  --timeout S   time a check may take before it fails as hung (default 30 + 20 x --seconds)

checks, by level:
)";
    for (const CheckDefinition& check : allChecks()) {
        char line[200];
        std::snprintf(line, sizeof line, "  %2d  %-11s %s\n", check.level, check.name,
                      check.summary);
        text += line;
    }
    text += R"(
Higher levels: 5 processes at every rate (44.1 to 192 kHz) and block size (1 to 8192) with
NaN, infinity and subnormal input and in place; 7 turns audio-thread allocations and locks
into failures; 8 repeats the lifecycle 1000 times instead of 100; 10 sweeps parameters in
101 steps instead of 11 and makes 10 state round trips instead of 3.
Exit status: 0 nothing failed, 1 a check failed, 2 bad command line.
)";
    return text;
}

double checkTimeout(double seconds) {
    return 30.0 + 20.0 * seconds;
}

std::vector<CheckOutcome> runChecks(const ValidateOptions& options, std::FILE* out) {
    std::vector<CheckOutcome> outcomes;
    const double timeout = options.timeout > 0.0 ? options.timeout : checkTimeout(options.seconds);
    for (const CheckDefinition& check : allChecks()) {
        if (options.only.empty() ? check.level > options.level : options.only != check.name)
            continue;
        const auto start = std::chrono::steady_clock::now();
        const ChildResult child = runChild({childArguments(options, check.name), timeout, false});
        CheckOutcome outcome = readOutcome(check.name, child, timeout);
        outcome.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        printOutcome(out, outcome);
        outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

void runCheckHere(const ValidateOptions& options) {
    letCrashesEndTheProcess();
    const auto report = takeStandardOutputForReport();
    if (const CheckDefinition* check = findCheck(options.only)) runCheck(*check, options, report);
    std::fflush(nullptr);
    // What the plug-in left open is not closed: closing is the lifecycle check's subject, and a
    // crash there must not be blamed on another check.
    std::_Exit(0);
}

std::string jsonReport(const ValidateOptions& options, const std::vector<CheckOutcome>& outcomes) {
    int counts[4] = {};
    JsonWriter json;
    json.beginObject();
    json.key("plugin").value(options.plugin);
    json.key("level").value(options.level);
    json.key("seconds").value(options.seconds);
    json.key("checks").beginArray();
    for (const CheckOutcome& outcome : outcomes) {
        ++counts[static_cast<int>(outcome.status)];
        json.beginObject(JsonWriter::Layout::OneLine);
        json.key("name").value(outcome.name);
        json.key("status").value(statusName(outcome.status));
        json.key("seconds").value(std::round(outcome.seconds * 1000.0) / 1000.0);
        json.key("messages").beginArray();
        for (const Message& message : outcome.messages) {
            json.beginObject();
            json.key("kind").value(kindName(message.kind));
            json.key("text").value(message.text);
            json.endObject();
        }
        json.endArray().endObject();
    }
    json.endArray();
    json.key("passed").value(counts[static_cast<int>(Status::Pass)] +
                             counts[static_cast<int>(Status::Warning)]);
    json.key("warnings").value(counts[static_cast<int>(Status::Warning)]);
    json.key("failed").value(counts[static_cast<int>(Status::Fail)]);
    json.key("skipped").value(counts[static_cast<int>(Status::Skipped)]);
    json.endObject();
    return json.text();
}

} // namespace plughost::validate
