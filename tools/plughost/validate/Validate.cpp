// SPDX-License-Identifier: MIT
#include "Validate.h"

#include "../Failure.h"
#include "Checks.h"
#include "ChildProcess.h"
#include "TestedPlugin.h"

#include <charconv>
#include <chrono>
#include <exception>
#include <fstream>

namespace plughost::validate {
namespace {

constexpr std::size_t kShownMessages = 12;

std::string checkNames() {
    std::string names;
    for (const CheckDefinition& check : allChecks())
        names += std::string(names.empty() ? "" : ", ") + check.name;
    return names;
}

std::string jsonText(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

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

} // namespace

ValidateOptions parseValidateOptions(const std::vector<std::string>& args) {
    ValidateOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool inlineValue = false;
        const auto equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
            inlineValue = true;
        }
        const auto takeValue = [&]() -> std::string {
            if (inlineValue) return value;
            if (i + 1 >= args.size()) throw UsageError("validate: " + name + " needs a value");
            return args[++i];
        };
        if (name == "-h" || name == "--help") {
            options.help = true;
        } else if (name == "--child-report") {
            options.childReport = true;
        } else if (name == "--level") {
            const std::string text = takeValue();
            int level = 0;
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), level);
            if (error != std::errc() || end != text.data() + text.size() || level < 1 ||
                level > kTopLevel)
                throw UsageError("--level " + quote(text) + ": expected a whole number from 1 to " +
                                 std::to_string(kTopLevel));
            options.level = level;
        } else if (name == "--only") {
            options.only = takeValue();
            bool known = false;
            for (const CheckDefinition& check : allChecks())
                known = known || options.only == check.name;
            if (!known)
                throw UsageError("--only " + quote(options.only) + ": no such check (" +
                                 checkNames() + ")");
        } else if (name == "--json") {
            options.jsonFile = takeValue();
            if (options.jsonFile.empty()) throw UsageError("--json needs a file name");
        } else if (name == "--seconds") {
            const std::string text = takeValue();
            double seconds = 0.0;
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), seconds);
            if (error != std::errc() || end != text.data() + text.size() || !(seconds >= 0.01) ||
                seconds > 3600.0)
                throw UsageError("--seconds " + quote(text) +
                                 ": expected a number from 0.01 to 3600");
            options.seconds = seconds;
        } else if (name == "--timeout") {
            const std::string text = takeValue();
            double timeout = 0.0;
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), timeout);
            if (error != std::errc() || end != text.data() + text.size() || !(timeout >= 0.1) ||
                timeout > 86400.0)
                throw UsageError("--timeout " + quote(text) +
                                 ": expected a number of seconds from 0.1 to 86400");
            options.timeout = timeout;
        } else if (name.size() > 1 && name[0] == '-') {
            throw UsageError("validate: unknown option " + quote(name));
        } else if (options.plugin.empty()) {
            options.plugin = name;
        } else {
            throw UsageError("validate: unexpected argument " + quote(name));
        }
    }
    if (!options.help && options.plugin.empty())
        throw UsageError("validate: the plug-in library is missing");
    return options;
}

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

namespace {

// One check, its findings written to sink; what it throws is its failure.
void runCheck(const CheckDefinition& check, const ValidateOptions& options,
              const std::function<void(const std::string&)>& sink) {
    Findings findings(sink);
    CheckContext context{options.plugin, options.level, options.seconds, findings};
    try {
        check.run(context);
    } catch (const PluginError& error) {
        findings.fail(error.text);
    } catch (const std::exception& error) {
        findings.fail(std::string("unexpected error: ") + error.what());
    }
    findings.done();
}

} // namespace

std::vector<CheckOutcome> runChecks(const ValidateOptions& options, std::FILE* out) {
    std::vector<CheckOutcome> outcomes;
    const double timeout = options.timeout > 0.0 ? options.timeout : checkTimeout(options.seconds);
    for (const CheckDefinition& check : allChecks()) {
        if (options.only.empty() ? check.level > options.level : options.only != check.name)
            continue;
        std::string report;
        const auto start = std::chrono::steady_clock::now();
        char secondsText[40];
        std::snprintf(secondsText, sizeof secondsText, "%.17g", options.seconds);
        const std::vector<std::string> childArguments = {
            "validate",  options.plugin, "--only",
            check.name,  "--level",      std::to_string(options.level),
            "--seconds", secondsText,    "--child-report"};
        const ChildEnd end = runInChild(
            [&](const std::function<void(const std::string&)>& sink) {
                runCheck(check, options, sink);
            },
            childArguments, timeout, report);
        CheckOutcome outcome = readOutcome(check.name, report, end, timeout);
        outcome.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        printOutcome(out, outcome);
        outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

std::string jsonReport(const ValidateOptions& options, const std::vector<CheckOutcome>& outcomes) {
    int counts[4] = {};
    std::string checks;
    for (const CheckOutcome& outcome : outcomes) {
        ++counts[static_cast<int>(outcome.status)];
        std::string messages;
        for (const Message& message : outcome.messages)
            messages += std::string(messages.empty() ? "" : ", ") + "{\"kind\": \"" +
                        kindName(message.kind) + "\", \"text\": " + jsonText(message.text) + "}";
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", outcome.seconds);
        checks += std::string(checks.empty() ? "" : ",\n") +
                  "    {\"name\": " + jsonText(outcome.name) + ", \"status\": \"" +
                  statusName(outcome.status) + "\", \"seconds\": " + seconds + ", \"messages\": [" +
                  messages + "]}";
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", options.seconds);
    return "{\n  \"plugin\": " + jsonText(options.plugin) +
           ",\n  \"level\": " + std::to_string(options.level) + ",\n  \"seconds\": " + seconds +
           ",\n  \"checks\": [\n" + checks + "\n  ],\n  \"passed\": " +
           std::to_string(counts[static_cast<int>(Status::Pass)] +
                          counts[static_cast<int>(Status::Warning)]) +
           ",\n  \"warnings\": " + std::to_string(counts[static_cast<int>(Status::Warning)]) +
           ",\n  \"failed\": " + std::to_string(counts[static_cast<int>(Status::Fail)]) +
           ",\n  \"skipped\": " + std::to_string(counts[static_cast<int>(Status::Skipped)]) +
           "\n}\n";
}

int runValidateCommand(const std::vector<std::string>& args) {
    try {
        const ValidateOptions options = parseValidateOptions(args);
        if (options.help) {
            std::fputs(validateUsage().c_str(), stdout);
            return 0;
        }
        if (options.childReport) {
            for (const CheckDefinition& check : allChecks())
                if (options.only == check.name)
                    runCheck(check, options, [](const std::string& text) {
                        std::fwrite(text.data(), 1, text.size(), stdout);
                        std::fflush(stdout);
                    });
            return 0;
        }
        std::printf("plughost validate %s, level %d\n", quote(options.plugin).c_str(),
                    options.level);
        const std::vector<CheckOutcome> outcomes = runChecks(options, stdout);
        int passed = 0, warned = 0, failed = 0, skipped = 0;
        for (const CheckOutcome& outcome : outcomes) {
            passed += outcome.status == Status::Pass || outcome.status == Status::Warning;
            warned += outcome.status == Status::Warning;
            failed += outcome.status == Status::Fail;
            skipped += outcome.status == Status::Skipped;
        }
        // Worded so that it cannot be taken for a test runner's closing line.
        std::printf("summary: %d of %zu checks passed (%d with warnings), %d failed, %d skipped\n",
                    passed, outcomes.size(), warned, failed, skipped);
        std::fflush(stdout);
        if (!options.jsonFile.empty()) {
            std::ofstream file(options.jsonFile, std::ios::binary | std::ios::trunc);
            file << jsonReport(options, outcomes);
            file.close();
            if (!file) {
                std::fprintf(stderr, "plughost: cannot write %s\n",
                             quote(options.jsonFile).c_str());
                return 1;
            }
        }
        return failed == 0 ? 0 : 1;
    } catch (const UsageError& error) {
        std::fprintf(stderr, "plughost: %s (see plughost validate --help)\n", error.what());
        return 2;
    }
}

} // namespace plughost::validate
