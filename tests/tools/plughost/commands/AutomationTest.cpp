// SPDX-License-Identifier: MIT
// Parameter changes during processing, from the command line and from a CSV file: each lands
// on the exact input frame it names, whatever the block size.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

namespace plughost::testing {
namespace {

const std::string kLookahead = LOOKAHEAD_PLUGIN;
constexpr int kRate = 48000;

class Automation : public ::testing::Test {
protected:
    void SetUp() override {
        Audio in = silence(2, kRate, kRate);
        std::fill(in.samples.begin(), in.samples.end(), 0.5);
        writeAudio(input, in);
    }
    RunResult process(std::vector<std::string> extra) {
        std::vector<std::string> args = {"process", kLookahead, "-i",      input,
                                         "-o",      output,     "--block", "1024"};
        args.insert(args.end(), extra.begin(), extra.end());
        return runPlughost(args, "PLUGHOST_LOOKAHEAD_DELAY=0");
    }
    // Gain 1 up to 0.25 s, 2 up to 0.5 s, then 0.5: exactly these samples, frame for frame.
    void expectSteps() {
        const Audio out = readAudio(output);
        ASSERT_EQ(out.frames, kRate);
        for (std::int64_t j = 0; j < out.frames; ++j) {
            const double expected = j < 12000 ? 0.5 : j < 24000 ? 1.0 : 0.25;
            for (int c = 0; c < 2; ++c)
                ASSERT_EQ(out.at(j, c), expected) << "frame " << j << ", channel " << c;
        }
    }

    ScratchFolder folder;
    std::string input = folder.path("in.wav");
    std::string output = folder.path("out.wav");
};

// Gain is the normalised value times 8: 0.125 is 1, 0.25 is 2, 0.0625 is 0.5.
TEST_F(Automation, TimedSettingsLandOnTheExactFrame) {
    const RunResult run = process(
        {"--param", "gain@500ms=0.0625", "--param", "gain@0.25s=0.25", "--param", "5=0.125"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    expectSteps();
}

TEST_F(Automation, FileWithHeaderCommentsAndQuotedNames) {
    writeBytes(folder.path("changes.csv"), [] {
        const std::string text = "time,parameter,value\r\n"
                                 "# the louder stretch\n"
                                 "0.25,\"gain\",0.25\n"
                                 "\n"
                                 "500ms,5,0.0625\n";
        return std::vector<unsigned char>(text.begin(), text.end());
    }());
    const RunResult run = process({"--automation", folder.path("changes.csv")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    expectSteps();
}

TEST_F(Automation, BadLinesAndTimesAreRefusedWithTheirPlace) {
    writeBytes(folder.path("bad.csv"),
               {'0', ',', 'g', 'a', 'i', 'n', ',', '1', '\n', '1', ',', 'g', 'a', 'i', 'n', '\n'});
    const RunResult badLine = process({"--automation", folder.path("bad.csv")});
    EXPECT_EQ(badLine.exitCode, 2);
    EXPECT_TRUE(contains(badLine.err, "bad.csv' line 2: expected TIME,PARAMETER,VALUE"))
        << badLine.err;
    const RunResult badTime = process({"--param", "gain@-1s=0.5"});
    EXPECT_EQ(badTime.exitCode, 2);
    EXPECT_TRUE(contains(badTime.err, "'-1s' is not a time")) << badTime.err;
}

} // namespace
} // namespace plughost::testing
