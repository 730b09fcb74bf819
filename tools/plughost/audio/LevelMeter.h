// SPDX-License-Identifier: MIT
// Peak and RMS level of one channel, and the before/after table plughost prints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plughost {

class LevelMeter {
public:
    // count samples, stride apart (1: one after the other).
    void add(const float* samples, std::size_t count, std::size_t stride = 1);
    void add(const double* samples, std::size_t count, std::size_t stride = 1);

    // Levels relative to full scale (1.0); minus infinity for silence.
    double peakDb() const;
    double rmsDb() const;
    std::int64_t samples() const { return m_count; }

private:
    double m_peak = 0.0;
    double m_sumOfSquares = 0.0;
    std::int64_t m_count = 0;
};

// "-6.02", "-inf"; two decimals.
std::string formatDb(double db);

// One row per channel: input peak and RMS, output peak and RMS, and the RMS change ("—"
// when either side is silent). A side with fewer channels leaves its columns empty.
std::string levelTable(const std::vector<LevelMeter>& before, const std::vector<LevelMeter>& after);

} // namespace plughost
