// SPDX-License-Identifier: MIT
// Parameter requests and the search for the normalised value that shows a display value.
#include "core/Parameters.h"
#include "core/Failure.h"

#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

namespace plughost {
namespace {

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
    // A word it never shows is refused with the range of numbers it does show.
    FakeParameters suffixed(0, 100, 0, "%.1f ms");
    try {
        normalisedForWord(suffixed, 0, "fast");
        ADD_FAILURE() << "no error";
    } catch (const UsageError& error) {
        EXPECT_TRUE(std::string(error.what()).find("(it shows numbers from 0 to 100 ms)") !=
                    std::string::npos)
            << error.what();
    }
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

} // namespace
} // namespace plughost
