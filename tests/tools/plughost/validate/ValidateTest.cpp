// SPDX-License-Identifier: MIT
// `plughost validate` end to end: the trimmer passes the top level, each broken plug-in fails
// exactly the check for its fault, a crash fails one check and the others go on, and the
// command line is checked.
#include "PlughostRunner.h"
#include "report/JsonWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <elf.h>
#include <filesystem>

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

// fault: the broken plug-in's, by name (PLUGHOST_BROKEN_FAULT).
Validation validate(const std::string& plugin, std::vector<std::string> options,
                    const std::string& fault = "") {
    const ScratchFolder folder;
    std::vector<std::string> args{"validate", plugin, "--json", folder.path("report.json")};
    args.insert(args.end(), options.begin(), options.end());
    Validation result;
    result.run = runPlughost(args, fault.empty() ? "" : "PLUGHOST_BROKEN_FAULT=" + fault);
    result.json = readText(folder.path("report.json"));
    return result;
}

TEST(Validate, TrimmerPassesTheTopLevelWithTheExpectedWarnings) {
    const Validation v = validate(kTrimmer, {"--level", "10", "--seconds", "0.2"});
    EXPECT_EQ(v.run.exitCode, 0) << v.run.out << v.run.err;
    EXPECT_TRUE(contains(v.run.out, "summary: 9 of 10 checks passed")) << v.run.out;
    // Names longer than the published sizes, within the 64 bytes every text is bounded to: one
    // line for the four parameters.
    EXPECT_EQ(statusOf(v.json, "identity"), "warning");
    EXPECT_TRUE(contains(checkLine(v.json, "identity"),
                         "a parameter's name is longer than the 8 bytes hosts give it: 'level "
                         "stereo 1', 15 bytes (parameter 0); the same in 3 more cases\", "
                         "\"summary\": \"a parameter's name is longer than the 8 bytes hosts "
                         "give it\", \"count\": 4, \"parameter\": 0}"));
    // Subnormal products are kept exact by design.
    EXPECT_EQ(statusOf(v.json, "processing"), "warning");
    EXPECT_TRUE(contains(checkLine(v.json, "processing"), "subnormal output"));
    for (const char* check :
         {"parameters", "state", "buffers", "instances", "lifecycle", "realtime", "threads"})
        EXPECT_EQ(statusOf(v.json, check), "pass") << check << ": " << checkLine(v.json, check);
    EXPECT_TRUE(contains(checkLine(v.json, "realtime"),
                         "0 allocations, 0 releases and 0 lock calls on the audio thread"));
    EXPECT_TRUE(contains(checkLine(v.json, "lifecycle"), "over 1000 open-resume-suspend-close"));
    EXPECT_EQ(statusOf(v.json, "editor"), "skipped");
    EXPECT_TRUE(contains(v.json, "\"failed\": 0"));
    EXPECT_TRUE(contains(v.json, "\"exitCode\": 0"));
    EXPECT_TRUE(contains(v.json, "\"validator\": {\"program\": \"plughost validate\", "
                                 "\"version\": \"" PLUGHOST_VERSION "\"}"));
    EXPECT_TRUE(contains(v.json, "\"vendor\": \"Qualtrevin\""));
    EXPECT_TRUE(contains(v.json, "\"inputs\": 8"));
}

struct BrokenCase {
    const char* fault;
    const char* check;   // the one check that must fail
    const char* message; // part of its failure text
};

std::ostream& operator<<(std::ostream& stream, const BrokenCase& broken) {
    return stream << broken.fault;
}

class BrokenPlugin : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenPlugin, FailsExactlyTheCheckForItsFault) {
    const BrokenCase& broken = GetParam();
    const Validation v =
        validate(BROKEN_PLUGIN, {"--level", "10", "--seconds", "0.2"}, broken.fault);
    EXPECT_EQ(v.run.exitCode, 1) << v.run.out;
    EXPECT_EQ(statusOf(v.json, broken.check), "fail") << v.run.out;
    EXPECT_TRUE(contains(checkLine(v.json, broken.check), broken.message)) << v.run.out;
    EXPECT_TRUE(contains(v.json, "\"failed\": 1")) << v.run.out;
    EXPECT_TRUE(contains(v.json, "\"exitCode\": 1")) << v.run.out;
    EXPECT_TRUE(contains(v.run.out, "summary: 8 of 10 checks passed")) << v.run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenPlugin,
    ::testing::Values(
        BrokenCase{"TextOverflow", "identity", "runs past the 64 bytes of the largest host buffer"},
        BrokenCase{"NonFiniteOutput", "processing",
                   "NaN or infinite output: 1024 samples (32-bit, 44.1 kHz, blocks of 1 frame, "
                   "separate buffers, silence input, channel 0, frame 0)"},
        BrokenCase{"StateNotRestored", "state",
                   "after restoring the chunk, a parameter differs from the one saved"},
        BrokenCase{"AllocatesInProcess", "realtime", "allocations, "},
        BrokenCase{"CrashOnClose", "lifecycle", "while closing the plug-in (cycle 1)"},
        BrokenCase{"LeakPerInstance", "lifecycle", "memory in use grows with every cycle: 4"}),
    [](const auto& test) { return std::string(test.param.fault); });

// Each fault (or behaviour that is no fault) judged by the check for it alone: its status and
// a part of its text.
struct JudgedCase {
    const char* fault;
    const char* level;
    const char* check;
    const char* status;
    const char* message;
    const char* absent = ""; // not in its line
};

class Judged : public ::testing::TestWithParam<JudgedCase> {};

TEST_P(Judged, ByTheCheckForIt) {
    const JudgedCase& c = GetParam();
    const Validation v = validate(
        BROKEN_PLUGIN, {"--level", c.level, "--only", c.check, "--seconds", "0.2"}, c.fault);
    EXPECT_EQ(v.run.exitCode, std::string(c.status) == "fail" ? 1 : 0) << v.run.out;
    EXPECT_EQ(statusOf(v.json, c.check), c.status) << v.run.out;
    EXPECT_TRUE(contains(checkLine(v.json, c.check), c.message)) << v.run.out;
    if (*c.absent != 0) {
        EXPECT_FALSE(contains(checkLine(v.json, c.check), c.absent)) << v.run.out;
    }
    EXPECT_TRUE(isUtf8(v.json));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, Judged,
    ::testing::Values(
        JudgedCase{"RecoversAfter512", "10", "processing", "warning",
                   "recovery from NaN and infinite input measured", "input ended"},
        JudgedCase{"RecoversAfterOneSecond", "5", "processing", "warning",
                   "output non-finite for a while after the NaN input ended: finite again after "
                   "1 s (44100 frames) (32-bit, 44.1 kHz, blocks of 512 frames"},
        JudgedCase{"NeverRecovers", "10", "processing", "fail",
                   "output not finite again within 2 s after the NaN input ended"},
        JudgedCase{"CrashesAt8192", "5", "processing", "fail",
                   "while processing 32-bit, 44.1 kHz, blocks of 8192 frames"},
        JudgedCase{"WritesPastEnd", "5", "processing", "fail",
                   "the plug-in wrote past the end of the buffers of a processing call: 1 of the "
                   "64 samples after the 1 frames of output 0 changed"},
        // A host that answered another rate while creating the instance gives NaN at 48 kHz.
        JudgedCase{"ReadsRateAtCreation", "5", "processing", "warning", "at 4 sample rates"},
        JudgedCase{"InPlaceAliasing", "5", "buffers", "fail",
                   "in-place output differs from separate buffers"},
        JudgedCase{"AddsToOutput", "5", "buffers", "fail",
                   "outputs filled with garbage before each call give another output than "
                   "zeroed ones"},
        JudgedCase{"SharedParameters", "5", "instances", "fail",
                   "setting a parameter of one instance moved it in another"},
        JudgedCase{"SharedState", "5", "instances", "fail",
                   "two instances processing by turns do not give what one gives alone"},
        JudgedCase{"SnapsRestoredValues", "10", "state", "pass",
                   "a parameter reads another value than saved, shown the same or on the same "
                   "step"},
        JudgedCase{"TrustsChunkSize", "10", "state", "fail",
                   "an exception escaped (cannot create std::vector larger than max_size()) "
                   "while restoring a chunk of size -1"},
        JudgedCase{"TrustsChunkSize", "9", "state", "pass", "8 damaged chunks restored"},
        JudgedCase{"AllocatesOnce", "5", "lifecycle", "pass", "grew by 16"},
        JudgedCase{"GrowsFor1200Cycles", "5", "lifecycle", "pass", "not steadily"},
        // Instances are left open, so their code must stay loaded till the process ends.
        JudgedCase{"TellsWhenUnloaded", "5", "parameters", "pass", "swept", "unloaded"},
        JudgedCase{"Latin1Texts", "5", "identity", "pass", "'broken \u00b5s' by"},
        JudgedCase{"PrintsToStderr", "5", "identity", "pass",
                   "\"stderrLines\": 1, \"stderr\": [\"\\u001b[31mbroken: opening\\u001b[0m\"]"}),
    [](const auto& test) {
        return std::string(test.param.fault) + "_" + test.param.check + test.param.level;
    });

TEST(Validate, AudioThreadAllocationsWarnBelowLevelSevenAndFailFromIt) {
    const Validation six =
        validate(BROKEN_PLUGIN, {"--level", "6", "--only", "realtime", "--seconds", "0.2"},
                 "AllocatesInProcess");
    EXPECT_EQ(six.run.exitCode, 0) << six.run.out;
    EXPECT_EQ(statusOf(six.json, "realtime"), "warning");
    const Validation seven =
        validate(BROKEN_PLUGIN, {"--level", "7", "--only", "realtime", "--seconds", "0.2"},
                 "AllocatesInProcess");
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
    const Validation v =
        validate(BROKEN_PLUGIN, {"--only", "processing", "--timeout", "2", "--seconds", "0.1"},
                 "HangsInProcess");
    EXPECT_EQ(v.run.exitCode, 1);
    EXPECT_EQ(statusOf(v.json, "processing"), "fail");
    EXPECT_TRUE(contains(checkLine(v.json, "processing"),
                         "timed out after 2 s while processing 32-bit, 44.1 kHz, blocks of 7 "
                         "frames, separate buffers, silence input\", \"summary\""))
        << v.run.out;
    EXPECT_TRUE(contains(checkLine(v.json, "processing"), "\"blockSize\": 7"));
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

// What the plug-in writes to standard error (a line per instance opened) is counted under its
// check, its first lines shown without their colour sequences, all of them with --verbose; none
// reaches the terminal.
TEST(Validate, ThePluginsStandardErrorIsCapturedPerCheck) {
    for (const bool verbose : {false, true}) {
        std::vector<std::string> args{"validate", BROKEN_PLUGIN, "--only", "lifecycle"};
        if (verbose) args.push_back("--verbose");
        const RunResult run = runPlughost(args, "PLUGHOST_BROKEN_FAULT=PrintsToStderr");
        EXPECT_TRUE(contains(run.out, "standard error, 110 lines")) << run.out;
        const std::vector<std::string> out = lines(run.out);
        const auto shown = std::count(out.begin(), out.end(), "           | broken: opening");
        EXPECT_EQ(shown, verbose ? 110 : 3);
        EXPECT_FALSE(contains(run.err, "broken")) << run.err;
    }
}

// Where the loadable part of a 64-bit ELF library ends: cut before it, it cannot load whole.
std::size_t loadableEnd(const std::vector<unsigned char>& library) {
    Elf64_Ehdr header;
    std::memcpy(&header, library.data(), sizeof header);
    std::size_t end = 0;
    for (std::size_t i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        std::memcpy(&segment, library.data() + header.e_phoff + i * header.e_phentsize,
                    sizeof segment);
        if (segment.p_type == PT_LOAD) end = std::max(end, segment.p_offset + segment.p_filesz);
    }
    return end;
}

// A file that is no VST 2.4 library is refused in one line with status 3, and nothing runs.
TEST(Validate, AFileThatIsNoPluginIsRefusedInOneLine) {
    const ScratchFolder folder;
    writeBytes(folder.path("text.so"), {'h', 'i', '\n'});
    writeBytes(folder.path("empty.so"), {});
    std::vector<unsigned char> library = readBytes(kTrimmer);
    library.resize(loadableEnd(library) / 2);
    writeBytes(folder.path("truncated.so"), library);
    std::filesystem::create_directory(folder.path("folder"));
    for (const auto& [file, reason] : std::vector<std::pair<std::string, std::string>>{
             {"/nonexistent/plugin.so", "no such file"},
             {folder.path("text.so"), "file too short"},
             {folder.path("empty.so"), "file too short"},
             {folder.path("truncated.so"), "the file is damaged or no library"},
             {folder.path("folder"), "it is a folder"},
             {NO_ENTRY_PLUGIN, "no VST entry point"}}) {
        const Validation v = validate(file, {});
        EXPECT_EQ(v.run.exitCode, 3) << file << v.run.err;
        EXPECT_EQ(v.run.out, "") << file;
        EXPECT_EQ(lines(v.run.err).size(), 1u) << v.run.err;
        EXPECT_TRUE(contains(v.run.err, "plughost: cannot load plug-in '" + file + "': "));
        EXPECT_TRUE(contains(v.run.err, reason)) << v.run.err;
        EXPECT_TRUE(contains(v.json, "\"exitCode\": 3")) << v.json;
    }
}

// A bundle folder is opened through the library inside it.
TEST(Validate, OpensABundleThroughItsLibrary) {
    const ScratchFolder folder;
    std::filesystem::create_directories(folder.path("Trim.vst/Contents"));
    std::filesystem::create_symlink(kTrimmer, folder.path("Trim.vst/Contents/Trim.so"));
    const Validation v = validate(folder.path("Trim.vst/"), {"--only", "identity"});
    EXPECT_EQ(v.run.exitCode, 0) << v.run.err;
    EXPECT_TRUE(contains(v.json, "\"library\": \"" + folder.path("Trim.vst/Contents/Trim.so")))
        << v.json;
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
    // An unwritable report is refused before any check runs.
    const RunResult unwritable =
        runPlughost({"validate", kTrimmer, "--json", "/nonexistent/folder/report.json"});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(unwritable.out, "");
    const RunResult help = runPlughost({"validate", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(contains(help.out, "  1  identity"));
    EXPECT_TRUE(contains(runPlughost({"--help"}).out, "plughost validate PLUGIN"));
}

} // namespace
} // namespace plughost::testing
