// SPDX-License-Identifier: MIT
// Every way a plughost run can fail: one clear line on standard error, a non-zero exit status
// and nothing left in the output folder.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

namespace plughost::testing {
namespace {

struct FailureCase {
    const char* name;
    std::vector<std::string> args; // "@name" stands for a file in the scratch folder
    const char* message;
    int exitCode = 1;
};

std::ostream& operator<<(std::ostream& stream, const FailureCase& failure) {
    return stream << failure.name;
}

const std::string kTrimmer = TRIMMER_PLUGIN;
const std::string kProbe = PROBE_PLUGIN;

class Failures : public ::testing::TestWithParam<FailureCase> {
protected:
    static void SetUpTestSuite() {
        s_folder = new ScratchFolder;
        runPlughostOk({"gen", "-o", s_folder->path("in.wav"), "--seconds", "0.1"});
        runPlughostOk(
            {"gen", "-o", s_folder->path("stereo.wav"), "--seconds", "0.1", "--channels", "2"});
        runPlughostOk({"process", kTrimmer, "-i", s_folder->path("in.wav"), "-o",
                       s_folder->path("first.wav"), "--save-state", s_folder->path("good.state")});
        const std::vector<unsigned char> state = readBytes(s_folder->path("good.state"));
        writeBytes(s_folder->path("truncated.state"), {state.begin(), state.begin() + 200});
        std::vector<unsigned char> otherPlugin = state;
        otherPlugin[12] ^= 0x01; // unique id
        writeBytes(s_folder->path("other.state"), otherPlugin);
        writeBytes(s_folder->path("foreign.state"), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A'});
        writeBytes(s_folder->path("text.wav"), {'h', 'e', 'l', 'l', 'o', '\n'});
        writeBytes(s_folder->path("text.so"), std::vector<unsigned char>(256, 'x'));
    }
    static void TearDownTestSuite() { delete s_folder; }

    static ScratchFolder* s_folder;
};

ScratchFolder* Failures::s_folder = nullptr;

TEST_P(Failures, PrintsOneLineExitsNonZeroAndLeavesNoOutput) {
    const FailureCase& failure = GetParam();
    const std::vector<std::string> before = s_folder->entries();
    std::vector<std::string> args;
    for (const std::string& arg : failure.args)
        args.push_back(arg.rfind('@', 0) == 0 ? s_folder->path(arg.substr(1)) : arg);

    const RunResult run = runPlughost(args);

    EXPECT_EQ(run.exitCode, failure.exitCode) << run.err;
    EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
    EXPECT_TRUE(contains(run.err, failure.message)) << run.err;
    EXPECT_EQ(run.err.rfind("plughost: ", 0), 0u) << run.err;
    EXPECT_EQ(s_folder->entries(), before) << "files were left behind";
}

std::vector<std::string> process(const std::string& plugin, std::vector<std::string> extra,
                                 const std::string& in = "@in.wav") {
    std::vector<std::string> args = {"process", plugin, "-i", in, "-o", "@out.wav"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

INSTANTIATE_TEST_SUITE_P(
    Plughost, Failures,
    ::testing::Values(
        FailureCase{"MissingInput", process(kTrimmer, {}, "@missing.wav"), "cannot read input '",
                    1},
        FailureCase{"UnreadableInput", process(kTrimmer, {}, "@text.wav"),
                    "text.wav': Format not recognised"},
        FailureCase{"MissingLibrary", process("@missing.so", {}), "cannot load plug-in '"},
        FailureCase{"LibraryThatDoesNotLoad", process("@text.so", {}),
                    "text.so: invalid ELF header"},
        FailureCase{"NoEntryPoint", process(NO_ENTRY_PLUGIN, {}),
                    "no VST entry point (looked for VSTPluginMain, main and MAIN)"},
        FailureCase{"NullRecord", process(NULL_RECORD_PLUGIN, {}),
                    "entry point VSTPluginMain returned no plug-in"},
        FailureCase{"WrongMagic", process(WRONG_MAGIC_PLUGIN, {}),
                    "wrong magic 0x42616450 ('BadP'), expected 0x56737450 ('VstP')"},
        FailureCase{"PluginCrashes", process(CRASHING_PLUGIN, {}),
                    "the plug-in crashed (invalid memory access, SIGSEGV)", 128 + SIGSEGV},
        FailureCase{"UnsupportedOutputFormat",
                    {"process", kTrimmer, "-i", "@in.wav", "-o", "@out.mp3"},
                    "unsupported output format '.mp3'"},
        FailureCase{"OutputFolderMissing",
                    {"process", kTrimmer, "-i", "@in.wav", "-o", "@nowhere/out.wav"},
                    "cannot write '"},
        FailureCase{"TruncatedState", process(kTrimmer, {"--state", "@truncated.state"}),
                    "truncated.state' is truncated: 200 bytes of 360"},
        FailureCase{"ForeignState", process(kTrimmer, {"--state", "@foreign.state"}),
                    "foreign.state' is not a plughost state file"},
        FailureCase{"StateOfAnotherPlugin", process(kTrimmer, {"--state", "@other.state"}),
                    "other.state' belongs to another plug-in"},
        FailureCase{"ChunkStateForPluginWithoutChunks",
                    process(kProbe, {"--state", "@good.state"}, "@stereo.wav"),
                    "good.state' holds a state chunk and plug-in '"},
        FailureCase{"UnknownParameterName", process(kTrimmer, {"--param", "volume=0.5"}),
                    "unknown parameter 'volume'; the plug-in has 'level stereo 1'", 2},
        FailureCase{"ParameterIndexOutOfRange", process(kTrimmer, {"--param", "4=0.5"}),
                    "parameter index 4 is out of range: the plug-in has 4 parameters (0 to 3)", 2},
        FailureCase{"DisplayValueOutOfRange", process(kTrimmer, {"--param", "level stereo 1=20dB"}),
                    "parameter 'level stereo 1' cannot show 20: it shows -12 to 12", 2},
        FailureCase{"NormalisedValueOutOfRange",
                    process(LOOKAHEAD_PLUGIN, {"--param", "mode=1.5"}, "@stereo.wav"),
                    "a normalised value runs from 0 to 1", 2},
        FailureCase{"NoDoublePrecision", process(kProbe, {"--precision", "64"}),
                    "offers no 64-bit processing"},
        FailureCase{"MissingOutputOption",
                    {"process", kTrimmer, "-i", "@in.wav"},
                    "the output file (-o OUT) is missing",
                    2},
        FailureCase{"BadBlockSize", process(kTrimmer, {"--block", "0"}),
                    "--block '0': expected a whole number from 1 to", 2},
        FailureCase{"ParameterWithoutValue", process(kTrimmer, {"--param", "level stereo 1"}),
                    "expected NAME=VALUE or INDEX=VALUE", 2},
        FailureCase{"ParameterValueWithComma", process(kTrimmer, {"--param", "0=-3,5dB"}),
                    "'-3,5dB' is not a value", 2},
        FailureCase{"ParameterValueWithJunk", process(kProbe, {"--param", "mix=35% junk"}),
                    "'35% junk' is not a value", 2},
        FailureCase{"ParameterValueNotANumber", process(kTrimmer, {"--param", "0=NaN"}),
                    "parameter 'level stereo 1' never shows 'NaN'", 2},
        FailureCase{"ParameterUnitNotTheParameters",
                    process(kProbe, {"--param", "mix=35dB"}, "@stereo.wav"),
                    "the unit 'dB' is not the parameter's ('%')", 2},
        FailureCase{"SeveralInputsWithoutOutputFolder", process(kTrimmer, {"-i", "@in.wav"}),
                    "several inputs need --out-dir DIR", 2},
        FailureCase{"InputAtAnotherRate", process(kTrimmer, {"--rate", "44100"}),
                    "in.wav' is at 48000 Hz, not the 44100 Hz that --rate asks for; give "
                    "--resample to convert it"},
        FailureCase{"OutputIsTheInput",
                    {"process", kTrimmer, "-i", "@in.wav", "-o", "@in.wav"},
                    "it is the same file as",
                    2},
        FailureCase{"ReportIsTheOutput", process(kTrimmer, {"--json", "@out.wav"}),
                    "--json and -o name the same file, '", 2},
        FailureCase{"StateIsTheOutput", process(kTrimmer, {"--save-state", "@./out.wav"}),
                    "--save-state and -o name the same file, '", 2},
        FailureCase{
            "BatchReportIsAnInput",
            {"process", kTrimmer, "-i", "@in.wav", "--out-dir", "@batch", "--json", "@in.wav"},
            "it is the same file as",
            2}),
    [](const ::testing::TestParamInfo<FailureCase>& test) { return std::string(test.param.name); });

// Ctrl-C while a plug-in hangs in its first block: one line, the unfinished output removed,
// and the process ended by the interruption.
TEST(Interruption, RemovesTheOutputsAndSaysSo) {
    ScratchFolder folder;
    runPlughostOk({"gen", "-o", folder.path("in.wav"), "--channels", "2", "--seconds", "0.1"});
    const RunResult run = runPlughost(
        {"process", BROKEN_PLUGIN, "-i", folder.path("in.wav"), "-o", folder.path("out.wav"),
         "--block", "7"},
        "PLUGHOST_BROKEN_FAULT=HangsInProcess timeout --preserve-status --signal INT 1");
    EXPECT_EQ(run.exitCode, 128 + SIGINT);
    EXPECT_EQ(run.err, "plughost: interrupted; unfinished output files removed\n");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"in.wav"});
}

} // namespace
} // namespace plughost::testing
