// SPDX-License-Identifier: MIT
#include "Validate.h"

#include "core/Failure.h"
#include "core/PluginLibrary.h"
#include "os/SignalCleanup.h"
#include "report/JsonWriter.h"
#include "report/PluginTexts.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <exception>

namespace plughost::validate {
namespace {

constexpr std::size_t kShownMessages = 12;
// Lines of the plug-in's standard error shown under a check (all with --verbose) and kept in
// the JSON report.
constexpr std::size_t kShownErrorLines = 3;
constexpr std::size_t kReportedErrorLines = 20;
constexpr std::size_t kShownLineLength = 200;
constexpr const char* kIndent = "           ";

// text as it may go to a terminal: a plug-in's colour sequences (ESC [ ... letter) left out,
// other control characters shown as '?'.
std::string printable(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0x1B && i + 1 < text.size() && text[i + 1] == '[') {
            i += 2;
            while (i < text.size() && (text[i] < 0x40 || text[i] > 0x7E))
                ++i;
        } else {
            shown += (c < 0x20 && c != '\t') || c == 0x7F ? '?' : static_cast<char>(c);
        }
    }
    return shown;
}

void printOutcome(std::FILE* out, const CheckOutcome& outcome, bool verbose) {
    const char* status = outcome.status == Status::Fail ? "FAIL" : statusName(outcome.status);
    std::fprintf(out, "  %-8s %-11s %7.2f s\n", status, outcome.name.c_str(), outcome.seconds);
    std::size_t shown = 0;
    for (const Message& message : outcome.messages) {
        if (shown++ == kShownMessages) {
            std::fprintf(out, "%s... %zu more\n", kIndent,
                         outcome.messages.size() - kShownMessages);
            break;
        }
        const char* mark = message.kind == 'F'   ? "failure: "
                           : message.kind == 'W' ? "warning: "
                           : message.kind == 'S' ? "skipped: "
                                                 : "";
        std::fprintf(out, "%s%s%s\n", kIndent, mark, printable(message.shown()).c_str());
    }
    if (outcome.errorLines > 0) {
        const bool all = verbose || outcome.errorLines <= static_cast<long>(kShownErrorLines);
        std::fprintf(out, "%sstandard error, %ld line%s%s\n", kIndent, outcome.errorLines,
                     outcome.errorLines == 1 ? "" : "s", all ? ":" : ", the first:");
        for (const std::string& line :
             firstLines(outcome.errors, verbose ? SIZE_MAX : kShownErrorLines,
                        verbose ? SIZE_MAX : kShownLineLength))
            std::fprintf(out, "%s| %s\n", kIndent, printable(line).c_str());
    }
    std::fflush(out);
}

// Loads the library once more, never to unload it: the instances a check leaves open, and the
// plug-in's own threads, must not run into unloaded code before the check's process ends. A
// library that does not load is the check's to report.
void keepLoaded(const std::string& path, Findings& findings) {
    findings.stage(kLoadingStage);
    try {
        static const PluginLibrary* const kept = new PluginLibrary(path);
        (void)kept;
    } catch (const Failure&) {
    }
}

// One check, its findings written to sink; what it throws is its failure.
void runCheck(const CheckDefinition& check, const ValidateOptions& options,
              const std::function<void(const std::string&)>& sink) {
    Findings findings(sink);
    CheckContext context{options.plugin, options.level, options.seconds, findings};
    try {
        keepLoaded(options.plugin, findings);
        check.run(context);
    } catch (const Failure& failure) {
        findings.fail(failure.what());
    } catch (const std::exception& error) {
        // Most likely thrown by the plug-in, through its C interface.
        findings.fail("an exception escaped (" + std::string(error.what()) + ")" +
                      (findings.lastStage().empty() ? "" : " while " + findings.lastStage()));
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

CheckOutcome runInChild(const CheckDefinition& check, const ValidateOptions& options) {
    const double timeout = checkTimeout(check, options);
    const auto start = std::chrono::steady_clock::now();
    const ChildResult child = runChild({childArguments(options, check.name), timeout, true});
    CheckOutcome outcome = readOutcome(check.name, child, timeout);
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

// text without a start that names the plug-in again ("cannot load plug-in 'x': ").
std::string withoutPluginName(const std::string& text, const std::string& path) {
    for (const std::string& start :
         {"cannot load plug-in " + quote(path) + ": ", "plug-in " + quote(path) + ": "})
        if (text.rfind(start, 0) == 0) return text.substr(start.size());
    return text;
}

} // namespace

std::string validateUsage() {
    std::string text =
        R"(usage: plughost validate PLUGIN [--level 1..10] [--only NAME] [--json FILE]
                         [--seconds S] [--timeout S] [--verbose]

Judges a VST 2.4 plug-in library (or a Name.vst bundle folder). The file is loaded first: one
that is not a VST 2.4 library is refused in one line (exit status 3) and nothing else runs.
Then every check runs in a process of its own: a crash, an abort or a hang (time-out) in the
plug-in fails that check and the others go on. One line per check (pass, warning, FAIL,
skipped) with its findings (the same finding in many cases once, with a count) and what the
plug-in wrote to standard error, then a summary.

  --level N      how thorough, 1 (quick) to 10 (default 5); a check runs from its level on
  --only NAME    runs that check alone, at the given level
  --json FILE    writes the results as JSON too
  --seconds S    audio length of the timed checks (default 1)
  --timeout S    time any check may take before it fails as hung (default: 30 + 20 x
                 --seconds, more for the checks whose work grows with the level)
  -v, --verbose  shows all the plug-in wrote to standard error, not only its first lines

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
NaN, infinity and subnormal input, measuring how long the output stays non-finite (5 s
allowed, 2 s from level 8), and compares placements, prefilled outputs and instances; 7 turns
audio-thread allocations and locks into failures; 8 repeats the lifecycle 1000 times instead
of 100; 10 sweeps parameters in 101 steps instead of 11, makes 10 state round trips instead
of 3 and restores chunks of size 0 and negative sizes.
Exit status: 0 nothing failed, 1 a check failed, 2 bad command line, 3 not a loadable VST 2.4
library.
)";
    return text;
}

double checkTimeout(const CheckDefinition& check, const ValidateOptions& options) {
    if (options.timeout > 0.0) return options.timeout;
    const double extra =
        check.extraTime != nullptr ? check.extraTime(options.level, options.seconds) : 0.0;
    return 30.0 + 20.0 * options.seconds + extra;
}

CheckOutcome runLoadCheck(const ValidateOptions& options) {
    return runInChild(loadCheck(), options);
}

std::string notLoadable(const ValidateOptions& options, const CheckOutcome& load) {
    if (load.identity.known) return {};
    if (!load.crash.empty())
        return load.stage == kLoadingStage
                   ? "the file is damaged or no library: loading it crashed (" + load.crash + ")"
                   : "it crashed (" + load.crash + ") while " + load.stage;
    for (const Message& message : load.messages)
        if (message.kind == 'F') return withoutPluginName(message.text, options.plugin);
    return "it gave no record";
}

std::vector<CheckOutcome> runChecks(const ValidateOptions& options, std::FILE* out) {
    std::vector<CheckOutcome> outcomes;
    for (const CheckDefinition& check : allChecks()) {
        if (options.only.empty() ? check.level > options.level : options.only != check.name)
            continue;
        CheckOutcome outcome = runInChild(check, options);
        printOutcome(out, outcome, options.verbose);
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

std::string identityLine(const PluginIdentity& id) {
    return printable(quote(id.name) + " by " + quote(id.vendor)) + ", unique id " +
           uniqueIdText(static_cast<VstInt32>(id.uniqueId)) + ", version " +
           std::to_string(id.version) + ": " + std::to_string(id.inputs) + " in, " +
           std::to_string(id.outputs) + " out, " + std::to_string(id.parameters) + " parameters" +
           (id.doublePrecision ? ", 64-bit processing" : "") +
           (id.stateChunk ? ", state chunk" : "") + (id.editor ? ", editor" : "");
}

std::string jsonReport(const ValidateOptions& options, const CheckOutcome& load,
                       const std::vector<CheckOutcome>& outcomes, int exitCode) {
    int counts[4] = {};
    JsonWriter json;
    json.beginObject();
    json.key("validator").beginObject(JsonWriter::Layout::OneLine);
    json.key("program").value("plughost validate").key("version").value(PLUGHOST_VERSION);
    json.endObject();
    json.key("plugin");
    writeIdentity(json, options.plugin, load.identity);
    json.key("level").value(options.level);
    json.key("seconds").value(options.seconds);
    const std::string refused = notLoadable(options, load);
    if (!refused.empty()) json.key("notLoadable").value(refused);
    json.key("checks").beginArray();
    for (const CheckOutcome& outcome : outcomes) {
        ++counts[static_cast<int>(outcome.status)];
        json.beginObject(JsonWriter::Layout::OneLine);
        json.key("name").value(outcome.name);
        json.key("status").value(statusName(outcome.status));
        json.key("seconds").value(std::round(outcome.seconds * 1000.0) / 1000.0);
        json.key("messages").beginArray();
        for (const Message& message : outcome.messages)
            writeMessage(json, message);
        json.endArray();
        json.key("stderrLines").value(static_cast<std::int64_t>(outcome.errorLines));
        json.key("stderr").beginArray();
        for (const std::string& line :
             firstLines(outcome.errors, kReportedErrorLines, kShownLineLength))
            json.value(line);
        json.endArray().endObject();
    }
    json.endArray();
    json.key("passed").value(counts[static_cast<int>(Status::Pass)] +
                             counts[static_cast<int>(Status::Warning)]);
    json.key("warnings").value(counts[static_cast<int>(Status::Warning)]);
    json.key("failed").value(counts[static_cast<int>(Status::Fail)]);
    json.key("skipped").value(counts[static_cast<int>(Status::Skipped)]);
    json.key("exitCode").value(exitCode);
    json.endObject();
    return json.text();
}

} // namespace plughost::validate
