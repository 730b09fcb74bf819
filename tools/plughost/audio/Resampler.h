// SPDX-License-Identifier: MIT
// An input converted to another sample rate on its way to the plug-in, block by block: only a
// block of the file and the converter's own filter are held at a time.
//
// The converted stream holds exactly resampledLength(N, from, to) frames for N input frames,
// and its frame k is the input at time k / to seconds: the converter's filter delay is taken
// out at the start and what it holds back is flushed at the end; frames it would give past that
// length are dropped and frames it falls short by are silence.
#pragma once

#include "AudioFile.h"
#include "RateConverter.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace plughost {

// The frames inputFrames frames at fromRate make at toRate: inputFrames * toRate / fromRate,
// rounded to the nearest whole frame (halves up), computed exactly.
std::int64_t resampledLength(std::int64_t inputFrames, int fromRate, int toRate);

class Resampler final : public AudioSource {
public:
    // Reads source, whose frames are at fromRate, and gives them at toRate. Throws Failure when
    // the build has no converter.
    Resampler(AudioSource& source, int fromRate, int toRate);
    ~Resampler() override;
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    int channels() const override { return m_channels; }
    std::int64_t read(float* interleaved, std::int64_t frames) override;
    std::int64_t read(double* interleaved, std::int64_t frames) override;

    // Frames read from the source so far (all of them once read answers 0).
    std::int64_t inputFrames() const { return m_inputFrames; }

private:
    AudioSource& m_source;
    std::unique_ptr<RateConverter> m_converter;
    int m_channels = 0;
    int m_fromRate = 0;
    int m_toRate = 0;
    std::vector<double> m_input; // a block of the source, interleaved
    std::size_t m_inputAt = 0;   // the first frame of m_input the converter has not taken
    std::size_t m_inputHeld = 0; // frames in m_input
    std::vector<double> m_wide;  // converted frames on their way to 32-bit samples
    std::int64_t m_inputFrames = 0;
    std::int64_t m_given = 0;   // converted frames handed out
    std::int64_t m_length = -1; // the stream's length, known once the source has ended
    bool m_flushed = false;     // the converter holds nothing more
};

} // namespace plughost
