// SPDX-License-Identifier: MIT
#include "SignalGenerator.h"

#include "AudioFile.h"
#include "os/Terminal.h"
#include "report/Progress.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace plughost {

double testFrequency(int channel, int sampleRate) {
    const int harmonics = std::max(1, static_cast<int>(0.45 * sampleRate / kTestBaseFrequency));
    return kTestBaseFrequency * (channel % harmonics + 1);
}

void writeTestSignal(const std::string& path, const TestSignal& signal) {
    const OutputFormat format = outputFormatFor(path);
    AudioWriter writer(path, format, signal.channels, signal.sampleRate);
    const auto frames = static_cast<std::int64_t>(std::llround(signal.seconds * signal.sampleRate));
    const double amplitude = std::pow(10.0, kTestSignalDb / 20.0);
    const auto channels = static_cast<std::size_t>(signal.channels);

    // Each channel's phase step in cycles per frame; the phase is taken modulo one cycle from
    // the frame number so that it does not drift over long files.
    std::vector<double> cyclesPerFrame(channels);
    for (std::size_t c = 0; c < channels; ++c)
        cyclesPerFrame[c] =
            testFrequency(static_cast<int>(c), signal.sampleRate) / signal.sampleRate;

    constexpr std::int64_t kBlock = 4096;
    std::vector<float> block(static_cast<std::size_t>(kBlock) * channels);
    Progress progress(stderr, standardErrorIsTerminal(), "generating", frames);
    for (std::int64_t start = 0; start < frames; start += kBlock) {
        const std::int64_t count = std::min(kBlock, frames - start);
        for (std::int64_t j = 0; j < count; ++j) {
            const auto frame = static_cast<double>(start + j);
            for (std::size_t c = 0; c < channels; ++c) {
                const double cycles = frame * cyclesPerFrame[c];
                const double phase = cycles - std::floor(cycles);
                block[static_cast<std::size_t>(j) * channels + c] =
                    static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * phase));
            }
        }
        writer.write(block.data(), count);
        progress.update(start + count);
    }
    progress.finish();
    writer.finish();
}

} // namespace plughost
