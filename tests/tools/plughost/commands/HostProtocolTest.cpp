// SPDX-License-Identifier: MIT
// What plughost sends a plug-in and answers it, seen from a probe plug-in that logs every
// request; and the info and gen commands.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

#include <cmath>

namespace plughost::testing {
namespace {

const std::string kProbe = PROBE_PLUGIN;

class ProbeRun : public ::testing::Test {
protected:
    void SetUp() override {
        input = folder.path("in.wav");
        // 800 frames at 8000 Hz: eight blocks of 100.
        runPlughostOk(
            {"gen", "-o", input, "--channels", "2", "--rate", "8000", "--seconds", "0.1"});
    }
    RunResult process(std::vector<std::string> extra) {
        std::vector<std::string> args = {"process", kProbe, "-i", input, "-o", output};
        args.insert(args.end(), extra.begin(), extra.end());
        return runPlughostOk(args, "PLUGHOST_PROBE_LOG=" + folder.path("probe.log"));
    }

    ScratchFolder folder;
    std::string input;
    std::string output = folder.path("out.wav");
};

TEST_F(ProbeRun, DrivesTheWholeLifecycleInOrder) {
    process({"--block", "100"});
    std::vector<std::string> expected = {"host version 2400", "open", "sample rate 8000",
                                         "block size 100", "resume"};
    // The warm-up: 0.1 s of silence with the transport stopped at 0, then a fresh start.
    for (int block = 0; block < 8; ++block)
        expected.push_back("process 100 at 0, tempo 120, 4/4");
    expected.insert(expected.end(), {"suspend", "resume"});
    for (int block = 0; block < 8; ++block)
        expected.push_back("process 100 at " + std::to_string(block * 100) + ", tempo 120, 4/4");
    expected.insert(expected.end(), {"suspend", "close"});
    EXPECT_EQ(lines(readText(folder.path("probe.log"))), expected);
}

TEST_F(ProbeRun, TimeAdvancesWithEveryBlockAndAShortLastBlock) {
    process({"--block", "300"});
    const Audio out = readAudio(output);
    ASSERT_EQ(out.channels, 4); // all of the probe's outputs, from two inputs
    ASSERT_EQ(out.frames, 800);
    for (std::int64_t j = 0; j < out.frames; ++j) {
        ASSERT_EQ(out.at(j, 2), static_cast<double>(j)) << "sample position at frame " << j;
        // 120 quarter notes a minute: two per second, read at the block's first frame.
        const double blockStart = static_cast<double>(j - j % 300);
        ASSERT_NEAR(out.at(j, 3), blockStart / 8000.0 * 2.0, 1e-6) << "frame " << j;
    }
}

TEST_F(ProbeRun, DisplayValueWithAnotherUnitFindsItsSetting) {
    const RunResult run = process({"--param", "mix=25%"});
    EXPECT_TRUE(contains(run.out, "mix                       25                %         0.25"))
        << run.out;
    const Audio in = readAudio(input);
    const Audio out = readAudio(output);
    for (std::int64_t j = 0; j < in.frames; ++j)
        ASSERT_NEAR(out.at(j, 0), 0.25 * in.at(j, 0), 1e-4 * std::fabs(in.at(j, 0)) + 1e-9);
}

TEST(Info, DescribesTheProbe) {
    const RunResult run = runPlughostOk({"info", kProbe});
    for (const char* line :
         {"(entry point MAIN)", "name            plughost probe", "unique id       1349676898",
          "inputs          2", "outputs         4", "flags           0x00000010: can-replace",
          "  receiveVstTimeInfo     does not say",
          "    0  mix                       100               %         1.000000"})
        EXPECT_TRUE(contains(run.out, line)) << line << "\n" << run.out;
}

TEST(Info, DescribesTheTrimmer) {
    const RunResult run = runPlughostOk({"info", TRIMMER_PLUGIN});
    for (const char* line :
         {"name            Qualtrevin_multi-channel_level_trimmer_4x_stereo",
          "vendor          Qualtrevin", "vendor version  1000", "VST version     2400",
          "inputs          8", "outputs         8",
          "flags           0x00001030: can-replace, program-chunks, can-double-replace",
          "  receiveVstMidiEvent    yes", "  receiveVstTimeInfo     no",
          "    3  level stereo 4            0.00                        0.500000"})
        EXPECT_TRUE(contains(run.out, line)) << line << "\n" << run.out;
}

TEST(Gen, WritesOneSineAtMinusTwelveDecibelsPerChannel) {
    const ScratchFolder folder;
    const std::string path = folder.path("gen.wav");
    const RunResult run = runPlughostOk({"gen", "-o", path});
    EXPECT_TRUE(contains(run.out, "8 channels, 48000 Hz, 4.000 s, 32-bit float WAV")) << run.out;
    const Audio audio = readAudio(path);
    ASSERT_EQ(audio.channels, 8);
    ASSERT_EQ(audio.sampleRate, 48000);
    ASSERT_EQ(audio.frames, 4 * 48000);
    for (int c = 0; c < 8; ++c) {
        EXPECT_NEAR(toDb(audio.peak(c)), -12.0, 0.01) << "channel " << c + 1;
        EXPECT_NEAR(toDb(audio.rms(c)), -12.0 - toDb(std::sqrt(2.0)), 0.01);
        // Rising zero crossings count the cycles: 220 Hz times the channel number.
        int cycles = 0;
        for (std::int64_t j = 1; j < audio.frames; ++j)
            if (audio.at(j - 1, c) < 0.0 && audio.at(j, c) >= 0.0) ++cycles;
        EXPECT_NEAR(cycles, 220 * (c + 1) * 4, 1) << "channel " << c + 1;
    }
}

TEST(Gen, OtherFormatsFromTheExtension) {
    const ScratchFolder folder;
    for (const char* name : {"gen.flac", "gen.aiff"}) {
        runPlughostOk({"gen", "-o", folder.path(name), "--channels", "3", "--rate", "44100",
                       "--seconds", "0.25"});
        const Audio audio = readAudio(folder.path(name));
        EXPECT_EQ(audio.channels, 3) << name;
        EXPECT_EQ(audio.sampleRate, 44100) << name;
        EXPECT_EQ(audio.frames, 11025) << name;
        EXPECT_NEAR(toDb(audio.peak(2)), -12.0, 0.01) << name;
    }
}

} // namespace
} // namespace plughost::testing

namespace plughost::testing {
namespace {

TEST(ParameterValues, DisplayTextsWordsAndBareNumbersAreMetExactly) {
    ScratchFolder folder;
    const std::string input = folder.path("in.wav");
    runPlughostOk({"gen", "-o", input, "--channels", "2", "--seconds", "0.05"});
    const RunResult run =
        runPlughostOk({"process", LOOKAHEAD_PLUGIN, "-i", input, "-o", folder.path("out.wav"),
                       "--param", "frequency=440Hz", "--param", "mode=rms", "--param", "bypass=ON",
                       "--param", "ratio=8", "--param", "gain=2.5X"});
    for (const char* row :
         {"    0  frequency                 440.0             Hz ",
          "    1  mode                      RMS", "    2  bypass                    on",
          "    3  ratio                     8.00",
          "    5  gain                      2.50              x  "})
        EXPECT_TRUE(contains(run.out, row)) << row << "\n" << run.out;
}

} // namespace
} // namespace plughost::testing

namespace plughost::testing {
namespace {

TEST(Wording, VersionAndCountsReadAsEnglish) {
    const RunResult version = runPlughostOk({"--version"});
    EXPECT_EQ(version.out.rfind("plughost ", 0), 0u) << version.out;
    EXPECT_EQ(lines(version.out).size(), 1u);

    ScratchFolder folder;
    const std::string mono = folder.path("mono.wav");
    runPlughostOk({"gen", "-o", mono, "--channels", "1", "--seconds", "0.05"});
    const RunResult run =
        runPlughostOk({"process", kProbe, "-i", mono, "-o", folder.path("out.wav")});
    EXPECT_TRUE(contains(run.err, "has 1 channel and the plug-in takes 2: input 2 gets silence"))
        << run.err;
    EXPECT_TRUE(contains(run.out, "mono.wav: 1 channel, ")) << run.out;
    // The second input is silent: its change has no size.
    EXPECT_TRUE(contains(run.out, "\u2014\n")) << run.out;
}

TEST(Wording, EmptyInputHasNoSpeedToReport) {
    ScratchFolder folder;
    writeAudio(folder.path("empty.wav"), silence(2, 48000, 0));
    const RunResult run = runPlughostOk(
        {"process", kProbe, "-i", folder.path("empty.wav"), "-o", folder.path("out.wav")});
    EXPECT_TRUE(contains(run.out, "s for 0.000 s of audio\n")) << run.out;
    EXPECT_FALSE(contains(run.out, "real time")) << run.out;
}

TEST(Wording, UsageErrorsPointToHelpOnce) {
    const RunResult run = runPlughost({"frobnicate"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.find("--help"), run.err.rfind("--help")) << run.err;
}

} // namespace
} // namespace plughost::testing
