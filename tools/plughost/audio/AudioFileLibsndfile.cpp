// SPDX-License-Identifier: MIT
// Audio files through libsndfile.
#include "AudioFile.h"
#include "AudioFileFormats.h"

#include "core/Failure.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <sndfile.h>

namespace plughost {
namespace {

// Here an AudioStream is libsndfile's own handle.
SNDFILE* sf(AudioStream* stream) {
    return reinterpret_cast<SNDFILE*>(stream);
}
AudioStream* stream(SNDFILE* file) {
    return reinterpret_cast<AudioStream*>(file);
}

std::string sndfileError(SNDFILE* file) {
    std::string reason = sf_strerror(file);
    // libsndfile ends some reasons with a full stop; one line reads better without.
    while (!reason.empty() && (reason.back() == '.' || reason.back() == '\n'))
        reason.pop_back();
    return reason;
}

int bytesPerSample(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 1;
    case SF_FORMAT_PCM_16:
        return 2;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    case SF_FORMAT_DOUBLE:
        return 8;
    default:
        return 0;
    }
}

// The number after marker in libsndfile's log of the header it parsed, or -1.
std::int64_t loggedNumber(const std::string& log, const std::string& marker) {
    const auto at = log.find(marker);
    if (at == std::string::npos) return -1;
    std::int64_t value = 0;
    const char* begin = log.data() + at + marker.size();
    const auto [next, error] = std::from_chars(begin, log.data() + log.size(), value);
    return error == std::errc() && next != begin ? value : -1;
}

// libsndfile notes a data chunk longer than the file ("data : 15360000 (should be 4988)" for
// WAV, the 'COMM' frame count for AIFF) in its log and carries on with what is there.
std::int64_t headerFrames(SNDFILE* file, int format, int channels, std::int64_t frames) {
    std::string log(16384, '\0');
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    log.resize(log.find('\0'));
    const std::int64_t commFrames = loggedNumber(log, "Frame count read from 'COMM' chunk (");
    if (commFrames > frames) return commFrames;
    const auto data = log.find("\ndata : ");
    const int frameBytes = bytesPerSample(format) * channels;
    if (data != std::string::npos && log.find("(should be", data) != std::string::npos &&
        frameBytes > 0) {
        const std::int64_t bytes = loggedNumber(log.substr(data), "data : ");
        if (bytes / frameBytes > frames) return bytes / frameBytes;
    }
    return frames;
}

} // namespace

int OutputFormat::integerBits() const {
    switch (code & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_PCM_32:
        return 32;
    default:
        return 0;
    }
}

const char* const kWritableExtensions = ".wav, .aiff, .aif or .flac";

bool writesContainer(const std::string& kind) {
    return kind == "wav" || kind == "aiff" || kind == "flac";
}

int formatCode(const std::string& kind, const std::string& samples) {
    const int major = kind == "wav"    ? SF_FORMAT_RF64
                      : kind == "aiff" ? SF_FORMAT_AIFF
                                       : SF_FORMAT_FLAC;
    const int minor = samples == "16"   ? SF_FORMAT_PCM_16
                      : samples == "24" ? SF_FORMAT_PCM_24
                                        : SF_FORMAT_FLOAT;
    return major | minor;
}

// ---------------------------------------------------------------------------------------------
// Reading

AudioReader::AudioReader(const std::string& path) : m_path(path) {
    requireReadableFile(path);
    SF_INFO info{};
    m_file = stream(sf_open(path.c_str(), SFM_READ, &info));
    if (m_file == nullptr)
        throw Failure("cannot read input " + quote(path) + ": " + sndfileError(nullptr));
    m_channels = info.channels;
    m_sampleRate = info.samplerate;
    m_format = info.format;
    m_frames = info.frames;
    m_announcedFrames = headerFrames(sf(m_file), m_format, info.channels, m_frames);
    if (m_channels <= 0 || m_sampleRate <= 0) {
        sf_close(sf(m_file));
        m_file = nullptr;
        throw Failure("cannot read input " + quote(path) + ": it announces " +
                      std::to_string(m_channels) + " channels at " + std::to_string(m_sampleRate) +
                      " Hz");
    }
}

AudioReader::~AudioReader() {
    if (m_file != nullptr) sf_close(sf(m_file));
}

OutputFormat AudioReader::format() const {
    return {m_format, formatDescription()};
}

std::string AudioReader::formatDescription() const {
    SF_FORMAT_INFO major{};
    major.format = m_format & SF_FORMAT_TYPEMASK;
    SF_FORMAT_INFO minor{};
    minor.format = m_format & SF_FORMAT_SUBMASK;
    const bool known = sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof major) == 0 &&
                       sf_command(nullptr, SFC_GET_FORMAT_INFO, &minor, sizeof minor) == 0;
    return known ? std::string(major.name) + ", " + minor.name : "unknown format";
}

std::int64_t AudioReader::read(float* interleaved, std::int64_t frames) {
    const sf_count_t got = sf_readf_float(sf(m_file), interleaved, frames);
    if (got < frames && sf_error(sf(m_file)) != SF_ERR_NO_ERROR)
        throw Failure("cannot read input " + quote(m_path) + ": " + sndfileError(sf(m_file)));
    return got;
}

std::int64_t AudioReader::read(double* interleaved, std::int64_t frames) {
    // libsndfile widens samples through a small buffer of its own, one system call per few
    // kilobytes; a 32-bit float file is read in one piece and widened here, exactly the same.
    if ((m_format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT) {
        m_narrow.resize(static_cast<std::size_t>(frames * m_channels));
        const std::int64_t got = read(m_narrow.data(), frames);
        std::copy_n(m_narrow.data(), got * m_channels, interleaved);
        return got;
    }
    const sf_count_t got = sf_readf_double(sf(m_file), interleaved, frames);
    if (got < frames && sf_error(sf(m_file)) != SF_ERR_NO_ERROR)
        throw Failure("cannot read input " + quote(m_path) + ": " + sndfileError(sf(m_file)));
    return got;
}

// ---------------------------------------------------------------------------------------------
// Writing

AudioWriter::AudioWriter(const std::string& path, const OutputFormat& format, int channels,
                         int sampleRate, bool replaceReadOnly, Dither dither)
    : m_pending(path, replaceReadOnly),
      m_floatSamples((format.code & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT),
      m_bits(format.integerBits()), m_dither(dither), m_random(dither.seed | 1),
      m_channels(channels) {
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = sampleRate;
    info.format = format.code;
    if (sf_format_check(&info) == 0)
        throw Failure("cannot write " + quote(path) + ": " + format.description + " cannot hold " +
                      std::to_string(channels) + " channels at " + std::to_string(sampleRate) +
                      " Hz");
    m_file = stream(sf_open_fd(m_pending.takeDescriptor(), SFM_WRITE, &info, SF_TRUE));
    if (m_file == nullptr)
        throw Failure("cannot write " + quote(path) + ": " + sndfileError(nullptr));
    if ((format.code & SF_FORMAT_TYPEMASK) == SF_FORMAT_RF64)
        sf_command(sf(m_file), SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
    // Integer formats: values beyond full scale clip instead of wrapping round.
    sf_command(sf(m_file), SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioWriter::~AudioWriter() {
    if (m_file != nullptr) sf_close(sf(m_file));
}

void AudioWriter::checkWritten(std::int64_t written, std::int64_t wanted) {
    if (written != wanted)
        throw Failure("cannot write " + quote(m_pending.finalPath()) + ": " +
                      sndfileError(sf(m_file)));
}

template <typename Sample>
void AudioWriter::writeIntegers(Sample* interleaved, std::int64_t frames) {
    roundToIntegers(interleaved, static_cast<std::size_t>(frames * m_channels));
    const int shift = 32 - m_bits; // libsndfile takes integers at full 32-bit scale
    for (int& value : m_integers)
        value = static_cast<int>(static_cast<std::int64_t>(value) * (std::int64_t{1} << shift));
    checkWritten(sf_writef_int(sf(m_file), m_integers.data(), frames), frames);
}

void AudioWriter::write(float* interleaved, std::int64_t frames) {
    if (m_bits != 0) return writeIntegers(interleaved, frames);
    checkWritten(sf_writef_float(sf(m_file), interleaved, frames), frames);
}

void AudioWriter::write(double* interleaved, std::int64_t frames) {
    if (m_bits != 0) return writeIntegers(interleaved, frames);
    // Narrowed here rather than through libsndfile's small buffer (see AudioReader::read).
    if (m_floatSamples) {
        const auto count = static_cast<std::size_t>(frames * m_channels);
        m_narrow.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            m_narrow[i] = static_cast<float>(interleaved[i]);
            interleaved[i] = m_narrow[i];
        }
        write(m_narrow.data(), frames);
        return;
    }
    checkWritten(sf_writef_double(sf(m_file), interleaved, frames), frames);
}

void AudioWriter::finish() {
    const int status = sf_close(sf(m_file));
    m_file = nullptr;
    if (status != 0)
        throw Failure("cannot write " + quote(m_pending.finalPath()) + ": " +
                      sf_error_number(status));
    m_pending.commit();
}

} // namespace plughost
