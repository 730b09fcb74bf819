// SPDX-License-Identifier: MIT
// Sample-rate conversion: the converted stream on its own (its exact length whatever the reads,
// an impulse at its time), then plughost --rate R --resample end to end: lengths up and down,
// alignment through a chain with delays, a sine's level and frequency, untouched equal rates,
// timed changes and tails at the new rate, integer output, batches and the refusals.
#include "audio/Resampler.h"
#include "PlughostRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>

namespace plughost {
namespace {

// Frames from memory, handed out at most chunk frames per read.
class MemorySource final : public AudioSource {
public:
    MemorySource(int channels, std::vector<double> samples, std::int64_t chunk)
        : m_channels(channels), m_samples(std::move(samples)), m_chunk(chunk) {}
    int channels() const override { return m_channels; }
    std::int64_t read(float* interleaved, std::int64_t frames) override {
        return readAs(interleaved, frames);
    }
    std::int64_t read(double* interleaved, std::int64_t frames) override {
        return readAs(interleaved, frames);
    }

private:
    template <typename Sample>
    std::int64_t readAs(Sample* interleaved, std::int64_t frames) {
        const auto total = static_cast<std::int64_t>(m_samples.size()) / m_channels;
        const std::int64_t count = std::min({frames, m_chunk, total - m_at});
        for (std::int64_t i = 0; i < count * m_channels; ++i)
            interleaved[i] =
                static_cast<Sample>(m_samples[static_cast<std::size_t>(m_at * m_channels + i)]);
        m_at += count;
        return count;
    }

    int m_channels;
    std::vector<double> m_samples;
    std::int64_t m_chunk;
    std::int64_t m_at = 0;
};

// Everything resampler gives, read readFrames at a time.
template <typename Sample>
std::vector<double> readAll(Resampler& resampler, std::int64_t readFrames) {
    std::vector<double> all;
    std::vector<Sample> block(static_cast<std::size_t>(readFrames * resampler.channels()));
    for (;;) {
        const std::int64_t got = resampler.read(block.data(), readFrames);
        if (got == 0) break;
        all.insert(all.end(), block.begin(), block.begin() + got * resampler.channels());
    }
    return all;
}

TEST(Resampler, LengthIsTheRatioRoundedHalvesUp) {
    EXPECT_EQ(resampledLength(0, 44100, 48000), 0);
    EXPECT_EQ(resampledLength(44100, 44100, 48000), 48000);
    EXPECT_EQ(resampledLength(10, 44100, 48000), 11);       // 10.88
    EXPECT_EQ(resampledLength(7, 48000, 44100), 6);         // 6.43
    EXPECT_EQ(resampledLength(80, 48000, 44100), 74);       // 73.5
    EXPECT_EQ(resampledLength(48001, 96000, 48000), 24001); // 24000.5
    EXPECT_EQ(resampledLength(22057, 44100, 48000), 24008); // 24007.62
    // Lengths where N * to overflows 64 bits.
    EXPECT_EQ(resampledLength(100000000000001LL, 768000, 705600), 91875000000001LL); // .92
    EXPECT_EQ(resampledLength(100000000000001LL, 44100, 192000), 435374149659868LL); // .3
}

TEST(Resampler, StreamHoldsExactlyItsLengthWhateverTheReads) {
    for (const auto& [from, to] : {std::pair{44100, 48000}, std::pair{48000, 44100},
                                   std::pair{96000, 48000}, std::pair{8000, 192000}}) {
        for (const std::int64_t frames : {0, 1, 2, 7, 4095, 4097, 12345}) {
            for (const std::int64_t chunk : {1, 1000, 1 << 20}) {
                MemorySource source(
                    3, std::vector<double>(static_cast<std::size_t>(frames * 3), 0.25), chunk);
                Resampler resampler(source, from, to);
                const std::int64_t expected = resampledLength(frames, from, to);
                const std::vector<double> out =
                    chunk == 1 ? readAll<float>(resampler, 333) : readAll<double>(resampler, 1024);
                EXPECT_EQ(static_cast<std::int64_t>(out.size()), expected * 3)
                    << from << " to " << to << ", " << frames << " frames, chunks of " << chunk;
                EXPECT_EQ(resampler.inputFrames(), frames);
                double none[3];
                EXPECT_EQ(resampler.read(none, 1), 0); // and stays ended
            }
        }
    }
}

TEST(Resampler, ImpulseLandsOnItsTimeAtTheNewRate) {
    // Impulse at 0.1 s: on a whole frame at both rates, so the linear-phase filter's response
    // peaks there and is symmetric around it.
    for (const auto& [from, to] :
         {std::pair{44100, 48000}, std::pair{48000, 44100}, std::pair{96000, 48000}}) {
        std::vector<double> in(static_cast<std::size_t>(from / 5), 0.0);
        in[static_cast<std::size_t>(from / 10)] = 1.0;
        MemorySource source(1, in, 4096);
        Resampler resampler(source, from, to);
        const std::vector<double> out = readAll<double>(resampler, 1000);
        const auto peak = static_cast<std::size_t>(
            std::max_element(out.begin(), out.end(),
                             [](double a, double b) { return std::fabs(a) < std::fabs(b); }) -
            out.begin());
        EXPECT_EQ(peak, static_cast<std::size_t>(to / 10)) << from << " to " << to;
        for (std::size_t k = 1; k < 50; ++k)
            EXPECT_NEAR(out[peak - k], out[peak + k], 1e-9) << from << " to " << to << ", " << k;
    }
}

} // namespace
} // namespace plughost

namespace plughost::testing {
namespace {

const std::string kLookahead = LOOKAHEAD_PLUGIN;
const std::string kTrimmer = TRIMMER_PLUGIN;

// Two channels of a sine of hz at amplitude, from phase 0 at frame 0.
Audio sine(int rate, std::int64_t frames, double hz, double amplitude) {
    Audio audio = silence(2, rate, frames);
    for (std::int64_t j = 0; j < frames; ++j)
        for (int c = 0; c < 2; ++c)
            audio.at(j, c) =
                amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(j) / rate);
    return audio;
}

struct RateCase {
    const char* name;
    int from;
    int to;
    std::int64_t inFrames;
    std::int64_t outFrames; // inFrames * to / from, rounded halves up, written out
};

class ResamplingRates : public ::testing::TestWithParam<RateCase> {
protected:
    ScratchFolder folder;
    std::string input = folder.path("in.wav");
    std::string output = folder.path("out.wav");
};

// The look-ahead plug-in delays by 240 frames at the new rate: the delay is taken out there.
TEST_P(ResamplingRates, LengthFollowsTheRuleAndTheReportSaysSo) {
    const RateCase& rates = GetParam();
    writeAudio(input, sine(rates.from, rates.inFrames, 1000.0, 0.5));
    const std::string report = folder.path("report.json");
    const RunResult run =
        runPlughostOk({"process", kLookahead, "-i", input, "-o", output, "--rate",
                       std::to_string(rates.to), "--resample", "--json", report, "--block", "300"});
    const Audio out = readAudio(output);
    EXPECT_EQ(out.sampleRate, rates.to);
    EXPECT_EQ(out.frames, rates.outFrames);
    const std::string from = std::to_string(rates.from);
    const std::string to = std::to_string(rates.to);
    EXPECT_TRUE(contains(run.out, "running at " + to + " Hz, latency 240 frames")) << run.out;
    EXPECT_TRUE(contains(run.out, "resampled   " + from + " Hz to " + to + " Hz, " +
                                      std::to_string(rates.inFrames) + " frames to " +
                                      std::to_string(rates.outFrames) + ", with libsoxr"))
        << run.out;
    const std::string text = readText(report);
    for (const std::string& part :
         {"\"input\": {\n    \"path\": \"" + input +
              "\",\n    \"channels\": 2,\n    "
              "\"sampleRate\": " +
              from + ",\n    \"frames\": " + std::to_string(rates.inFrames),
          "\"channels\": 2,\n    \"sampleRate\": " + to +
              ",\n    \"frames\": " + std::to_string(rates.outFrames),
          std::string("\"resampled\": true,\n  \"resampler\": \"libsoxr ")})
        EXPECT_TRUE(contains(text, part)) << part << "\n" << text;
}

// An impulse at 0.1 s comes out at 0.1 s at the new rate, symmetric about it, through a chain
// of two plug-ins delaying by 240 frames each.
TEST_P(ResamplingRates, ImpulseLandsAtItsTimeThroughAChainWithDelays) {
    const RateCase& rates = GetParam();
    Audio in = silence(2, rates.from, rates.inFrames);
    in.at(rates.from / 10, 0) = 1.0;
    in.at(rates.from / 10, 1) = -0.5;
    writeAudio(input, in);
    const RunResult run =
        runPlughostOk({"process", "-P", kLookahead, "-P", kLookahead, "-i", input, "-o", output,
                       "--rate", std::to_string(rates.to), "--resample", "--block", "512"});
    EXPECT_TRUE(contains(run.out, "latency 480 frames in all")) << run.out;
    const Audio out = readAudio(output);
    ASSERT_EQ(out.frames, rates.outFrames);
    const std::int64_t at = rates.to / 10;
    for (int c = 0; c < 2; ++c) {
        std::int64_t peak = 0;
        for (std::int64_t j = 0; j < out.frames; ++j)
            if (std::fabs(out.at(j, c)) > std::fabs(out.at(peak, c))) peak = j;
        EXPECT_EQ(peak, at) << "channel " << c;
        // Symmetric within the file's 32-bit float samples.
        for (std::int64_t k = 1; k < 64; ++k)
            EXPECT_NEAR(out.at(at - k, c), out.at(at + k, c), 1e-6) << "channel " << c << ", " << k;
    }
}

// A 1 kHz sine at -6 dBFS matches the ideal sine at the new rate, sample for sample, away from
// the two ends where the file starts and stops abruptly.
TEST_P(ResamplingRates, SineKeepsItsLevelFrequencyAndPhase) {
    const RateCase& rates = GetParam();
    writeAudio(input, sine(rates.from, rates.inFrames, 1000.0, 0.5));
    runPlughostOk({"process", kTrimmer, "-i", input, "-o", output, "--rate",
                   std::to_string(rates.to), "--resample", "--channels", "1-2"});
    const Audio out = readAudio(output);
    const Audio ideal = sine(rates.to, out.frames, 1000.0, 0.5);
    const std::int64_t margin = rates.to / 20;
    double worst = 0.0;
    double sumOfSquares = 0.0;
    double firstCrossing = -1.0;
    double lastCrossing = -1.0;
    int crossings = 0;
    for (std::int64_t j = margin; j < out.frames - margin; ++j) {
        worst = std::max(worst, std::fabs(out.at(j, 0) - ideal.at(j, 0)));
        sumOfSquares += out.at(j, 0) * out.at(j, 0);
        const double a = out.at(j - 1, 0);
        const double b = out.at(j, 0);
        if (a < 0.0 && b >= 0.0) { // rising through zero between j - 1 and j
            const double crossing = static_cast<double>(j - 1) + a / (a - b);
            if (firstCrossing < 0.0) firstCrossing = crossing;
            lastCrossing = crossing;
            ++crossings;
        }
    }
    const auto counted = static_cast<double>(out.frames - 2 * margin);
    EXPECT_LT(worst, 1e-6); // -120 dBFS: a 32-bit float file holds about 3e-8 here
    const double levelDb = toDb(std::sqrt(sumOfSquares / counted) / (0.5 / std::sqrt(2.0)));
    EXPECT_NEAR(levelDb, 0.0, 0.1);
    ASSERT_GT(crossings, 100);
    const double hz = (crossings - 1) * rates.to / (lastCrossing - firstCrossing);
    EXPECT_NEAR(hz, 1000.0, 0.01);
    char measured[128];
    std::snprintf(measured, sizeof measured, "deviation %.3g, level %+.3g dB, frequency %.6f Hz",
                  worst, levelDb, hz);
    RecordProperty("measured", measured);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, ResamplingRates,
    ::testing::Values(RateCase{"Up44100To48000", 44100, 48000, 22057, 24008},
                      RateCase{"Down48000To44100", 48000, 44100, 24001, 22051},
                      RateCase{"Down96000To48000", 96000, 48000, 48001, 24001}),
    [](const ::testing::TestParamInfo<RateCase>& test) { return std::string(test.param.name); });

class Resampling : public ::testing::Test {
protected:
    ScratchFolder folder;
    std::string input = folder.path("in.wav");
    std::string output = folder.path("out.wav");
};

TEST_F(Resampling, InputAtTheRateAlreadyPassesUntouched) {
    Audio in = silence(8, 48000, 4801);
    for (std::int64_t j = 0; j < in.frames; ++j)
        for (int c = 0; c < 8; ++c)
            in.at(j, c) = std::sin(0.001 * static_cast<double>(j * (c + 1))) * 0.9;
    writeAudio(input, in);
    const std::string report = folder.path("report.json");
    const RunResult run = runPlughostOk({"process", kTrimmer, "-i", input, "-o", output, "--rate",
                                         "48000", "--resample", "--json", report});
    EXPECT_FALSE(contains(run.out, "resampled")) << run.out;
    EXPECT_TRUE(contains(readText(report), "\"resampled\": false,\n  \"resampler\": null"));
    const Audio out = readAudio(output);
    ASSERT_EQ(out.frames, in.frames);
    ASSERT_EQ(out.samples.size(), in.samples.size());
    for (std::size_t i = 0; i < in.samples.size(); ++i)
        ASSERT_EQ(out.samples[i], static_cast<double>(static_cast<float>(in.samples[i])))
            << "sample " << i;
}

// Times are seconds of the input: at 48 kHz, 0.25 s is frame 12000 and 0.5 s frame 24000, and
// the tail's 0.1 s are 4800 frames, whatever rate the file came at.
TEST_F(Resampling, TimedChangesAndTailLandOnTheFramesOfTheNewRate) {
    Audio in = silence(2, 44100, 44100);
    std::fill(in.samples.begin(), in.samples.end(), 0.5);
    writeAudio(input, in);
    writeBytes(folder.path("changes.csv"), [] {
        const std::string text = "time,parameter,value\n0.5,gain,0.0625\n";
        return std::vector<unsigned char>(text.begin(), text.end());
    }());
    runPlughostOk({"process", kLookahead, "-i", input, "-o", output, "--rate", "48000",
                   "--resample", "--param", "gain@0.25s=0.25", "--automation",
                   folder.path("changes.csv"), "--tail", "0.1", "--block", "1000"},
                  "PLUGHOST_LOOKAHEAD_DELAY=0");
    const Audio out = readAudio(output);
    ASSERT_EQ(out.frames, 48000 + 4800);
    // Gain 1, then 2 from frame 12000, then 0.5 from frame 24000, on a steady 0.5.
    for (std::int64_t j = 2000; j < 46000; ++j) {
        const double expected = j < 12000 ? 0.5 : j < 24000 ? 1.0 : 0.25;
        for (int c = 0; c < 2; ++c)
            ASSERT_NEAR(out.at(j, c), expected, 1e-5) << "frame " << j << ", channel " << c;
    }
    // The tail is the converter's ringing after the abrupt end, fading to silence.
    for (std::int64_t j = 48000 + 2000; j < out.frames; ++j)
        ASSERT_NEAR(out.at(j, 0), 0.0, 1e-5) << "frame " << j;
}

// Integer output after conversion: clipping of a +6 dBFS input counted and shown, the dither
// repeatable with its seed.
TEST_F(Resampling, IntegerOutputIsClippedAloudAndDitheredRepeatably) {
    writeAudio(input, sine(44100, 4410, 1000.0, 2.0));
    std::vector<std::vector<unsigned char>> files;
    for (int run = 0; run < 2; ++run) {
        const std::string out = folder.path("out" + std::to_string(run) + ".wav");
        const RunResult result =
            runPlughostOk({"process", kLookahead, "-i", input, "-o", out, "--rate", "48000",
                           "--resample", "--bits", "16", "--seed", "7"});
        EXPECT_TRUE(contains(result.err, "warning: clipped ")) << result.err;
        // 6.02 dBFS in (the converted input), 0.00 written.
        EXPECT_TRUE(contains(result.out, "      1        6.02      3.01      0.00")) << result.out;
        files.push_back(readBytes(out));
        const Audio written = readAudio(out);
        EXPECT_EQ(written.frames, 4800);
        EXPECT_EQ(written.sampleRate, 48000);
        EXPECT_LE(written.peak(0), 1.0);
    }
    EXPECT_EQ(files[0], files[1]);
}

TEST_F(Resampling, BatchConvertsEachFileToTheRate) {
    std::filesystem::create_directory(folder.path("takes"));
    const std::vector<std::pair<int, std::int64_t>> takes{
        {44100, 4410}, {48000, 4800}, {96000, 9601}};
    for (const auto& [rate, frames] : takes)
        writeAudio(folder.path("takes/" + std::to_string(rate) + ".wav"),
                   sine(rate, frames, 440.0, 0.25));
    const RunResult run =
        runPlughost({"process", kLookahead, "-i", folder.path("takes/*.wav"), "--out-dir",
                     folder.path("out"), "--rate", "48000", "--resample", "--jobs", "2"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(contains(run.out, "total   3 files, 3 done, 0 failed")) << run.out;
    const std::vector<std::int64_t> expected{4800, 4800, 4801}; // 9601 / 2 = 4800.5 up
    for (std::size_t i = 0; i < takes.size(); ++i) {
        const std::string name = std::to_string(takes[i].first) + ".wav";
        const Audio out = readAudio(folder.path("out/" + name));
        EXPECT_EQ(out.sampleRate, 48000) << name;
        EXPECT_EQ(out.frames, expected[i]) << name;
    }
    const Audio same = readAudio(folder.path("out/48000.wav"));
    const Audio in = readAudio(folder.path("takes/48000.wav"));
    EXPECT_EQ(same.samples, in.samples);
}

TEST_F(Resampling, RateWithoutResampleRefusesAndResampleNeedsARate) {
    writeAudio(input, silence(2, 44100, 100));
    const RunResult refused =
        runPlughost({"process", kLookahead, "-i", input, "-o", output, "--rate", "48000"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "plughost: '" + input +
                               "' is at 44100 Hz, not the 48000 Hz that --rate asks for; give "
                               "--resample to convert it\n");
    const RunResult noRate =
        runPlughost({"process", kLookahead, "-i", input, "-o", output, "--resample"});
    EXPECT_EQ(noRate.exitCode, 2);
    EXPECT_EQ(noRate.err, "plughost: process: --resample needs --rate R, the sample rate to "
                          "convert the input to (see plughost --help)\n");
    EXPECT_FALSE(std::filesystem::exists(output));
}

} // namespace
} // namespace plughost::testing
