// SPDX-License-Identifier: MIT
// Saving and restoring plug-in state: parameter values for a plug-in without a state chunk,
// and program files (.fxp) in both forms, which must come back byte for byte.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

namespace plughost::testing {
namespace {

const std::string kLookahead = LOOKAHEAD_PLUGIN;
const std::string kTrimmer = TRIMMER_PLUGIN;

class Presets : public ::testing::Test {
protected:
    void SetUp() override {
        runPlughostOk({"gen", "-o", stereo, "--channels", "2", "--seconds", "0.05"});
        runPlughostOk({"gen", "-o", eight, "--channels", "8", "--seconds", "0.05"});
    }
    RunResult process(const std::string& plugin, const std::string& in,
                      std::vector<std::string> extra) {
        std::vector<std::string> args = {"process", plugin, "-i", in, "-o", folder.path("out.wav")};
        args.insert(args.end(), extra.begin(), extra.end());
        return runPlughostOk(args);
    }
    // The parameter table of a run's report.
    static std::string table(const RunResult& run) {
        const auto start = run.out.find("index  name");
        const auto end = run.out.find("levels in dBFS");
        return run.out.substr(start, end - start);
    }

    ScratchFolder folder;
    std::string stereo = folder.path("stereo.wav");
    std::string eight = folder.path("eight.wav");
    std::vector<std::string> settings = {"--param",  "frequency=440Hz", "--param",
                                         "mode=RMS", "--param",         "ratio=8"};
};

TEST_F(Presets, PluginWithoutChunkSavesAndRestoresItsParameterValues) {
    std::vector<std::string> saving = settings;
    saving.insert(saving.end(), {"--save-state", folder.path("values.state")});
    const RunResult saved = process(kLookahead, stereo, saving);
    const std::vector<unsigned char> bytes = readBytes(folder.path("values.state"));
    ASSERT_EQ(bytes.size(), 100u + 6 * 4);
    EXPECT_EQ(bytes[96], 1); // parameter values
    const RunResult restored =
        process(kLookahead, stereo, {"--state", folder.path("values.state")});
    EXPECT_EQ(table(restored), table(saved));
    EXPECT_TRUE(contains(table(restored), "440.0             Hz")) << table(restored);
}

TEST_F(Presets, ProgramFileOfParameterValuesComesBackByteForByte) {
    std::vector<std::string> saving = settings;
    saving.insert(saving.end(), {"--save-state", folder.path("a.fxp")});
    const RunResult saved = process(kLookahead, stereo, saving);
    std::vector<unsigned char> bytes = readBytes(folder.path("a.fxp"));
    ASSERT_EQ(bytes.size(), 56u + 6 * 4);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "FxCk");
    EXPECT_EQ(std::string(bytes.begin() + 28, bytes.begin() + 45), "lookahead default");
    // Another host's name for the program travels too.
    const std::string name = "from elsewhere";
    std::fill(bytes.begin() + 28, bytes.begin() + 56, 0);
    std::copy(name.begin(), name.end(), bytes.begin() + 28);
    writeBytes(folder.path("a.fxp"), bytes);

    const RunResult restored =
        process(kLookahead, stereo,
                {"--state", folder.path("a.fxp"), "--save-state", folder.path("b.fxp")});
    EXPECT_EQ(readBytes(folder.path("b.fxp")), bytes);
    EXPECT_EQ(table(restored), table(saved));
}

TEST_F(Presets, ProgramFileOfAChunkComesBackByteForByteAndSoundsTheSame) {
    process(kTrimmer, eight,
            {"--param", "level stereo 1=-6dB", "--param", "3=0.75", "--save-state",
             folder.path("t.fxp")});
    const Audio first = readAudio(folder.path("out.wav"));
    const std::vector<unsigned char> bytes = readBytes(folder.path("t.fxp"));
    ASSERT_GT(bytes.size(), 60u);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "FPCh");

    process(kTrimmer, eight,
            {"--state", folder.path("t.fxp"), "--save-state", folder.path("t2.fxp")});
    EXPECT_EQ(readBytes(folder.path("t2.fxp")), bytes);
    EXPECT_EQ(readAudio(folder.path("out.wav")).samples, first.samples);
}

TEST_F(Presets, ProgramFileOfAnotherPluginIsRefused) {
    process(kLookahead, stereo, {"--save-state", folder.path("a.fxp")});
    const RunResult run = runPlughost({"process", kTrimmer, "-i", eight, "-o", folder.path("x.wav"),
                                       "--state", folder.path("a.fxp")});
    EXPECT_EQ(run.exitCode, 1);
    // A program file keeps no name: the plug-in it belongs to is named by its numbers.
    EXPECT_TRUE(contains(run.err, "a.fxp' belongs to another plug-in: a plug-in with unique id "
                                  "1282371435, 6 parameters, not 'Qualtrevin_"))
        << run.err;
}

} // namespace
} // namespace plughost::testing
