// SPDX-License-Identifier: MIT
// Audio files, frames interleaved in both directions: through libsndfile where it is available
// (AudioFileLibsndfile.cpp: reading any format it knows, writing WAV, AIFF and FLAC), and WAV
// alone through a reader and writer of plughost's own elsewhere (AudioFileWavOnly.cpp, the
// Windows build). What both share is in AudioFileCommon.cpp.
#pragma once

#include "os/PendingFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plughost {

// The open file of an implementation (libsndfile's handle, or the WAV file's own state).
struct AudioStream;

struct OutputFormat {
    int code = 0; // the implementation's own format code
    std::string description;
    // Integer samples hold values up to full scale only; anything beyond is clipped.
    bool integer() const;
    // Bits of an integer sample (8, 16, 24 or 32); 0 for floating point.
    int integerBits() const;
};

// The format for an output path: .wav (32-bit float; larger than 4 GiB becomes RF64), .aif or
// .aiff (32-bit float), .flac (24-bit). Throws Failure for any other extension, and for a
// container this build does not write.
OutputFormat outputFormatFor(const std::string& path);

// The format asked for on the command line: container "wav", "aiff" or "flac" (empty: from the
// path's extension), samples "16", "24" or "32f" (empty: the container's default: 32-bit float,
// 24-bit for FLAC). Throws UsageError for a combination that does not exist (32f FLAC).
OutputFormat chooseOutputFormat(const std::string& path, const std::string& container,
                                const std::string& samples);

// The container an output file's extension names ("wav", "aiff", "flac"), or empty.
std::string containerOf(const std::string& path);

// How integer output is rounded: plain rounding, or with triangular (TPDF) dither of two
// least significant bits peak to peak from a generator started at seed, so that runs repeat.
// Samples the format holds exactly are written unchanged either way: silence stays silent
// and unity gain into the input's own format is bit-exact.
struct Dither {
    bool tpdf = true;
    std::uint64_t seed = 1;
};

// Interleaved frames read in order, from a file or from a converter in front of one.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual int channels() const = 0;
    // Reads up to frames frames into interleaved; answers how many were read (0 at the end).
    virtual std::int64_t read(float* interleaved, std::int64_t frames) = 0;
    virtual std::int64_t read(double* interleaved, std::int64_t frames) = 0;
};

class AudioReader final : public AudioSource {
public:
    // Opens path for reading; throws Failure naming the cause.
    explicit AudioReader(const std::string& path);
    ~AudioReader() override;
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    int channels() const override { return m_channels; }
    int sampleRate() const { return m_sampleRate; }
    std::int64_t frames() const { return m_frames; }
    // The file's own format, for writing the output the same way.
    OutputFormat format() const;
    // The frame count the file's header announces. libsndfile counts only the frames a cut-off
    // WAV or AIFF file still holds; this is what the header promised, for telling the user.
    std::int64_t announcedFrames() const { return m_announcedFrames; }
    std::string formatDescription() const;

    std::int64_t read(float* interleaved, std::int64_t frames) override;
    std::int64_t read(double* interleaved, std::int64_t frames) override;

private:
    // Throws Failure when the path names nothing or a folder.
    static void requireReadableFile(const std::string& path);

    std::string m_path;
    AudioStream* m_file = nullptr;
    std::vector<float> m_narrow; // 32-bit float files read for 64-bit processing
    int m_channels = 0;
    int m_sampleRate = 0;
    int m_format = 0;
    std::int64_t m_frames = 0;
    std::int64_t m_announcedFrames = 0;
};

class AudioWriter {
public:
    // Starts a pending output file; throws Failure (for instance when the format cannot hold
    // that many channels).
    // replaceReadOnly: see PendingFile.
    AudioWriter(const std::string& path, const OutputFormat& format, int channels, int sampleRate,
                bool replaceReadOnly = false, Dither dither = {});
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // Writes the frames and leaves in interleaved the values the file holds: samples rounded
    // (and dithered) to integers, or narrowed to 32-bit float, as the format stores them.
    void write(float* interleaved, std::int64_t frames);
    void write(double* interleaved, std::int64_t frames);

    // Completes the file and gives it its final name; throws Failure.
    void finish();

private:
    void checkWritten(std::int64_t written, std::int64_t wanted); // libsndfile's writes
    template <typename Sample>
    void writeIntegers(Sample* interleaved, std::int64_t frames);
    // Rounds the samples to m_bits-bit integers in m_integers (dithered as asked, clipped) and
    // gives interleaved the values they stand for.
    template <typename Sample>
    void roundToIntegers(Sample* interleaved, std::size_t count);
    double nextDither();

    PendingFile m_pending;
    AudioStream* m_file = nullptr;
    bool m_floatSamples = false;
    int m_bits = 0; // integer output: rounded here and handed over as 32-bit integers
    Dither m_dither;
    std::uint64_t m_random = 0;
    std::vector<float> m_narrow; // 64-bit samples on their way to a 32-bit float file
    std::vector<int> m_integers;
    int m_channels = 0;
};

} // namespace plughost
