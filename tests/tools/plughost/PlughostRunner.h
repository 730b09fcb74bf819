// SPDX-License-Identifier: MIT
// Helpers for running the built plughost in a scratch folder and reading what it wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plughost::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path(const std::string& name) const { return m_path + "/" + name; }
    // Names of the entries, sorted; hidden ones included.
    std::vector<std::string> entries() const;

private:
    std::string m_path;
};

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs plughost with args; environment is prepended to the command ("NAME=value").
RunResult runPlughost(const std::vector<std::string>& args, const std::string& environment = "");

// Runs plughost and fails the current test if it does not succeed.
RunResult runPlughostOk(const std::vector<std::string>& args, const std::string& environment = "");

struct Audio {
    int channels = 0;
    int sampleRate = 0;
    std::int64_t frames = 0;
    std::vector<double> samples; // interleaved

    double at(std::int64_t frame, int channel) const {
        return samples[static_cast<std::size_t>(frame * channels + channel)];
    }
    double& at(std::int64_t frame, int channel) {
        return samples[static_cast<std::size_t>(frame * channels + channel)];
    }
    double rms(int channel) const;
    double peak(int channel) const;
};

// Reads a whole file as doubles; an unreadable file gives an Audio with 0 channels.
Audio readAudio(const std::string& path);
// Writes audio as a 32-bit float WAV file; fails the current test if it cannot.
void writeAudio(const std::string& path, const Audio& audio);
// Silence of the given shape, for tests to place samples in.
Audio silence(int channels, int sampleRate, std::int64_t frames);

std::string readText(const std::string& path);
void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> readBytes(const std::string& path);

std::vector<std::string> lines(const std::string& text);
bool contains(const std::string& text, const std::string& part);

double toDb(double ratio);

} // namespace plughost::testing
