// SPDX-License-Identifier: MIT
#include "Resampler.h"

#include "core/Failure.h"

#include <algorithm>

namespace plughost {
namespace {

// Frames read from the source at a time.
constexpr std::size_t kInputBlock = 4096;

} // namespace

std::int64_t resampledLength(std::int64_t inputFrames, int fromRate, int toRate) {
    // Split so that no product overflows: N = q * from + r, N * to / from = q * to + r * to / from.
    const std::int64_t from = fromRate;
    const std::int64_t to = toRate;
    const std::int64_t whole = inputFrames / from;
    const std::int64_t rest = inputFrames % from;
    return whole * to + (2 * rest * to + from) / (2 * from);
}

Resampler::Resampler(AudioSource& source, int fromRate, int toRate)
    : m_source(source), m_converter(makeRateConverter(fromRate, toRate, source.channels())),
      m_channels(source.channels()), m_fromRate(fromRate), m_toRate(toRate),
      m_input(kInputBlock * static_cast<std::size_t>(source.channels())) {}

Resampler::~Resampler() = default;

std::int64_t Resampler::read(double* interleaved, std::int64_t frames) {
    const auto channels = static_cast<std::size_t>(m_channels);
    std::int64_t filled = 0;
    while (filled < frames) {
        std::int64_t wanted = frames - filled;
        if (m_length >= 0) {
            if (m_given >= m_length) break;
            wanted = std::min(wanted, m_length - m_given);
        }
        double* out = interleaved + static_cast<std::size_t>(filled) * channels;
        std::size_t done = 0;
        if (m_length < 0) {
            if (m_inputAt == m_inputHeld) {
                const std::int64_t read =
                    m_source.read(m_input.data(), static_cast<std::int64_t>(kInputBlock));
                if (read == 0) {
                    m_length = resampledLength(m_inputFrames, m_fromRate, m_toRate);
                    continue;
                }
                m_inputFrames += read;
                m_inputAt = 0;
                m_inputHeld = static_cast<std::size_t>(read);
            }
            std::size_t used = 0;
            done =
                m_converter->convert(m_input.data() + m_inputAt * channels, m_inputHeld - m_inputAt,
                                     used, out, static_cast<std::size_t>(wanted));
            m_inputAt += used;
            if (used == 0 && done == 0)
                throw Failure("resampling failed: the converter takes no more input");
        } else if (!m_flushed) {
            std::size_t none = 0;
            done = m_converter->convert(nullptr, 0, none, out, static_cast<std::size_t>(wanted));
            m_flushed = done == 0;
        } else {
            // The converter fell short of the length: the rest is silence.
            done = static_cast<std::size_t>(wanted);
            std::fill_n(out, done * channels, 0.0);
        }
        filled += static_cast<std::int64_t>(done);
        m_given += static_cast<std::int64_t>(done);
    }
    return filled;
}

std::int64_t Resampler::read(float* interleaved, std::int64_t frames) {
    const auto channels = static_cast<std::size_t>(m_channels);
    if (m_wide.size() < static_cast<std::size_t>(frames) * channels)
        m_wide.resize(static_cast<std::size_t>(frames) * channels);
    const std::int64_t read = this->read(m_wide.data(), frames);
    for (std::size_t i = 0; i < static_cast<std::size_t>(read) * channels; ++i)
        interleaved[i] = static_cast<float>(m_wide[i]);
    return read;
}

} // namespace plughost
