// SPDX-License-Identifier: MIT
// Several plug-ins in one pass: settings reach the plug-in they follow, outputs feed the next
// plug-in's inputs, and the delays of all of them are taken out together.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

namespace plughost::testing {
namespace {

const std::string kLookahead = LOOKAHEAD_PLUGIN;
const std::string kTrimmer = TRIMMER_PLUGIN;

TEST(Chain, TwoDelayingPluginsLineUpFrameForFrameWithTheirOwnSettings) {
    ScratchFolder folder;
    Audio in = silence(2, 48000, 5000);
    in.at(1000, 0) = 0.5;
    in.at(4999, 1) = -0.25;
    in.at(0, 1) = 0.125;
    writeAudio(folder.path("in.wav"), in);
    // Gain 2 in the first, 0.5 in the second: the chain gives back its input.
    const RunResult run = runPlughostOk(
        {"process", "-P", kLookahead, "--param", "gain=0.25", "-P", kLookahead, "--param",
         "5=0.0625", "-i", folder.path("in.wav"), "-o", folder.path("out.wav"), "--block", "300"});
    const Audio out = readAudio(folder.path("out.wav"));
    ASSERT_EQ(out.frames, in.frames);
    EXPECT_EQ(out.samples, in.samples);
    EXPECT_TRUE(contains(run.out, "chain       2 plug-ins, latency 480 frames in all")) << run.out;
    EXPECT_TRUE(contains(run.out, "plug-in 1, plughost_lookahead.so\nindex")) << run.out;
    EXPECT_TRUE(contains(run.out, "    5  gain                      0.50")) << run.out;
    EXPECT_TRUE(contains(run.out, "    5  gain                      2.00")) << run.out;
}

TEST(Chain, WiderPluginFeedsANarrowerOneInOrder) {
    ScratchFolder folder;
    runPlughostOk({"gen", "-o", folder.path("in.wav"), "--channels", "8", "--seconds", "0.1"});
    const RunResult run =
        runPlughostOk({"process", kTrimmer, "--param", "0=0.25", "-P", kLookahead, "-i",
                       folder.path("in.wav"), "-o", folder.path("out.wav")});
    EXPECT_TRUE(contains(run.err, "plug-in 1 of the chain gives 8 channels and plug-in 2 takes "
                                  "2: the extra outputs are dropped"))
        << run.err;
    const Audio in = readAudio(folder.path("in.wav"));
    const Audio out = readAudio(folder.path("out.wav"));
    ASSERT_EQ(out.channels, 2);
    ASSERT_EQ(out.frames, in.frames);
    // Pair 1 at 0.25: -12 + 0.25 * 24 = -6 dB.
    EXPECT_NEAR(toDb(out.rms(0) / in.rms(0)), -6.0, 0.01);
}

TEST(Chain, StateAndAutomationFilesNeedASinglePlugin) {
    const RunResult run = runPlughost(
        {"process", kTrimmer, "-P", kLookahead, "-i", "in.wav", "-o", "out.wav", "--state", "s"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(contains(run.err, "work with one plug-in, not a chain")) << run.err;
}

} // namespace
} // namespace plughost::testing
