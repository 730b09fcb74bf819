// SPDX-License-Identifier: MIT
// The parts of the audio files that every implementation shares: the output format from the
// command line, rounding to integers with dither, and the checks of an input's path.
#include "AudioFile.h"
#include "AudioFileFormats.h"

#include "core/Failure.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace plughost {

std::string containerOf(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".wav") return "wav";
    if (extension == ".aif" || extension == ".aiff") return "aiff";
    if (extension == ".flac") return "flac";
    return {};
}

OutputFormat outputFormatFor(const std::string& path) {
    return chooseOutputFormat(path, "", "");
}

OutputFormat chooseOutputFormat(const std::string& path, const std::string& container,
                                const std::string& samples) {
    std::string kind = container.empty() ? containerOf(path) : container;
    if (kind.empty()) {
        const std::string extension = std::filesystem::path(path).extension().string();
        if (extension.empty())
            throw Failure("cannot tell the format of " + quote(path) +
                          " from its name: end it in " + kWritableExtensions +
                          ", or give --format");
        throw Failure("unsupported output format " + quote(extension) + " (use " +
                      kWritableExtensions + ", or give --format)");
    }
    if (!writesContainer(kind))
        throw Failure("this plughost writes WAV files only (it is built without libsndfile): "
                      "cannot write " +
                      quote(path));
    const bool flac = kind == "flac";
    const std::string bits = samples.empty() ? (flac ? "24" : "32f") : samples;
    if (flac && bits == "32f") throw UsageError("FLAC holds integer samples only: --bits 16 or 24");
    OutputFormat format;
    format.code = formatCode(kind, bits);
    format.description = (bits == "32f" ? std::string("32-bit float") : bits + "-bit") + " " +
                         (kind == "wav"    ? "WAV"
                          : kind == "aiff" ? "AIFF"
                                           : "FLAC");
    return format;
}

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
void AudioWriter::roundToIntegers(Sample* interleaved, std::size_t count) {
    m_integers.resize(count);
    const double scale = std::ldexp(1.0, m_bits - 1);
    const double highest = scale - 1.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double exact = static_cast<double>(interleaved[i]) * scale;
        double rounded = std::isfinite(exact) ? std::nearbyint(exact) : 0.0;
        if (rounded != exact && m_dither.tpdf && std::isfinite(exact))
            rounded = std::nearbyint(exact + nextDither() - nextDither());
        rounded = std::clamp(rounded, -scale, highest);
        m_integers[i] = static_cast<int>(rounded);
        interleaved[i] = static_cast<Sample>(rounded / scale);
    }
}

template void AudioWriter::roundToIntegers(float*, std::size_t);
template void AudioWriter::roundToIntegers(double*, std::size_t);

} // namespace plughost
