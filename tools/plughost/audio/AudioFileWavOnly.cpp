// SPDX-License-Identifier: MIT
// WAV files without libsndfile (the Windows build): reading 8-, 16-, 24- and 32-bit integer and
// 32- and 64-bit float samples, plain or in the extensible layout, and writing the same as plain
// WAV up to the format's 4 GiB. Other containers are refused with a line that says so.
#include "AudioFile.h"
#include "AudioFileFormats.h"

#include "core/Failure.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <vector>

namespace plughost {

// An open WAV file: for reading, the file and where its samples are; for writing, the byte
// buffer samples are packed in and how many data bytes went out.
struct AudioStream {
    AudioStream() = default;
    ~AudioStream() {
        if (file != nullptr) std::fclose(file);
    }
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;

    std::FILE* file = nullptr;
    int bits = 0;
    bool floating = false;
    int frameBytes = 0;
    std::int64_t framesLeft = 0;
    std::uint64_t dataBytes = 0;
    std::vector<unsigned char> bytes;
};

namespace {

constexpr int kFloatFlag = 0x100; // format codes: the sample bits, plus this for floating point
constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
constexpr std::size_t kHeaderBytes = 44;
constexpr std::uint64_t kLargestData = 0xFFFFFFFFull - (kHeaderBytes - 8) - 1;

std::uint32_t little(const unsigned char* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

void putLittle(unsigned char* bytes, std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i, value >>= 8)
        bytes[i] = static_cast<unsigned char>(value & 0xFF);
}

std::string sampleName(int code) {
    const int bits = code & 0xFF;
    if ((code & kFloatFlag) != 0) return std::to_string(bits) + " bit float";
    return (bits == 8 ? "Unsigned " : "Signed ") + std::to_string(bits) + " bit PCM";
}

bool readable(int bits, bool floating) {
    return floating ? (bits == 32 || bits == 64)
                    : (bits == 8 || bits == 16 || bits == 24 || bits == 32);
}

// One sample of the stream's format at bytes, as a value in [-1, 1).
double sampleAt(const AudioStream& stream, const unsigned char* bytes) {
    if (stream.floating) {
        if (stream.bits == 32) {
            float value = 0;
            const std::uint32_t raw = little(bytes, 4);
            std::memcpy(&value, &raw, sizeof value);
            return value;
        }
        const std::uint64_t raw =
            little(bytes, 4) | (static_cast<std::uint64_t>(little(bytes + 4, 4)) << 32);
        double value = 0;
        std::memcpy(&value, &raw, sizeof value);
        return value;
    }
    const int bytesPerSample = stream.bits / 8;
    if (stream.bits == 8) return (static_cast<int>(bytes[0]) - 128) / 128.0;
    const std::uint32_t raw = little(bytes, bytesPerSample) << (32 - stream.bits);
    const auto value = static_cast<std::int32_t>(raw); // sign from the top bit
    return static_cast<double>(value) * 0x1.0p-31;
}

// Writes the samples packed in stream.bytes after those already written.
void appendData(PendingFile& pending, AudioStream& stream) {
    if (stream.dataBytes + stream.bytes.size() > kLargestData)
        throw Failure("cannot write " + quote(pending.finalPath()) +
                      ": a WAV file holds at most 4 GiB");
    pending.writeBytes(stream.bytes.data(), stream.bytes.size());
    stream.dataBytes += stream.bytes.size();
}

} // namespace

int OutputFormat::integerBits() const {
    return (code & kFloatFlag) != 0 ? 0 : code & 0xFF;
}

const char* const kWritableExtensions = ".wav";

bool writesContainer(const std::string& kind) {
    return kind == "wav";
}

int formatCode(const std::string&, const std::string& samples) {
    return samples == "16" ? 16 : samples == "24" ? 24 : 32 | kFloatFlag;
}

// ---------------------------------------------------------------------------------------------
// Reading

AudioReader::AudioReader(const std::string& path) : m_path(path) {
    requireReadableFile(path);
    const auto fail = [&](const std::string& reason) {
        throw Failure("cannot read input " + quote(path) + ": " + reason);
    };
    std::error_code error;
    const std::uintmax_t fileSize = std::filesystem::file_size(path, error);
    if (error) fail(error.message());
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) fail(std::strerror(errno));
    auto stream = std::make_unique<AudioStream>(); // closes the file if this throws
    stream->file = file;

    std::array<unsigned char, 12> riff{};
    if (std::fread(riff.data(), 1, riff.size(), file) != riff.size() ||
        std::memcmp(riff.data(), "RIFF", 4) != 0 || std::memcmp(riff.data() + 8, "WAVE", 4) != 0)
        fail("not a WAV file (this plughost reads WAV files only: it is built without "
             "libsndfile)");
    std::uint64_t position = riff.size();
    bool formatSeen = false;
    bool extensible = false;
    std::uint32_t dataSize = 0;
    for (;;) {
        std::array<unsigned char, 8> chunk{};
        if (std::fread(chunk.data(), 1, chunk.size(), file) != chunk.size())
            fail(formatSeen ? "the file has no data chunk" : "the file has no format chunk");
        position += chunk.size();
        const std::uint32_t size = little(chunk.data() + 4, 4);
        if (std::memcmp(chunk.data(), "fmt ", 4) == 0) {
            std::array<unsigned char, 40> fmt{};
            if (size < 16 || size > fmt.size() || std::fread(fmt.data(), 1, size, file) != size)
                fail("its format chunk is damaged");
            const auto tag = static_cast<std::uint16_t>(little(fmt.data(), 2));
            m_channels = static_cast<int>(little(fmt.data() + 2, 2));
            m_sampleRate = static_cast<int>(std::min<std::uint32_t>(
                little(fmt.data() + 4, 4), std::numeric_limits<int>::max()));
            stream->frameBytes = static_cast<int>(little(fmt.data() + 12, 2));
            stream->bits = static_cast<int>(little(fmt.data() + 14, 2));
            std::uint16_t kind = tag;
            extensible = tag == kTagExtensible;
            if (extensible) {
                if (size < 40) fail("its extensible format chunk is damaged");
                kind = static_cast<std::uint16_t>(little(fmt.data() + 24, 2));
            }
            if (kind != kTagPcm && kind != kTagFloat)
                fail("its samples are compressed (format " + std::to_string(kind) +
                     "); this plughost reads PCM and float WAV only");
            stream->floating = kind == kTagFloat;
            if (!readable(stream->bits, stream->floating))
                fail(sampleName(stream->bits | (stream->floating ? kFloatFlag : 0)) +
                     " samples are not supported");
            formatSeen = true;
            position += size;
        } else if (std::memcmp(chunk.data(), "data", 4) == 0) {
            if (!formatSeen) fail("its data comes before its format");
            dataSize = size;
            break;
        } else if (std::fseek(file, static_cast<long>(size), SEEK_CUR) != 0) {
            fail("a chunk runs past the end of the file");
        } else {
            position += size;
        }
        if ((size & 1u) != 0 && std::fseek(file, 1, SEEK_CUR) == 0) ++position; // pad byte
    }
    if (m_channels <= 0 || m_sampleRate <= 0)
        fail("it announces " + std::to_string(m_channels) + " channels at " +
             std::to_string(m_sampleRate) + " Hz");
    if (stream->frameBytes != m_channels * (stream->bits / 8))
        fail("its frame size does not match its channels and sample size");
    // A data chunk longer than the file (a cut-off recording) is read as far as it goes.
    const std::uint64_t present = fileSize > position ? fileSize - position : 0;
    m_announcedFrames = dataSize / static_cast<std::uint32_t>(stream->frameBytes);
    m_frames = static_cast<std::int64_t>(std::min<std::uint64_t>(dataSize, present) /
                                         static_cast<std::uint64_t>(stream->frameBytes));
    stream->framesLeft = m_frames;
    m_format = stream->bits | (stream->floating ? kFloatFlag : 0);
    if (extensible) m_format |= kFloatFlag << 1;
    m_file = stream.release();
}

AudioReader::~AudioReader() {
    delete m_file;
}

OutputFormat AudioReader::format() const {
    return {m_format & (kFloatFlag | 0xFF), formatDescription()};
}

std::string AudioReader::formatDescription() const {
    const bool extensible = (m_format & (kFloatFlag << 1)) != 0;
    return std::string(extensible ? "WAVEX (Microsoft)" : "WAV (Microsoft)") + ", " +
           sampleName(m_format & (kFloatFlag | 0xFF));
}

namespace {

template <typename Sample>
std::int64_t readSamples(AudioStream& stream, const std::string& path, Sample* interleaved,
                         std::int64_t frames, int channels) {
    frames = std::min(frames, stream.framesLeft);
    if (frames <= 0) return 0;
    const auto byteCount = static_cast<std::size_t>(frames * stream.frameBytes);
    stream.bytes.resize(byteCount);
    const std::size_t got = std::fread(stream.bytes.data(), 1, byteCount, stream.file);
    if (got != byteCount && std::ferror(stream.file) != 0)
        throw Failure("cannot read input " + quote(path) + ": " + std::strerror(errno));
    const std::int64_t whole = static_cast<std::int64_t>(got) / stream.frameBytes;
    const int sampleBytes = stream.bits / 8;
    const unsigned char* at = stream.bytes.data();
    for (std::int64_t i = 0; i < whole * channels; ++i, at += sampleBytes)
        interleaved[i] = static_cast<Sample>(sampleAt(stream, at));
    stream.framesLeft = whole < frames ? 0 : stream.framesLeft - whole;
    return whole;
}

} // namespace

std::int64_t AudioReader::read(float* interleaved, std::int64_t frames) {
    return readSamples(*m_file, m_path, interleaved, frames, m_channels);
}

std::int64_t AudioReader::read(double* interleaved, std::int64_t frames) {
    return readSamples(*m_file, m_path, interleaved, frames, m_channels);
}

// ---------------------------------------------------------------------------------------------
// Writing

AudioWriter::AudioWriter(const std::string& path, const OutputFormat& format, int channels,
                         int sampleRate, bool replaceReadOnly, Dither dither)
    : m_pending(path, replaceReadOnly), m_floatSamples((format.code & kFloatFlag) != 0),
      m_bits(format.integerBits()), m_dither(dither), m_random(dither.seed | 1),
      m_channels(channels) {
    const int bits = format.code & 0xFF;
    if (channels <= 0 || channels > 0xFFFF || sampleRate <= 0)
        throw Failure("cannot write " + quote(path) + ": " + format.description + " cannot hold " +
                      std::to_string(channels) + " channels at " + std::to_string(sampleRate) +
                      " Hz");
    const int frameBytes = channels * (bits / 8);
    std::array<unsigned char, kHeaderBytes> header{};
    std::memcpy(header.data(), "RIFF", 4);
    std::memcpy(header.data() + 8, "WAVEfmt ", 8);
    putLittle(header.data() + 16, 16, 4);
    putLittle(header.data() + 20, m_floatSamples ? kTagFloat : kTagPcm, 2);
    putLittle(header.data() + 22, static_cast<std::uint64_t>(channels), 2);
    putLittle(header.data() + 24, static_cast<std::uint64_t>(sampleRate), 4);
    putLittle(header.data() + 28,
              static_cast<std::uint64_t>(sampleRate) * static_cast<std::uint64_t>(frameBytes), 4);
    putLittle(header.data() + 32, static_cast<std::uint64_t>(frameBytes), 2);
    putLittle(header.data() + 34, static_cast<std::uint64_t>(bits), 2);
    std::memcpy(header.data() + 36, "data", 4);
    m_pending.writeBytes(header.data(), header.size()); // sizes filled in by finish()
    m_file = new AudioStream;
    m_file->bits = bits;
    m_file->floating = m_floatSamples;
    m_file->frameBytes = frameBytes;
}

AudioWriter::~AudioWriter() {
    delete m_file;
}

template <typename Sample>
void AudioWriter::writeIntegers(Sample* interleaved, std::int64_t frames) {
    const auto count = static_cast<std::size_t>(frames * m_channels);
    roundToIntegers(interleaved, count);
    const int sampleBytes = m_bits / 8;
    std::vector<unsigned char>& bytes = m_file->bytes;
    bytes.resize(count * static_cast<std::size_t>(sampleBytes));
    unsigned char* at = bytes.data();
    for (std::size_t i = 0; i < count; ++i, at += sampleBytes) {
        const int value = m_bits == 8 ? m_integers[i] + 128 : m_integers[i];
        putLittle(at, static_cast<std::uint32_t>(value), sampleBytes);
    }
    appendData(m_pending, *m_file);
}

void AudioWriter::write(float* interleaved, std::int64_t frames) {
    if (m_bits != 0) return writeIntegers(interleaved, frames);
    const auto count = static_cast<std::size_t>(frames * m_channels);
    std::vector<unsigned char>& bytes = m_file->bytes;
    const std::size_t sampleBytes = m_file->bits == 64 ? 8 : 4;
    bytes.resize(count * sampleBytes);
    for (std::size_t i = 0; i < count; ++i) {
        if (sampleBytes == 8) {
            const double value = interleaved[i];
            std::uint64_t raw = 0;
            std::memcpy(&raw, &value, sizeof raw);
            putLittle(bytes.data() + i * 8, raw, 8);
        } else {
            std::uint32_t raw = 0;
            std::memcpy(&raw, &interleaved[i], sizeof raw);
            putLittle(bytes.data() + i * 4, raw, 4);
        }
    }
    appendData(m_pending, *m_file);
}

void AudioWriter::write(double* interleaved, std::int64_t frames) {
    if (m_bits != 0) return writeIntegers(interleaved, frames);
    const auto count = static_cast<std::size_t>(frames * m_channels);
    if (m_file->bits == 64) {
        std::vector<unsigned char>& bytes = m_file->bytes;
        bytes.resize(count * 8);
        for (std::size_t i = 0; i < count; ++i) {
            std::uint64_t raw = 0;
            std::memcpy(&raw, &interleaved[i], sizeof raw);
            putLittle(bytes.data() + i * 8, raw, 8);
        }
        appendData(m_pending, *m_file);
        return;
    }
    m_narrow.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        m_narrow[i] = static_cast<float>(interleaved[i]);
        interleaved[i] = m_narrow[i];
    }
    write(m_narrow.data(), frames);
}

void AudioWriter::finish() {
    const std::uint64_t data = m_file->dataBytes;
    if ((data & 1u) != 0) {
        const unsigned char pad = 0;
        m_pending.writeBytes(&pad, 1);
    }
    std::array<unsigned char, 4> size{};
    putLittle(size.data(), data + (data & 1u) + kHeaderBytes - 8, 4);
    m_pending.writeBytesAt(4, size.data(), size.size());
    putLittle(size.data(), data, 4);
    m_pending.writeBytesAt(kHeaderBytes - 4, size.data(), size.size());
    m_pending.commit();
}

} // namespace plughost
