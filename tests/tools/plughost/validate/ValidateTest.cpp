// SPDX-License-Identifier: MIT
// `plughost validate` end to end: the trimmer passes the top level, each broken plug-in fails
// exactly the check for its fault, a crash fails one check and the others go on, and the
// command line is checked.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

namespace plughost::testing {
namespace {

const std::string kTrimmer = TRIMMER_PLUGIN;

// The JSON line of one check: {"name": "...", "status": "...", ..., "messages": [...]}.
std::string checkLine(const std::string& json, const std::string& name) {
    const std::size_t at = json.find("{\"name\": \"" + name + "\"");
    if (at == std::string::npos) return {};
    return json.substr(at, json.find('\n', at) - at);
}

std::string statusOf(const std::string& json, const std::string& name) {
    const std::string line = checkLine(json, name);
    const std::string key = "\"status\": \"";
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return "absent";
    const std::size_t start = at + key.size();
    return line.substr(start, line.find('"', start) - start);
}

struct Validation {
    RunResult run;
    std::string json;
};

Validation validate(const std::string& plugin, std::vector<std::string> options) {
    const ScratchFolder folder;
    std::vector<std::string> args{"validate", plugin, "--json", folder.path("report.json")};
    args.insert(args.end(), options.begin(), options.end());
    Validation result;
    result.run = runPlughost(args);
    result.json = readText(folder.path("report.json"));
    return result;
}

TEST(Validate, TrimmerPassesTheTopLevelWithTheExpectedWarnings) {
    const Validation v = validate(kTrimmer, {"--level", "10", "--seconds", "0.2"});
    EXPECT_EQ(v.run.exitCode, 0) << v.run.out << v.run.err;
    EXPECT_TRUE(contains(v.run.out, "summary: 7 of 8 checks passed")) << v.run.out;
    // Names longer than the published sizes, within the 64 bytes every text is bounded to.
    EXPECT_EQ(statusOf(v.json, "identity"), "warning");
    EXPECT_TRUE(contains(checkLine(v.json, "identity"),
                         "parameter 0's name 'level stereo 1': 15 bytes written into a buffer "
                         "hosts make 8 bytes long"));
    // Subnormal products are kept exact by design.
    EXPECT_EQ(statusOf(v.json, "processing"), "warning");
    EXPECT_TRUE(contains(checkLine(v.json, "processing"), "subnormal output"));
    for (const char* check : {"parameters", "state", "lifecycle", "realtime", "threads"})
        EXPECT_EQ(statusOf(v.json, check), "pass") << check << ": " << checkLine(v.json, check);
    EXPECT_TRUE(contains(checkLine(v.json, "realtime"),
                         "0 allocations, 0 releases and 0 lock calls on the audio thread"));
    EXPECT_TRUE(contains(checkLine(v.json, "lifecycle"), "over 1000 open-resume-suspend-close"));
    EXPECT_EQ(statusOf(v.json, "editor"), "skipped");
    EXPECT_TRUE(contains(v.json, "\"failed\": 0"));
}

struct BrokenCase {
    const char* name;
    std::string plugin;
    const char* check;   // the one check that must fail
    const char* message; // part of its failure text
};

std::ostream& operator<<(std::ostream& stream, const BrokenCase& broken) {
    return stream << broken.name;
}

class BrokenPlugin : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenPlugin, FailsExactlyTheCheckForItsFault) {
    const BrokenCase& broken = GetParam();
    const Validation v = validate(broken.plugin, {"--level", "10", "--seconds", "0.2"});
    EXPECT_EQ(v.run.exitCode, 1) << v.run.out;
    EXPECT_EQ(statusOf(v.json, broken.check), "fail") << v.run.out;
    EXPECT_TRUE(contains(checkLine(v.json, broken.check), broken.message)) << v.run.out;
    EXPECT_TRUE(contains(v.json, "\"failed\": 1")) << v.run.out;
    EXPECT_TRUE(contains(v.run.out, "summary: 6 of 8 checks passed")) << v.run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenPlugin,
    ::testing::Values(BrokenCase{"TextOverflow", BROKEN_TextOverflow, "identity",
                                 "bytes written, past the 64 bytes of the largest host buffer"},
                      BrokenCase{"NonFiniteOutput", BROKEN_NonFiniteOutput, "processing",
                                 "NaN or infinite output samples; 32-bit, 44.1 kHz, silence input"},
                      BrokenCase{"StateNotRestored", BROKEN_StateNotRestored, "state",
                                 "after restoring the chunk, parameter 0 reads"},
                      BrokenCase{"AllocatesInProcess", BROKEN_AllocatesInProcess, "realtime",
                                 "allocations, "},
                      BrokenCase{"CrashOnClose", BROKEN_CrashOnClose, "lifecycle",
                                 "while closing the plug-in (cycle 1)"},
                      BrokenCase{"LeakPerInstance", BROKEN_LeakPerInstance, "lifecycle",
                                 "memory in use grew by"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Validate, AudioThreadAllocationsWarnBelowLevelSevenAndFailFromIt) {
    const Validation six = validate(BROKEN_AllocatesInProcess,
                                    {"--level", "6", "--only", "realtime", "--seconds", "0.2"});
    EXPECT_EQ(six.run.exitCode, 0) << six.run.out;
    EXPECT_EQ(statusOf(six.json, "realtime"), "warning");
    const Validation seven = validate(BROKEN_AllocatesInProcess,
                                      {"--level", "7", "--only", "realtime", "--seconds", "0.2"});
    EXPECT_EQ(seven.run.exitCode, 1) << seven.run.out;
    EXPECT_EQ(statusOf(seven.json, "realtime"), "fail");
}

TEST(Validate, ACrashFailsItsCheckAndTheSuiteGoesOn) {
    // Faults in its first processing call; nothing else is wrong with it.
    const Validation v = validate(CRASHING_PLUGIN, {"--level", "5", "--seconds", "0.1"});
    EXPECT_EQ(v.run.exitCode, 1);
    EXPECT_EQ(statusOf(v.json, "processing"), "fail");
    EXPECT_TRUE(contains(checkLine(v.json, "processing"), "while processing 32-bit, 44.1 kHz"))
        << v.run.out;
    EXPECT_EQ(statusOf(v.json, "lifecycle"), "pass") << v.run.out;
    EXPECT_EQ(statusOf(v.json, "identity"), "warning") << v.run.out; // no name, no unique id
    EXPECT_TRUE(contains(checkLine(v.json, "identity"), "\"'' by '' (product ''), unique id 0, "))
        << v.run.out;
}

TEST(Validate, AHangFailsItsCheckAfterTheTimeOut) {
    const Validation v = validate(BROKEN_HangsInProcess,
                                  {"--only", "processing", "--timeout", "2", "--seconds", "0.1"});
    EXPECT_EQ(v.run.exitCode, 1);
    EXPECT_EQ(statusOf(v.json, "processing"), "fail");
    EXPECT_TRUE(contains(checkLine(v.json, "processing"),
                         "timed out after 2 s while processing 32-bit, 44.1 kHz, silence input"))
        << v.run.out;
}

TEST(Validate, LevelsAndOnlyChooseTheChecks) {
    const Validation one = validate(kTrimmer, {"--level", "1"});
    EXPECT_EQ(one.run.exitCode, 0);
    EXPECT_EQ(statusOf(one.json, "identity"), "warning");
    EXPECT_EQ(statusOf(one.json, "parameters"), "absent");
    const Validation four = validate(kTrimmer, {"--level", "4", "--seconds", "0.1"});
    EXPECT_EQ(statusOf(four.json, "processing"), "pass") // no subnormal input below level 5
        << checkLine(four.json, "processing");
    EXPECT_EQ(statusOf(four.json, "lifecycle"), "absent");
    const Validation only = validate(kTrimmer, {"--only", "state"});
    EXPECT_EQ(statusOf(only.json, "state"), "pass");
    EXPECT_EQ(statusOf(only.json, "identity"), "absent");
    EXPECT_TRUE(
        contains(only.run.out, "summary: 1 of 1 checks passed (0 with warnings), 0 failed"));
}

TEST(Validate, AMissingLibraryFailsEveryCheck) {
    const Validation v = validate("/nonexistent/plugin.so", {"--level", "3"});
    EXPECT_EQ(v.run.exitCode, 1);
    EXPECT_EQ(statusOf(v.json, "identity"), "fail");
    EXPECT_TRUE(contains(checkLine(v.json, "identity"), "no such file"));
    EXPECT_TRUE(contains(v.json, "\"failed\": 3"));
}

TEST(Validate, BadCommandLinesExitWithTwo) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"validate"},
                                                 {"validate", kTrimmer, "--level", "11"},
                                                 {"validate", kTrimmer, "--level", "0"},
                                                 {"validate", kTrimmer, "--only", "colour"},
                                                 {"validate", kTrimmer, "--seconds", "-1"},
                                                 {"validate", kTrimmer, "--timeout", "0"},
                                                 {"validate", kTrimmer, "--frobnicate"},
                                                 {"validate", kTrimmer, kTrimmer}}) {
        const RunResult run = runPlughost(args);
        EXPECT_EQ(run.exitCode, 2) << args.back();
        EXPECT_TRUE(contains(run.err, "see plughost validate --help")) << run.err;
    }
    const RunResult help = runPlughost({"validate", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(contains(help.out, "  1  identity"));
    EXPECT_TRUE(contains(runPlughost({"--help"}).out, "plughost validate PLUGIN"));
}

} // namespace
} // namespace plughost::testing
