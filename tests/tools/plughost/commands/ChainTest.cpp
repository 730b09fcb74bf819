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

TEST(Chain, EachPluginKeepsItsOwnStateAndAutomation) {
    ScratchFolder folder;
    runPlughostOk({"gen", "-o", folder.path("in.wav"), "--channels", "8", "--seconds", "0.1"});
    const auto chain = [&](std::vector<std::string> trimmer, std::vector<std::string> lookahead,
                           const std::string& out) {
        std::vector<std::string> args{"process", kTrimmer};
        args.insert(args.end(), trimmer.begin(), trimmer.end());
        args.insert(args.end(), {"-P", kLookahead});
        args.insert(args.end(), lookahead.begin(), lookahead.end());
        args.insert(args.end(), {"-i", folder.path("in.wav"), "-o", folder.path(out)});
        runPlughostOk(args);
        return readAudio(folder.path(out));
    };
    const Audio saved =
        chain({"--param", "0=0.25", "--save-state", folder.path("t.state")},
              {"--param", "gain=0.5x", "--save-state", folder.path("l.fxp")}, "saved.wav");
    // The lookahead's gain falls to 0 at 0.05 s of its input, by its own automation file: from
    // input frame 2400 - 240 of its output on, since it delays by 240 frames.
    writeBytes(folder.path("l.csv"), {'0', '.', '0', '5', ',', 'g', 'a', 'i', 'n', ',', '0'});
    const Audio restored = chain(
        {"--state", folder.path("t.state")},
        {"--state", folder.path("l.fxp"), "--automation", folder.path("l.csv")}, "restored.wav");
    ASSERT_EQ(restored.frames, saved.frames);
    for (std::int64_t j = 0; j < restored.frames; ++j)
        for (int c = 0; c < 2; ++c)
            ASSERT_EQ(restored.at(j, c), j < 2160 ? saved.at(j, c) : 0.0) << "frame " << j;
    EXPECT_GT(saved.peak(0), 0.0);
}

} // namespace
} // namespace plughost::testing
