// SPDX-License-Identifier: MIT
// The test signal of `plughost gen`: on every channel a sine of its own frequency at -12 dBFS,
// so that each output channel can be traced back to its input and its level read at a glance.
#pragma once

#include <cstdint>
#include <string>

namespace plughost {

constexpr double kTestSignalDb = -12.0;
constexpr double kTestBaseFrequency = 220.0;

struct TestSignal {
    int channels = 8;
    double seconds = 4.0;
    int sampleRate = 48000;
};

// Frequency of channel c (0-based): 220 Hz times (c + 1), folded back into the lower part of
// the band when that would come close to half the sample rate.
double testFrequency(int channel, int sampleRate);

// Writes the test signal to path (format from its extension); throws Failure.
void writeTestSignal(const std::string& path, const TestSignal& signal);

} // namespace plughost
