// SPDX-License-Identifier: MIT
#include "PlughostRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sndfile.h>
#include <sstream>
#include <sys/wait.h>

namespace plughost::testing {
namespace {

std::string shellQuoted(const std::string& text) {
    std::string quotedText = "'";
    for (char c : text)
        quotedText += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quotedText + "'";
}

} // namespace

ScratchFolder::ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "plughost-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

std::vector<std::string> ScratchFolder::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

RunResult runPlughost(const std::vector<std::string>& args, const std::string& environment) {
    const ScratchFolder captures;
    std::string command = environment;
    command.append(" ").append(shellQuoted(PLUGHOST_EXE));
    for (const std::string& arg : args)
        command.append(" ").append(shellQuoted(arg));
    command.append(" >").append(shellQuoted(captures.path("out")));
    command.append(" 2>").append(shellQuoted(captures.path("err"))).append(" </dev/null");
    const int status = std::system(command.c_str());
    RunResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readText(captures.path("out"));
    result.err = readText(captures.path("err"));
    return result;
}

RunResult runPlughostOk(const std::vector<std::string>& args, const std::string& environment) {
    RunResult result = runPlughost(args, environment);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result;
}

double Audio::rms(int channel) const {
    double sum = 0.0;
    for (std::int64_t j = 0; j < frames; ++j)
        sum += at(j, channel) * at(j, channel);
    return frames > 0 ? std::sqrt(sum / static_cast<double>(frames)) : 0.0;
}

double Audio::peak(int channel) const {
    double peak = 0.0;
    for (std::int64_t j = 0; j < frames; ++j)
        peak = std::max(peak, std::fabs(at(j, channel)));
    return peak;
}

Audio readAudio(const std::string& path) {
    Audio audio;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) return audio;
    audio.channels = info.channels;
    audio.sampleRate = info.samplerate;
    audio.frames = info.frames;
    audio.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    audio.frames = sf_readf_double(file, audio.samples.data(), info.frames);
    sf_close(file);
    return audio;
}

void writeAudio(const std::string& path, const Audio& audio) {
    SF_INFO info{};
    info.channels = audio.channels;
    info.samplerate = audio.sampleRate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << path;
    EXPECT_EQ(sf_writef_double(file, audio.samples.data(), audio.frames), audio.frames);
    sf_close(file);
}

Audio silence(int channels, int sampleRate, std::int64_t frames) {
    Audio audio;
    audio.channels = channels;
    audio.sampleRate = sampleRate;
    audio.frames = frames;
    audio.samples.assign(static_cast<std::size_t>(frames * channels), 0.0);
    return audio;
}

std::string readText(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

double toDb(double ratio) {
    return 20.0 * std::log10(ratio);
}

} // namespace plughost::testing
