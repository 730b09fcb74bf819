// SPDX-License-Identifier: MIT
// What plughost writes, frame by frame and level by level: a delaying plug-in's output moved
// back into line with its input (also when the plug-in announces its delay late or changes it
// during the run), tails after the input, clipping of integer output reported, and a cut-off
// input file named as such.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

#include <cmath>

namespace plughost::testing {
namespace {

const std::string kLookahead = LOOKAHEAD_PLUGIN;
constexpr int kRate = 48000;
constexpr int kEchoFrames = 4800; // the look-ahead plug-in's echo spacing

class Lookahead : public ::testing::Test {
protected:
    RunResult process(const Audio& in, std::vector<std::string> extra,
                      const std::string& environment = "") {
        writeAudio(input, in);
        std::vector<std::string> args = {"process", kLookahead, "-i", input, "-o", output};
        args.insert(args.end(), extra.begin(), extra.end());
        return runPlughostOk(args, environment);
    }

    ScratchFolder folder;
    std::string input = folder.path("in.wav");
    std::string output = folder.path("out.wav");
};

// Every sample of out equals expected, frame for frame.
void expectSame(const Audio& out, const Audio& expected) {
    ASSERT_EQ(out.channels, expected.channels);
    ASSERT_EQ(out.frames, expected.frames);
    for (std::int64_t j = 0; j < out.frames; ++j)
        for (int c = 0; c < out.channels; ++c)
            ASSERT_EQ(out.at(j, c), expected.at(j, c)) << "frame " << j << ", channel " << c;
}

TEST_F(Lookahead, OutputLinesUpWithTheInputAndKeepsItsLastFrames) {
    Audio in = silence(2, kRate, 3000);
    in.at(1000, 0) = 1.0;
    in.at(2999, 1) = 0.5; // the very last frame comes out too
    in.at(0, 1) = -0.25;  // and the very first
    // Delays shorter and longer than a block, and a block size that does not divide them.
    for (const char* delay : {"240", "1000", "0"}) {
        const RunResult run =
            process(in, {"--block", "256"}, std::string("PLUGHOST_LOOKAHEAD_DELAY=") + delay);
        expectSame(readAudio(output), in);
        EXPECT_TRUE(contains(run.out, std::string("latency ") + delay + " frames")) << run.out;
    }
    const RunResult tiny = process(in, {"--block", "7"});
    expectSame(readAudio(output), in);
}

// Announced only in the third processing call, or changed from 240 to 480 frames once 2000
// frames have gone through (from the block that starts at frame 2048), by one plug-in or by
// both of a chain: the output still lines up frame for frame with nothing lost at the end. A
// change during the run is a warning, in the report too, and --strict makes it fail the run.
TEST_F(Lookahead, LateAndChangingDelaysAreFollowedFrameForFrame) {
    struct Case {
        const char* environment;
        bool chain;
        const char* warning; // empty: none
    };
    Audio in = silence(2, kRate, 6000);
    for (const std::int64_t frame : {0, 1000, 2047, 2048, 3000, 5999})
        in.at(frame, frame % 2 == 0 ? 0 : 1) = 0.5;
    const std::string report = folder.path("report.json");
    for (const Case& test : {Case{"PLUGHOST_LOOKAHEAD_REPORT_AFTER=3", false, ""},
                             Case{"PLUGHOST_LOOKAHEAD_REPORT_AFTER=3", true, ""},
                             Case{"PLUGHOST_LOOKAHEAD_CHANGE=2000:480", false,
                                  "changed its delay from 240 to 480 frames during the run, at "
                                  "input frame 1808; the output follows it from there\n"},
                             Case{"PLUGHOST_LOOKAHEAD_CHANGE=2000:480", true,
                                  "changed its delay from 240 to 480 frames during the run, at "
                                  "input frame 1568; the output follows it from there\n"}}) {
        const std::vector<std::string> chain =
            test.chain ? std::vector<std::string>{"-P", kLookahead} : std::vector<std::string>{};
        std::vector<std::string> options{"--block", "256", "--json", report};
        options.insert(options.end(), chain.begin(), chain.end());
        const RunResult run = process(in, options, test.environment);
        SCOPED_TRACE(std::string(test.environment) + (test.chain ? ", chain" : ""));
        expectSame(readAudio(output), in);
        EXPECT_TRUE(contains(run.out, "latency 240 frames")) << run.out;
        EXPECT_EQ(run.err.empty(), *test.warning == '\0') << run.err;
        EXPECT_TRUE(contains(run.err, test.warning)) << run.err;
        EXPECT_EQ(contains(readText(report), "\"to\": 480"), *test.warning != '\0');
        std::vector<std::string> strict{"process", kLookahead, "-i",      input,
                                        "-o",      output,     "--strict"};
        strict.insert(strict.end(), options.begin(), options.end());
        EXPECT_EQ(runPlughost(strict, test.environment).exitCode, *test.warning == '\0' ? 0 : 1);
    }
}

TEST_F(Lookahead, InfoReadsTheDelayAfterAWarmUp) {
    for (const char* environment : {"", "PLUGHOST_LOOKAHEAD_REPORT_AFTER=3"}) {
        const RunResult run = runPlughostOk({"info", kLookahead}, environment);
        EXPECT_TRUE(contains(run.out, "latency         240 frames")) << environment << run.out;
    }
}

TEST_F(Lookahead, FixedTailKeepsTheEchoesAfterTheInput) {
    Audio in = silence(2, kRate, kEchoFrames);
    in.at(0, 0) = 1.0;
    const RunResult run = process(in, {"--param", "4=1", "--tail", "0.5"});
    const Audio out = readAudio(output);
    ASSERT_EQ(out.frames, kEchoFrames + kRate / 2);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(out.at(k * kEchoFrames, 0), std::ldexp(1.0, -k)) << "echo " << k;
    EXPECT_EQ(out.at(kEchoFrames + 1, 0), 0.0);
    EXPECT_TRUE(contains(run.out, "(tail 0.500 s)")) << run.out;
}

TEST_F(Lookahead, AutomaticTailEndsOneSecondAfterTheOutputFallsSilent) {
    Audio in = silence(2, kRate, kEchoFrames);
    in.at(0, 0) = 1.0;
    process(in, {"--param", "4=1", "--tail", "auto", "--block", "512"});
    const Audio out = readAudio(output);
    // Echo k is at 2^-k: the last one at or above -120 dBFS (1e-6) is echo 19.
    const std::int64_t lastEcho = 19 * kEchoFrames;
    ASSERT_GT(out.frames, lastEcho);
    EXPECT_EQ(out.at(lastEcho, 0), std::ldexp(1.0, -19));
    EXPECT_GE(out.frames, lastEcho + 1 + kRate);
    EXPECT_LE(out.frames, lastEcho + 1 + kRate + 512);

    // Without echoes the output is quiet at once: one second of tail.
    process(in, {"--tail", "auto", "--block", "512"});
    const Audio plain = readAudio(output);
    EXPECT_GE(plain.frames, kEchoFrames + kRate);
    EXPECT_LE(plain.frames, kEchoFrames + kRate + 512);
}

TEST_F(Lookahead, IntegerOutputReportsClippingAndShowsWhatWasWritten) {
    runPlughostOk({"gen", "-o", input, "--channels", "2", "--seconds", "0.2"});
    const std::string flac = folder.path("out.flac");
    // Gain 8 lifts the -12 dBFS sines to +6 dBFS.
    const RunResult run =
        runPlughostOk({"process", kLookahead, "-i", input, "-o", flac, "--param", "5=1"});
    EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
    EXPECT_TRUE(contains(run.err, "plughost: warning: clipped ")) << run.err;
    EXPECT_TRUE(contains(run.err, " in channel 1, ")) << run.err;
    EXPECT_TRUE(contains(run.err, " in channel 2: 24-bit FLAC holds nothing above 0 dBFS"))
        << run.err;
    // The table shows the clipped peak that was written, not the +6 dBFS that was not.
    EXPECT_TRUE(contains(run.out, "      1      -12.00    -15.01      0.00")) << run.out;
    EXPECT_LE(readAudio(flac).peak(0), 1.0);

    // A level below half of 16 bits' last step comes out silent, and the table says so.
    const RunResult quiet =
        runPlughostOk({"process", kLookahead, "-i", input, "-o", flac, "--param", "5=0.000001",
                       "--bits", "16", "--dither", "none"});
    EXPECT_TRUE(contains(quiet.out, "      1      -12.00    -15.01      -inf      -inf"))
        << quiet.out;

    // Float output keeps the peaks and says nothing.
    const RunResult floatRun =
        runPlughostOk({"process", kLookahead, "-i", input, "-o", output, "--param", "5=1"});
    EXPECT_EQ(floatRun.err, "");
    EXPECT_NEAR(readAudio(output).peak(0), 8.0 * std::pow(10.0, -12.0 / 20.0), 1e-4);
}

// A plug-in whose output is NaN (it divides by the level of silence): counted per channel in a
// warning, which --strict makes fail the run, and written as 0 into integer output.
TEST(HonestOutput, NonFiniteSamplesAreAWarningAndIntegerFilesHoldZero) {
    ScratchFolder folder;
    writeAudio(folder.path("in.wav"), silence(2, kRate, 1000));
    const RunResult run = runPlughost({"process", BROKEN_PLUGIN, "-i", folder.path("in.wav"), "-o",
                                       folder.path("out.flac"), "--strict"},
                                      "PLUGHOST_BROKEN_FAULT=NonFiniteOutput");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.err, "plughost: warning: the plug-in gave NaN or infinite output: "
                                  "1000 samples in channel 1, 1000 in channel 2, written as 0\n"))
        << run.err;
    const Audio out = readAudio(folder.path("out.flac"));
    ASSERT_EQ(out.frames, 1000);
    EXPECT_EQ(out.peak(0) + out.peak(1), 0.0);
}

TEST_F(Lookahead, TruncatedWavIsProcessedAsFarAsItGoesWithAWarning) {
    runPlughostOk({"gen", "-o", input, "--channels", "2", "--seconds", "2"});
    const std::vector<unsigned char> whole = readBytes(input);
    const std::string cut = folder.path("cut.wav");
    writeBytes(cut, {whole.begin(), whole.end() - static_cast<long>(whole.size() - 5200)});
    const RunResult run = runPlughostOk({"process", kLookahead, "-i", cut, "-o", output});
    EXPECT_TRUE(contains(run.err, "cut.wav' is truncated: its header announces 96000 frames "
                                  "(2.000 s), it holds "))
        << run.err;
    EXPECT_EQ(readAudio(output).frames, readAudio(cut).frames);
}

} // namespace
} // namespace plughost::testing
