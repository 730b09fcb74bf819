// SPDX-License-Identifier: MIT
// The parts of the audio files that every implementation shares: rounding to integers with
// dither, and the checks of an input's path.
#include "AudioFile.h"
#include "Failure.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace plughost {

void AudioReader::requireReadableFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        throw Failure("cannot read input " + quote(path) + ": no such file");
    if (std::filesystem::is_directory(path, error))
        throw Failure("cannot read input " + quote(path) + ": it is a folder");
}

bool OutputFormat::integer() const {
    return integerBits() != 0;
}

double AudioWriter::nextDither() {
    // xorshift64*: fast, and the same sequence for the same seed everywhere.
    m_random ^= m_random >> 12;
    m_random ^= m_random << 25;
    m_random ^= m_random >> 27;
    const std::uint64_t bits = m_random * 2685821657736338717ull;
    return static_cast<double>(bits >> 11) * 0x1.0p-53; // [0, 1)
}

template <typename Sample>
void AudioWriter::roundToIntegers(const Sample* interleaved, std::size_t count) {
    m_integers.resize(count);
    const double scale = std::ldexp(1.0, m_bits - 1);
    const double highest = scale - 1.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double exact = static_cast<double>(interleaved[i]) * scale;
        double rounded = std::nearbyint(exact);
        if (rounded != exact && m_dither.tpdf)
            rounded = std::nearbyint(exact + nextDither() - nextDither());
        rounded = std::clamp(rounded, -scale, highest);
        m_integers[i] = static_cast<int>(rounded);
    }
}

template void AudioWriter::roundToIntegers(const float*, std::size_t);
template void AudioWriter::roundToIntegers(const double*, std::size_t);

} // namespace plughost
