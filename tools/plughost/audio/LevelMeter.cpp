// SPDX-License-Identifier: MIT
#include "LevelMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace plughost {
namespace {

template <typename Sample>
void accumulate(const Sample* samples, std::size_t count, std::size_t stride, double& peak,
                double& sumOfSquares) {
    double localPeak = peak;
    double localSum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double value = samples[i * stride];
        localPeak = std::max(localPeak, std::fabs(value));
        localSum += value * value;
    }
    peak = localPeak;
    sumOfSquares += localSum;
}

double toDb(double amplitude) {
    return amplitude > 0.0 ? 20.0 * std::log10(amplitude)
                           : -std::numeric_limits<double>::infinity();
}

} // namespace

void LevelMeter::add(const float* samples, std::size_t count, std::size_t stride) {
    accumulate(samples, count, stride, m_peak, m_sumOfSquares);
    m_count += static_cast<std::int64_t>(count);
}

void LevelMeter::add(const double* samples, std::size_t count, std::size_t stride) {
    accumulate(samples, count, stride, m_peak, m_sumOfSquares);
    m_count += static_cast<std::int64_t>(count);
}

double LevelMeter::peakDb() const {
    return toDb(m_peak);
}

double LevelMeter::rmsDb() const {
    return m_count > 0 ? toDb(std::sqrt(m_sumOfSquares / static_cast<double>(m_count)))
                       : -std::numeric_limits<double>::infinity();
}

std::string formatDb(double db) {
    if (std::isnan(db)) return "nan";
    if (std::isinf(db)) return db < 0 ? "-inf" : "inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", db);
    // "-0.00" says nothing that "0.00" does not.
    return std::string(text) == "-0.00" ? "0.00" : text;
}

std::string levelTable(const std::vector<LevelMeter>& before,
                       const std::vector<LevelMeter>& after) {
    std::string table = "levels in dBFS        input               output         change\n"
                        "channel          peak       RMS      peak       RMS       RMS\n";
    const std::size_t rows = std::max(before.size(), after.size());
    char line[128];
    for (std::size_t c = 0; c < rows; ++c) {
        const bool in = c < before.size();
        const bool out = c < after.size();
        std::string change;
        if (in && out) {
            const double inRms = before[c].rmsDb();
            const double outRms = after[c].rmsDb();
            // A change from or to silence has no size in decibels.
            change = std::isinf(inRms) || std::isinf(outRms) ? "\u2014" : formatDb(outRms - inRms);
        }
        std::snprintf(line, sizeof line, "%7zu  %10s%10s%10s%10s%10s", c + 1,
                      in ? formatDb(before[c].peakDb()).c_str() : "",
                      in ? formatDb(before[c].rmsDb()).c_str() : "",
                      out ? formatDb(after[c].peakDb()).c_str() : "",
                      out ? formatDb(after[c].rmsDb()).c_str() : "", change.c_str());
        std::string row = line;
        row.erase(row.find_last_not_of(' ') + 1);
        table += row + "\n";
    }
    return table;
}

} // namespace plughost
