// SPDX-License-Identifier: MIT
// plughost's pieces on their own: state files, parameter requests and the display search,
// level meters, the transport, the command line and the progress bar.
#include "CommandLine.h"
#include "Failure.h"
#include "LevelMeter.h"
#include "ParameterSetting.h"
#include "Progress.h"
#include "StateFile.h"
#include "Transport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace plughost {
namespace {

// ---------------------------------------------------------------------------------------------
// State files

PluginState sampleState() {
    PluginState state;
    state.identity = {0, 1, 4, "Qualtrevin_multi-channel_level_trimmer_4x_stereo"};
    state.chunk = {0x00, 0x00, 0x7A, 0xC4, 1, 2, 3, 4};
    return state;
}

PluginState sampleValues() {
    PluginState state;
    state.identity = {0x4C6F6F6B, 3, 3, "plughost lookahead"};
    state.kind = PluginState::Kind::Parameters;
    state.values = {0.0f, 0.123456789f, 1.0f};
    return state;
}

TEST(StateFile, RoundTripsIdentityAndChunk) {
    const std::vector<unsigned char> bytes = encodeState(sampleState());
    ASSERT_EQ(bytes.size(), kStateHeaderSize + 8);
    const PluginState decoded = decodeState(bytes, "s");
    EXPECT_EQ(decoded.identity, sampleState().identity);
    EXPECT_EQ(decoded.chunk, sampleState().chunk);
}

TEST(StateFile, ParameterValuesRoundTripBitForBit) {
    const std::vector<unsigned char> bytes = encodeState(sampleValues());
    ASSERT_EQ(bytes.size(), kStateHeaderSize + 12);
    EXPECT_EQ(bytes[96], 1); // the kind
    const PluginState decoded = decodeState(bytes, "s");
    EXPECT_EQ(decoded.kind, PluginState::Kind::Parameters);
    EXPECT_EQ(decoded.values, sampleValues().values);
    EXPECT_EQ(decoded.identity, sampleValues().identity);
    std::vector<unsigned char> wrongCount = bytes;
    wrongCount[20] = 4; // four parameters announced, three stored
    EXPECT_THROW(decodeState(wrongCount, "s"), Failure);
}

TEST(StateFile, VersionOneFilesStillReadAsChunks) {
    std::vector<unsigned char> bytes = encodeState(sampleState());
    bytes[8] = 1;
    bytes.erase(bytes.begin() + 96, bytes.begin() + 100); // version 1 has no kind field
    const PluginState decoded = decodeState(bytes, "s");
    EXPECT_EQ(decoded.kind, PluginState::Kind::Chunk);
    EXPECT_EQ(decoded.chunk, sampleState().chunk);
}

TEST(ProgramFile, BothFormsRoundTripAndAreBigEndian) {
    PluginState chunk = sampleState();
    chunk.programName = "a name of 24 characters.";
    const std::vector<unsigned char> chunkBytes = encodeProgram(chunk);
    ASSERT_EQ(chunkBytes.size(), kProgramHeaderSize + 4 + 8);
    EXPECT_EQ(std::string(chunkBytes.begin(), chunkBytes.begin() + 4), "CcnK");
    EXPECT_EQ(std::string(chunkBytes.begin() + 8, chunkBytes.begin() + 12), "FPCh");
    EXPECT_EQ(chunkBytes[7], chunkBytes.size() - 8);
    EXPECT_EQ(chunkBytes[59], 8); // the chunk length, big-endian
    const PluginState decodedChunk = decodeProgram(chunkBytes, "p.fxp");
    EXPECT_EQ(decodedChunk.chunk, chunk.chunk);
    EXPECT_EQ(decodedChunk.programName, chunk.programName);
    EXPECT_EQ(encodeProgram(decodedChunk), chunkBytes);

    const std::vector<unsigned char> valueBytes = encodeProgram(sampleValues());
    ASSERT_EQ(valueBytes.size(), kProgramHeaderSize + 12);
    EXPECT_EQ(std::string(valueBytes.begin() + 8, valueBytes.begin() + 12), "FxCk");
    // 1.0f is 0x3F800000, stored big-endian.
    EXPECT_EQ(std::vector<unsigned char>(valueBytes.end() - 4, valueBytes.end()),
              (std::vector<unsigned char>{0x3F, 0x80, 0x00, 0x00}));
    const PluginState decodedValues = decodeProgram(valueBytes, "p.fxp");
    EXPECT_EQ(decodedValues.values, sampleValues().values);
    EXPECT_EQ(decodedValues.identity.uniqueId, 0x4C6F6F6B);
    EXPECT_EQ(encodeProgram(decodedValues), valueBytes);

    for (const auto& bytes : {chunkBytes, valueBytes}) {
        for (std::size_t size = 0; size < bytes.size(); ++size)
            EXPECT_THROW(
                decodeProgram({bytes.begin(), bytes.begin() + static_cast<long>(size)}, "p"),
                Failure)
                << size << " bytes";
        std::vector<unsigned char> longer = bytes;
        longer.push_back(0);
        EXPECT_THROW(decodeProgram(longer, "p"), Failure);
    }
    EXPECT_TRUE(isProgramFileName("x/Preset.FXP"));
    EXPECT_FALSE(isProgramFileName("x.state"));
}

TEST(StateFile, EveryTruncationIsRejected) {
    const std::vector<unsigned char> bytes = encodeState(sampleState());
    for (std::size_t size = 0; size < bytes.size(); ++size)
        EXPECT_THROW(decodeState({bytes.begin(), bytes.begin() + static_cast<long>(size)}, "s"),
                     Failure)
            << size << " bytes";
}

TEST(StateFile, DamageAndTrailingBytesAreRejected) {
    std::vector<unsigned char> damaged = encodeState(sampleState());
    damaged.back() ^= 0x10;
    EXPECT_THROW(decodeState(damaged, "s"), Failure);
    std::vector<unsigned char> longer = encodeState(sampleState());
    longer.push_back(0);
    EXPECT_THROW(decodeState(longer, "s"), Failure);
}

TEST(StateFile, BelongsOnlyToThePluginThatSavedIt) {
    const PluginState state = sampleState();
    std::string warning;
    checkStateBelongsTo(state, state.identity, "s", warning);
    EXPECT_TRUE(warning.empty());
    PluginIdentity newer = state.identity;
    newer.version = 2;
    checkStateBelongsTo(state, newer, "s", warning);
    EXPECT_NE(warning.find("version 1"), std::string::npos) << warning;
    PluginIdentity other = state.identity;
    other.parameterCount = 5;
    EXPECT_THROW(checkStateBelongsTo(state, other, "s", warning), Failure);
    other = state.identity;
    other.name = "another";
    EXPECT_THROW(checkStateBelongsTo(state, other, "s", warning), Failure);
}

// ---------------------------------------------------------------------------------------------
// Parameter requests

TEST(ParameterSetting, SplitsTargetValueAndUnit) {
    const ParameterRequest named = parseParameterSetting("level stereo 1=-6dB");
    EXPECT_EQ(named.target, "level stereo 1");
    EXPECT_EQ(named.value, -6.0);
    EXPECT_EQ(named.unit, "dB");
    const ParameterRequest indexed = parseParameterSetting("3=0.25");
    EXPECT_EQ(indexed.target, "3");
    EXPECT_EQ(indexed.value, 0.25);
    EXPECT_FALSE(indexed.byDisplay());
    EXPECT_EQ(parseParameterSetting("gain=+3 dB").value, 3.0);
    const ParameterRequest word = parseParameterSetting("mode= Peak ");
    EXPECT_EQ(word.kind, ParameterRequest::Kind::Word);
    EXPECT_EQ(word.word, "Peak");
    EXPECT_TRUE(word.byDisplay());
    EXPECT_THROW(parseParameterSetting("gain"), UsageError);
    EXPECT_THROW(parseParameterSetting("gain="), UsageError);
    EXPECT_THROW(parseParameterSetting("=1"), UsageError);
}

TEST(ParameterSetting, NumbersAreStrictCSyntax) {
    for (const char* bad : {"g=-3,5dB", "g=0x10", "g=-3.5dB junk", "g=1.5.3", "g=+-1", "g=.", "g=-",
                            "g=1 2", "g=3dB2", "g=1e400"})
        EXPECT_THROW(parseParameterSetting(bad), UsageError) << bad;
    EXPECT_EQ(parseParameterSetting("g=1e-400").value, 0.0); // underflows to 0
    EXPECT_EQ(parseParameterSetting("g=.5").value, 0.5);
    EXPECT_EQ(parseParameterSetting("g=5.").value, 5.0);
    EXPECT_EQ(parseParameterSetting("g=-2.5e1dB").value, -25.0);
    EXPECT_EQ(parseParameterSetting("g=-2.5e1dB").unit, "dB");
    EXPECT_EQ(parseParameterSetting("g=\xE2\x88\x92"
                                    "2%")
                  .value,
              -2.0);
    EXPECT_EQ(parseParameterSetting("g=2e").unit, "e"); // an exponent needs digits
    // Words do not start like numbers; anything else is taken as a word.
    EXPECT_EQ(parseParameterSetting("g=NaN").kind, ParameterRequest::Kind::Word);
}

TEST(ParameterSetting, DisplayNumbers) {
    EXPECT_EQ(parseDisplayNumber("-6.00"), -6.0);
    EXPECT_EQ(parseDisplayNumber(" +3 dB"), 3.0);
    EXPECT_EQ(parseDisplayNumber("\xE2\x88\x92"
                                 "2.5"),
              -2.5);
    EXPECT_FALSE(parseDisplayNumber("off"));
    EXPECT_FALSE(parseDisplayNumber("+-1"));
}

// A parameter from low to high in steps (0: continuous), displayed with format.
class FakeParameters : public ParameterAccess {
public:
    FakeParameters(double low, double high, double step, const char* format)
        : m_low(low), m_high(high), m_step(step), m_format(format) {}
    int count() override { return 2; }
    std::string name(int index) override { return index == 0 ? "Gain" : "Mode"; }
    std::string label(int) override { return m_label; }
    std::string display(int) override {
        char text[32];
        std::snprintf(text, sizeof text, m_format, m_value);
        return text;
    }
    void set(int, float normalised) override {
        m_value = m_low + static_cast<double>(normalised) * (m_high - m_low);
        if (m_step > 0) m_value = m_step * std::round(m_value / m_step);
    }
    double value() const { return m_value; }
    std::string m_label = "dB";

private:
    double m_low, m_high, m_step;
    const char* m_format;
    double m_value = 0.0;
};

TEST(ParameterSetting, FindsByIndexExactNameOrNameIgnoringCase) {
    FakeParameters parameters(0, 1, 0, "%.2f");
    EXPECT_EQ(findParameter(parameters, "1"), 1);
    EXPECT_EQ(findParameter(parameters, "Mode"), 1);
    EXPECT_EQ(findParameter(parameters, " gain "), 0);
    EXPECT_THROW(findParameter(parameters, "2"), UsageError);
    EXPECT_THROW(findParameter(parameters, "volume"), UsageError);
}

TEST(ParameterSetting, DisplaySearchLandsInTheMiddleOfTheMatchingSetting) {
    FakeParameters stepped(-12, 12, 0.1, "%.2f");
    const float normalised = normalisedForDisplay(stepped, 0, -6.0);
    EXPECT_NEAR(normalised, 0.25f, 1e-4f);
    stepped.set(0, normalised);
    EXPECT_EQ(stepped.display(0), "-6.00");

    FakeParameters continuous(-60, 0, 0, "%.1f");
    continuous.set(0, normalisedForDisplay(continuous, 0, -20.24));
    EXPECT_EQ(continuous.display(0), "-20.2"); // the nearest value it shows
    EXPECT_NEAR(continuous.value(), -20.2, 0.01);
}

TEST(ParameterSetting, DisplaySearchRejectsValuesItCannotShow) {
    FakeParameters stepped(-12, 12, 0.1, "%.2f");
    EXPECT_THROW(normalisedForDisplay(stepped, 0, 13.0), Failure);
    FakeParameters words(0, 1, 1, "mode %.0f");
    EXPECT_THROW(normalisedForDisplay(words, 0, 1.0), Failure);
}

TEST(ParameterSetting, NormalisedValuesMustLieBetweenZeroAndOne) {
    FakeParameters parameters(0, 1, 0, "%.2f");
    EXPECT_EQ(resolveParameter(parameters, parseParameterSetting("Mode=0.5")).normalised, 0.5f);
    EXPECT_EQ(resolveParameter(parameters, parseParameterSetting("Mode=1e-400")).normalised, 0.0f);
    // A bare number outside 0 to 1 is what the display shows, if it shows one.
    FakeParameters wide(0, 20, 0, "%.2f");
    wide.set(0, resolveParameter(wide, parseParameterSetting("Gain=8")).normalised);
    EXPECT_EQ(wide.display(0), "8.00");
    FakeParameters words(0, 1, 1, "mode %.0f");
    EXPECT_THROW(resolveParameter(words, parseParameterSetting("Mode=1.01")), UsageError);
}

TEST(ParameterSetting, UnitMustBeTheParametersLabelOrDisplaySuffix) {
    FakeParameters parameters(-12, 12, 0, "%.2f");
    EXPECT_NO_THROW(resolveParameter(parameters, parseParameterSetting("Gain=-3DB")));
    EXPECT_THROW(resolveParameter(parameters, parseParameterSetting("Gain=-3ms")), UsageError);
    FakeParameters suffixed(0, 100, 0, "%.1f ms");
    EXPECT_NO_THROW(resolveParameter(suffixed, parseParameterSetting("Gain=5ms")));
    suffixed.set(0, resolveParameter(suffixed, parseParameterSetting("Gain=5 MS")).normalised);
    EXPECT_EQ(suffixed.display(0), "5.0 ms");
    EXPECT_THROW(resolveParameter(suffixed, parseParameterSetting("Gain=5s")), UsageError);
    // A parameter that names no unit takes any as the mark of a display value.
    FakeParameters bare(-12, 12, 0, "%.2f");
    bare.m_label = "";
    bare.set(0, resolveParameter(bare, parseParameterSetting("Gain=-3dB")).normalised);
    EXPECT_EQ(bare.display(0), "-3.00");
}

// A smooth, strongly non-linear display: a frequency from 20 Hz to 20 kHz on a log scale.
class LogFrequency : public ParameterAccess {
public:
    int count() override { return 1; }
    std::string name(int) override { return "frequency"; }
    std::string label(int) override { return "Hz"; }
    std::string display(int) override {
        char text[32];
        std::snprintf(text, sizeof text, m_format, 20.0 * std::pow(1000.0, m_normalised));
        return text;
    }
    void set(int, float normalised) override { m_normalised = normalised; }
    const char* m_format = "%.1f";
    double m_normalised = 0;
};

TEST(ParameterSetting, SmoothDisplaysAreMetExactly) {
    LogFrequency frequency;
    for (const double wanted : {1000.0, 440.0, 20.1, 19999.0, 5000.5, 123.4}) {
        frequency.set(0, normalisedForDisplay(frequency, 0, wanted));
        EXPECT_EQ(parseDisplayNumber(frequency.display(0)), wanted) << wanted;
    }
    // Finer than a float can step: the nearest display it reaches.
    frequency.m_format = "%.6f";
    frequency.set(0, normalisedForDisplay(frequency, 0, 10000.000001));
    EXPECT_NEAR(*parseDisplayNumber(frequency.display(0)), 10000.0, 0.01);
}

// Words shown over stretches of the range.
class Words : public ParameterAccess {
public:
    int count() override { return 1; }
    std::string name(int) override { return "mode"; }
    std::string label(int) override { return ""; }
    std::string display(int) override {
        return m_normalised < 0.3 ? "Peak" : m_normalised < 0.6 ? "RMS" : "  Off ";
    }
    void set(int, float normalised) override { m_normalised = normalised; }
    double m_normalised = 0;
};

TEST(ParameterSetting, WordsLandInTheMiddleOfTheirStretch) {
    Words words;
    EXPECT_NEAR(normalisedForWord(words, 0, "peak"), 0.15f, 1e-4f);
    EXPECT_NEAR(normalisedForWord(words, 0, "RMS"), 0.45f, 1e-4f);
    EXPECT_NEAR(normalisedForWord(words, 0, "off"), 0.8f, 1e-4f);
    try {
        normalisedForWord(words, 0, "loud");
        ADD_FAILURE() << "no error";
    } catch (const UsageError& error) {
        EXPECT_TRUE(std::string(error.what())
                        .find("never shows 'loud' (it shows 'Peak', "
                              "'RMS', 'Off')") != std::string::npos)
            << error.what();
    }
}

// ---------------------------------------------------------------------------------------------
// Level meter

TEST(LevelMeter, FullScaleSineAndSilence) {
    std::vector<double> sine(4800);
    for (std::size_t j = 0; j < sine.size(); ++j)
        sine[j] = std::sin(2.0 * std::numbers::pi * static_cast<double>(j) / 48.0 + 0.25);
    LevelMeter meter;
    meter.add(sine.data(), sine.size());
    EXPECT_NEAR(meter.peakDb(), 0.0, 0.01);
    EXPECT_NEAR(meter.rmsDb(), -3.0103, 0.001);
    LevelMeter silent;
    const std::vector<float> zeros(100, 0.0f);
    silent.add(zeros.data(), zeros.size());
    EXPECT_TRUE(std::isinf(silent.rmsDb()) && silent.rmsDb() < 0);
    EXPECT_EQ(formatDb(silent.peakDb()), "-inf");
    EXPECT_EQ(formatDb(-0.001), "0.00");
}

TEST(LevelMeter, TableShowsTheChangeAndLeavesMissingSidesEmpty) {
    const std::vector<float> loud(10, 0.5f);
    const std::vector<float> quiet(10, 0.25f);
    std::vector<LevelMeter> before(1), after(2);
    before[0].add(loud.data(), loud.size());
    after[0].add(quiet.data(), quiet.size());
    after[1].add(quiet.data(), quiet.size());
    const std::string table = levelTable(before, after);
    EXPECT_NE(table.find("      1       -6.02     -6.02    -12.04    -12.04     -6.02\n"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("      2                          -12.04    -12.04\n"), std::string::npos)
        << table;

    // From or to silence the change has no size.
    std::vector<LevelMeter> silent(1), sound(1);
    const std::vector<float> zeros(10, 0.0f);
    silent[0].add(zeros.data(), zeros.size());
    sound[0].add(quiet.data(), quiet.size());
    for (const auto& [in, out] :
         {std::pair{silent, silent}, std::pair{silent, sound}, std::pair{sound, silent}})
        EXPECT_EQ(levelTable(in, out).substr(levelTable(in, out).rfind(' ') + 1), "\u2014\n")
            << levelTable(in, out);
}

// ---------------------------------------------------------------------------------------------
// Transport

TEST(Transport, PositionsFollowTheFrameAtOneHundredTwentyBeatsAMinute) {
    Transport transport(48000.0);
    transport.moveTo(0);
    EXPECT_NE(transport.info()->flags & kVstTransportChanged, 0);
    transport.moveTo(48000 * 5 / 2); // 2.5 s: five quarter notes, in the second bar
    const VstTimeInfo& info = *transport.info();
    EXPECT_EQ(info.samplePos, 120000.0);
    EXPECT_DOUBLE_EQ(info.ppqPos, 5.0);
    EXPECT_EQ(info.barStartPos, 4.0);
    EXPECT_EQ(info.tempo, 120.0);
    EXPECT_EQ(info.timeSigNumerator, 4);
    EXPECT_EQ(info.timeSigDenominator, 4);
    EXPECT_DOUBLE_EQ(info.nanoSeconds, 2.5e9);
    const VstInt32 valid = kVstTransportPlaying | kVstNanosValid | kVstPpqPosValid |
                           kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    EXPECT_EQ(info.flags, valid);
}

// ---------------------------------------------------------------------------------------------
// Command line

TEST(CommandLine, ProcessOptionsInBothSpellings) {
    const Command command = parseCommandLine({"process", "p.so", "-i", "a.wav", "--output=b.flac",
                                              "-p", "x=1", "--param=y=2dB", "--block", "64",
                                              "--precision=64", "--state", "s", "-v"});
    const auto& options = std::get<ProcessOptions>(command);
    EXPECT_EQ(options.plugin, "p.so");
    EXPECT_EQ(options.input, "a.wav");
    EXPECT_EQ(options.output, "b.flac");
    EXPECT_EQ(options.parameters, (std::vector<std::string>{"x=1", "y=2dB"}));
    EXPECT_EQ(options.blockSize, 64);
    EXPECT_EQ(options.precision, 64);
    EXPECT_EQ(options.stateIn, "s");
    EXPECT_TRUE(options.verbose);
}

TEST(CommandLine, RejectsWhatItCannotUse) {
    EXPECT_THROW(parseCommandLine({}), UsageError);
    EXPECT_THROW(parseCommandLine({"mix"}), UsageError);
    EXPECT_THROW(parseCommandLine({"process", "p.so", "-i", "a.wav"}), UsageError);
    EXPECT_THROW(parseCommandLine({"process", "p.so", "-i", "a", "-o", "b", "--precision", "16"}),
                 UsageError);
    EXPECT_THROW(parseCommandLine({"info", "a.so", "b.so"}), UsageError);
    EXPECT_THROW(parseCommandLine({"gen", "-o", "g.wav", "--seconds", "0"}), UsageError);
    EXPECT_THROW(parseCommandLine({"gen", "-o", "g.wav", "--channels"}), UsageError);
    const auto gen = std::get<GenOptions>(parseCommandLine({"gen", "-o", "g.wav"}));
    EXPECT_EQ(gen.signal.channels, 8);
    EXPECT_EQ(gen.signal.sampleRate, 48000);
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(parseCommandLine({"process", "--help"})));
}

// ---------------------------------------------------------------------------------------------
// Progress bar

TEST(Progress, DrawsOnlyWhenEnabledAndAfterTheFirstSecond) {
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    const auto later = Progress::Clock::now() + std::chrono::seconds(2);
    {
        Progress quiet(sink, false, "work", 100);
        quiet.update(50, later);
        EXPECT_FALSE(quiet.drawn());
        Progress bar(sink, true, "work", 100);
        bar.update(50);
        EXPECT_FALSE(bar.drawn());
        bar.update(50, later);
        EXPECT_TRUE(bar.drawn());
        bar.finish();
        EXPECT_FALSE(bar.drawn());
    }
    std::rewind(sink);
    char text[256] = {};
    const std::size_t length = std::fread(text, 1, sizeof text - 1, sink);
    std::fclose(sink);
    EXPECT_NE(std::string(text, length).find("work [###############...............]  50%"),
              std::string::npos);
}

} // namespace
} // namespace plughost
