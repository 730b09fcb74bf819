// SPDX-License-Identifier: MIT
// Level meters and the before/after table.
#include "audio/LevelMeter.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

namespace plughost {
namespace {

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

} // namespace
} // namespace plughost
