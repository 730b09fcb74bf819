// SPDX-License-Identifier: MIT
// The output's format, sample type, dither and channels as the command line asks for them.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sndfile.h>

namespace plughost::testing {
namespace {

const std::string kTrimmer = TRIMMER_PLUGIN;
const std::string kLookahead = LOOKAHEAD_PLUGIN;

int formatOf(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) return 0;
    sf_close(file);
    return info.format;
}

class OutputFormats : public ::testing::Test {
protected:
    void SetUp() override {
        runPlughostOk({"gen", "-o", input, "--channels", "2", "--seconds", "1"});
    }
    RunResult process(const std::string& plugin, const std::string& out,
                      std::vector<std::string> extra, const std::string& in = "") {
        std::vector<std::string> args = {"process", plugin, "-i", in.empty() ? input : in,
                                         "-o",      out};
        args.insert(args.end(), extra.begin(), extra.end());
        return runPlughost(args);
    }

    ScratchFolder folder;
    std::string input = folder.path("in.wav");
};

TEST_F(OutputFormats, FormatAndBitsPickTheFileType) {
    struct Case {
        const char* name;
        std::vector<std::string> options;
        int format;
    };
    for (const Case& c :
         {Case{"a.wav", {"--bits", "16"}, SF_FORMAT_PCM_16},
          Case{"b.aiff", {"--bits", "24"}, SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
          Case{"c.out", {"--format", "flac", "--bits", "16"}, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
          Case{"d.flac", {}, SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
          Case{"e.aif", {}, SF_FORMAT_AIFF | SF_FORMAT_FLOAT}}) {
        const RunResult run = process(kLookahead, folder.path(c.name), c.options);
        ASSERT_EQ(run.exitCode, 0) << c.name << ": " << run.err;
        const int format = formatOf(folder.path(c.name));
        if ((c.format & SF_FORMAT_TYPEMASK) == 0) // WAV, plain or extensible
            EXPECT_EQ(format & SF_FORMAT_SUBMASK, c.format) << c.name;
        else
            EXPECT_EQ(format, c.format) << c.name;
    }
    const RunResult floatFlac = process(kLookahead, folder.path("f.flac"), {"--bits", "32f"});
    EXPECT_EQ(floatFlac.exitCode, 2);
    EXPECT_TRUE(contains(floatFlac.err, "FLAC holds integer samples only")) << floatFlac.err;
}

TEST_F(OutputFormats, KeepFormatWritesTheInputsTypeBitExactAtUnity) {
    const std::string aiff = folder.path("in16.aiff");
    ASSERT_EQ(process(kLookahead, aiff, {"--bits", "16"}).exitCode, 0);
    const RunResult run = process(kTrimmer, folder.path("out.aiff"), {"--keep-format"}, aiff);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(formatOf(folder.path("out.aiff")), SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    // Dither is on, yet every sample the format holds exactly comes back unchanged.
    const Audio in = readAudio(aiff);
    const Audio out = readAudio(folder.path("out.aiff"));
    for (std::int64_t j = 0; j < in.frames; ++j)
        for (int c = 0; c < 2; ++c)
            ASSERT_EQ(out.at(j, c), in.at(j, c)) << "frame " << j;
}

TEST_F(OutputFormats, TpdfDitherIsRepeatableWithinOneStepAndOfTheRightSize) {
    const auto run = [&](const std::string& name, std::vector<std::string> extra) {
        extra.insert(extra.begin(), {"--bits", "16"});
        EXPECT_EQ(process(kLookahead, folder.path(name), extra).exitCode, 0) << name;
        return readAudio(folder.path(name));
    };
    const Audio first = run("first.wav", {});
    const Audio again = run("again.wav", {});
    const Audio seeded = run("seeded.wav", {"--seed", "7"});
    const Audio plain = run("plain.wav", {"--dither", "none"});
    EXPECT_EQ(readBytes(folder.path("first.wav")), readBytes(folder.path("again.wav")));
    EXPECT_NE(first.samples, seeded.samples);

    const Audio in = readAudio(input);
    ASSERT_EQ(first.frames, in.frames);
    constexpr double kStep = 32768.0;
    double sum = 0.0;
    double plainSum = 0.0;
    for (std::int64_t j = 0; j < in.frames; ++j) {
        for (int c = 0; c < 2; ++c) {
            ASSERT_LE(std::fabs(first.at(j, c) - plain.at(j, c)) * kStep, 1.0) << "frame " << j;
            const double error = (first.at(j, c) - in.at(j, c)) * kStep;
            const double plainError = (plain.at(j, c) - in.at(j, c)) * kStep;
            sum += error * error;
            plainSum += plainError * plainError;
        }
    }
    const auto samples = static_cast<double>(2 * in.frames);
    // Rounding alone leaves 1/12 of a step squared; two uniform dithers add 2/12: 0.5 RMS.
    EXPECT_NEAR(std::sqrt(sum / samples), 0.5, 0.02);
    EXPECT_NEAR(std::sqrt(plainSum / samples), std::sqrt(1.0 / 12.0), 0.02);
}

TEST_F(OutputFormats, ChannelsAndMapChooseThePluginOutputs) {
    const std::string eight = folder.path("eight.wav");
    runPlughostOk({"gen", "-o", eight, "--channels", "8", "--seconds", "0.1"});
    const Audio in = readAudio(eight);
    ASSERT_EQ(process(kTrimmer, folder.path("pair.wav"), {"--channels", "3-4"}, eight).exitCode, 0);
    const Audio pair = readAudio(folder.path("pair.wav"));
    ASSERT_EQ(pair.channels, 2);
    ASSERT_EQ(process(kTrimmer, folder.path("map.wav"), {"--map", "2,0,1"}, eight).exitCode, 0);
    const Audio mapped = readAudio(folder.path("map.wav"));
    ASSERT_EQ(mapped.channels, 3);
    for (std::int64_t j = 0; j < in.frames; ++j) {
        ASSERT_EQ(pair.at(j, 0), in.at(j, 2));
        ASSERT_EQ(pair.at(j, 1), in.at(j, 3));
        ASSERT_EQ(mapped.at(j, 0), in.at(j, 1));
        ASSERT_EQ(mapped.at(j, 1), 0.0);
        ASSERT_EQ(mapped.at(j, 2), in.at(j, 0));
    }
    const RunResult beyond = process(kTrimmer, folder.path("x.wav"), {"--map", "9"}, eight);
    EXPECT_EQ(beyond.exitCode, 2);
    EXPECT_TRUE(contains(beyond.err, "output channel 9 does not exist")) << beyond.err;
    EXPECT_EQ(process(kTrimmer, folder.path("x.wav"), {"--channels", "2-1"}, eight).exitCode, 2);
}

} // namespace
} // namespace plughost::testing
