// SPDX-License-Identifier: MIT
// plughost running the level trimmer over generated files: gains, channel mapping, both
// precisions, state files, and files with fewer or more channels than the plug-in takes.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

#include <cmath>

namespace plughost::testing {
namespace {

const std::string kTrimmer = TRIMMER_PLUGIN;

// Gain of pair p (0-based) set by kSettings, in dB.
constexpr double kPairDb[4] = {-6.0, -0.5, 6.0, 3.0};
const std::vector<std::string> kSettings = {
    "--param", "level stereo 1=-6dB",    // display value, by name
    "--param", "level stereo 2=-0.5 dB", // a step between whole decibels
    "--param", "2=0.75",                 // normalised, by index: -12 + 0.75 * 24 = +6
    "--param", "LEVEL STEREO 4=+3dB",    // names match ignoring case
};

std::vector<std::string> processArgs(const std::string& in, const std::string& out,
                                     std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"process", kTrimmer, "-i", in, "-o", out};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

std::vector<std::string> withSettings(std::vector<std::string> extra = {}) {
    extra.insert(extra.begin(), kSettings.begin(), kSettings.end());
    return extra;
}

// One generated file processed once with kSettings; the tests read the results.
class TrimmerRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = new ScratchFolder;
        input() = s_folder->path("in.wav");
        runPlughostOk({"gen", "-o", input(), "--seconds", "0.5"});
        s_run = new RunResult(runPlughostOk(
            processArgs(input(), s_folder->path("out32.wav"),
                        withSettings({"--save-state", s_folder->path("saved.state")}))));
        runPlughostOk(processArgs(input(), s_folder->path("out64.wav"),
                                  withSettings({"--precision", "64", "--block", "333"})));
    }
    static void TearDownTestSuite() {
        delete s_run;
        delete s_folder;
    }
    static std::string& input() {
        static std::string path;
        return path;
    }

    static ScratchFolder* s_folder;
    static RunResult* s_run;
};

ScratchFolder* TrimmerRun::s_folder = nullptr;
RunResult* TrimmerRun::s_run = nullptr;

TEST_F(TrimmerRun, EachPairChangesByItsGain) {
    const Audio in = readAudio(input());
    const Audio out = readAudio(s_folder->path("out32.wav"));
    ASSERT_EQ(out.channels, 8);
    ASSERT_EQ(out.frames, in.frames);
    for (int c = 0; c < 8; ++c)
        EXPECT_NEAR(toDb(out.rms(c) / in.rms(c)), kPairDb[c / 2], 0.001) << "channel " << c + 1;
}

TEST_F(TrimmerRun, EveryOutputChannelComesFromTheSameInputChannel) {
    const Audio in = readAudio(input());
    const Audio out = readAudio(s_folder->path("out32.wav"));
    ASSERT_EQ(out.channels, 8);
    for (int c = 0; c < 8; ++c) {
        const double gain = std::pow(10.0, kPairDb[c / 2] / 20.0);
        double worst = 0.0;
        for (std::int64_t j = 0; j < in.frames; ++j)
            worst = std::max(worst, std::fabs(out.at(j, c) - gain * in.at(j, c)));
        EXPECT_LT(worst, 1e-6) << "channel " << c + 1;
    }
}

TEST_F(TrimmerRun, ReportsLevelsAndSettingsInItsTable) {
    const std::string& report = s_run->out;
    EXPECT_TRUE(contains(report, "level stereo 1            -6.00")) << report;
    EXPECT_TRUE(contains(report, "level stereo 4            3.00")) << report;
    // Channel 1: -12 dBFS peak in, -18 out, RMS change -6.00.
    bool found = false;
    for (const std::string& line : lines(report))
        if (line.rfind("      1 ", 0) == 0) {
            found = true;
            EXPECT_TRUE(contains(line, "-12.00")) << line;
            EXPECT_TRUE(contains(line, "-18.00")) << line;
            EXPECT_EQ(line.substr(line.size() - 5), "-6.00") << line;
        }
    EXPECT_TRUE(found) << report;
    EXPECT_TRUE(s_run->err.empty()) << s_run->err;
}

TEST_F(TrimmerRun, SixtyFourBitPathMatchesThirtyTwoBitWithinFloatRounding) {
    const Audio single = readAudio(s_folder->path("out32.wav"));
    const Audio twice = readAudio(s_folder->path("out64.wav"));
    ASSERT_EQ(single.samples.size(), twice.samples.size());
    for (std::size_t i = 0; i < single.samples.size(); ++i)
        ASSERT_NEAR(single.samples[i], twice.samples[i], std::fabs(single.samples[i]) * 0x1p-23)
            << "sample " << i;
}

TEST_F(TrimmerRun, RestoredStateReproducesTheOutputExactly) {
    const std::string restored = s_folder->path("restored.wav");
    runPlughostOk(processArgs(input(), restored, {"--state", s_folder->path("saved.state")}));
    const Audio first = readAudio(s_folder->path("out32.wav"));
    const Audio second = readAudio(restored);
    ASSERT_EQ(first.channels, 8);
    EXPECT_EQ(first.samples, second.samples);
    // Header and the 260-byte chunk of the trimmer.
    EXPECT_EQ(readBytes(s_folder->path("saved.state")).size(), 100u + 260u);
}

TEST_F(TrimmerRun, UnityPairsPassSamplesUnchanged) {
    const std::string out = s_folder->path("unity.wav");
    runPlughostOk(processArgs(input(), out));
    EXPECT_EQ(readAudio(out).samples, readAudio(input()).samples);
}

// ---------------------------------------------------------------------------------------------
// Files whose channel count differs from the plug-in's

class ChannelCounts : public ::testing::Test {
protected:
    ScratchFolder folder;
};

TEST_F(ChannelCounts, MonoFileFeedsTheFirstInputAndSilenceTheRest) {
    const std::string in = folder.path("mono.wav");
    const std::string out = folder.path("out.wav");
    runPlughostOk({"gen", "-o", in, "--channels", "1", "--seconds", "0.2"});
    const RunResult run = runPlughostOk(processArgs(in, out, {"--param", "0=0.25"}));
    EXPECT_TRUE(contains(run.err, "has 1 channel and the plug-in takes 8: inputs 2 to 8 get "
                                  "silence"))
        << run.err;
    const Audio source = readAudio(in);
    const Audio result = readAudio(out);
    ASSERT_EQ(result.channels, 8);
    EXPECT_NEAR(toDb(result.rms(0) / source.rms(0)), -6.0, 0.001);
    for (int c = 1; c < 8; ++c)
        EXPECT_EQ(result.peak(c), 0.0) << "channel " << c + 1;
}

TEST_F(ChannelCounts, ExtraFileChannelsAreReportedAndDropped) {
    const std::string in = folder.path("ten.wav");
    const std::string out = folder.path("out.wav");
    runPlughostOk({"gen", "-o", in, "--channels", "10", "--seconds", "0.2"});
    const RunResult run = runPlughostOk(processArgs(in, out));
    EXPECT_TRUE(contains(run.err, "has 10 channels and the plug-in takes 8: file channels 9 to "
                                  "10 are dropped"))
        << run.err;
    const Audio source = readAudio(in);
    const Audio result = readAudio(out);
    ASSERT_EQ(result.channels, 8);
    for (std::int64_t j = 0; j < source.frames; ++j)
        for (int c = 0; c < 8; ++c)
            ASSERT_EQ(result.at(j, c), source.at(j, c));
}

} // namespace
} // namespace plughost::testing
