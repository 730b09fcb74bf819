// SPDX-License-Identifier: MIT
// The Windows build of plughost, run as a user runs it: info on the trimmer, the editor's
// picture and the refusal of a plug-in without editor, and WAV files through the trimmer at
// unity gain (bit-exact for every sample type) and at -6 dB.
#include "TestHost.h"

#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <gdiplus.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct PlughostRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

std::string readFile(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, got);
        std::fclose(file);
    }
    return text;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A fresh folder for one test's files, removed with them.
class Scratch {
public:
    Scratch() {
        char base[MAX_PATH];
        GetTempPathA(sizeof base, base);
        m_path = std::string(base) + "plughost-test-" + std::to_string(GetCurrentProcessId()) +
                 "-" + std::to_string(s_count++);
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~Scratch() {
        WIN32_FIND_DATAA found{};
        const HANDLE search = FindFirstFileA((m_path + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do
                DeleteFileA(path(found.cFileName).c_str());
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(m_path.c_str());
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    std::string path(const std::string& name) const { return m_path + "\\" + name; }

private:
    static inline int s_count = 0;
    std::string m_path;
};

std::string quoted(const std::string& argument) {
    return "\"" + argument + "\""; // the paths and values used here hold no quotes
}

// Runs plughost.exe with arguments, standard output and error captured through files; fault:
// the broken test plug-in's (PLUGHOST_BROKEN_FAULT), if any.
PlughostRun runPlughost(const std::vector<std::string>& arguments, const char* fault = nullptr) {
    const Scratch captures;
    const std::string program = testhost::executableFolder() + "..\\bin\\" QT_PLUGHOST_FILE_NAME;
    std::string commandLine = quoted(program);
    for (const std::string& argument : arguments)
        commandLine.append(" ").append(quoted(argument));
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const std::string outPath = captures.path("out.txt");
    const std::string errPath = captures.path("err.txt");
    const HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                   CREATE_ALWAYS, 0, nullptr);
    const HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                   CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    PlughostRun run;
    SetEnvironmentVariableA("PLUGHOST_BROKEN_FAULT", fault);
    if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        ADD_FAILURE() << "cannot start " << program << " (error " << GetLastError() << ")";
    }
    SetEnvironmentVariableA("PLUGHOST_BROKEN_FAULT", nullptr);
    CloseHandle(out);
    CloseHandle(err);
    // Text written to a file by a Windows program ends its lines in CR LF.
    run.out = withoutCarriageReturns(readFile(outPath));
    run.err = withoutCarriageReturns(readFile(errPath));
    return run;
}

// ---- WAV files, written and read here independently of plughost's own code ---------------

struct Wav {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    bool floating = false;
    std::string data; // the sample bytes as stored
};

void putLittle(std::string& bytes, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i, value >>= 8)
        bytes.push_back(static_cast<char>(value & 0xFF));
}

void writeWav(const std::string& path, const Wav& wav) {
    std::string bytes = "RIFF";
    putLittle(bytes, static_cast<std::uint32_t>(36 + wav.data.size()), 4);
    bytes += "WAVEfmt ";
    putLittle(bytes, 16, 4);
    putLittle(bytes, wav.floating ? 3 : 1, 2);
    putLittle(bytes, static_cast<std::uint32_t>(wav.channels), 2);
    putLittle(bytes, static_cast<std::uint32_t>(wav.rate), 4);
    const int frameBytes = wav.channels * wav.bits / 8;
    putLittle(bytes, static_cast<std::uint32_t>(wav.rate * frameBytes), 4);
    putLittle(bytes, static_cast<std::uint32_t>(frameBytes), 2);
    putLittle(bytes, static_cast<std::uint32_t>(wav.bits), 2);
    bytes += "data";
    putLittle(bytes, static_cast<std::uint32_t>(wav.data.size()), 4);
    bytes += wav.data;
    writeFile(path, bytes);
}

std::uint32_t little(const std::string& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// Reads the format and data chunks wherever they are; channels 0 when it is no WAV file.
Wav readWav(const std::string& path) {
    const std::string bytes = readFile(path);
    Wav wav;
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return wav;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::uint32_t size = little(bytes, at + 4, 4);
        if (bytes.compare(at, 4, "fmt ") == 0) {
            wav.floating = little(bytes, at + 8, 2) == 3;
            wav.channels = static_cast<int>(little(bytes, at + 10, 2));
            wav.rate = static_cast<int>(little(bytes, at + 12, 4));
            wav.bits = static_cast<int>(little(bytes, at + 22, 2));
        } else if (bytes.compare(at, 4, "data") == 0) {
            wav.data = bytes.substr(at + 8, size);
        }
        at += 8 + size + (size & 1u);
    }
    return wav;
}

float floatAt(const Wav& wav, std::size_t index) {
    const std::uint32_t raw = little(wav.data, index * 4, 4);
    float value = 0;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

// 8 channels of a stepped ramp through the whole integer range, full scale at both ends
// included, so that every byte of a sample is exercised. Float ramps hold values a 32-bit float
// holds exactly, also in 64-bit files.
Wav rampWav(int bits, bool floating, int frames) {
    Wav wav{8, 48000, bits, floating, {}};
    const int sampleBytes = bits / 8;
    for (int frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < 8; ++channel) {
            const double position = static_cast<double>(frame * 8 + channel) / (frames * 8 - 1);
            if (floating) {
                const auto value = static_cast<float>(position * 2.0 - 1.0);
                if (bits == 64) {
                    const double wide = value;
                    std::uint64_t raw = 0;
                    std::memcpy(&raw, &wide, sizeof raw);
                    putLittle(wav.data, static_cast<std::uint32_t>(raw), 4);
                    putLittle(wav.data, static_cast<std::uint32_t>(raw >> 32), 4);
                } else {
                    std::uint32_t raw = 0;
                    std::memcpy(&raw, &value, sizeof raw);
                    putLittle(wav.data, raw, 4);
                }
            } else {
                const double top = std::ldexp(1.0, bits - 1);
                const double value = std::floor(-top + position * (2.0 * top - 1.0));
                // 8-bit WAV samples are unsigned, the others signed.
                const double stored = bits == 8 ? value + 128.0 : value;
                putLittle(wav.data, static_cast<std::uint32_t>(static_cast<std::int64_t>(stored)),
                          sampleBytes);
            }
        }
    }
    return wav;
}

const std::string& trimmer() {
    static const std::string path = testhost::pluginPath(QT_TRIMMER_DLL);
    return path;
}

// ---- info ---------------------------------------------------------------------------------

TEST(PlughostInfo, NamesTheTrimmerItsChannelsAndParameters) {
    const PlughostRun run = runPlughost({"info", trimmer()});
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_NE(run.out.find("name            Qualtrevin_multi-channel_level_trimmer_4x_stereo\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("inputs          8\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("outputs         8\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("parameters      4\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("    3  level stereo 4            0.00"), std::string::npos) << run.out;
}

TEST(PlughostInfo, ALibraryThatDoesNotLoadFailsWithOneLine) {
    const Scratch scratch;
    const std::string missing = scratch.path("missing.dll");
    const PlughostRun run = runPlughost({"info", missing});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("plughost: ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

// ---- process ------------------------------------------------------------------------------

TEST(PlughostProcess, UnityGainIsBitExactForEveryWavSampleType) {
    const Scratch scratch;
    for (const auto& [bits, floating] : std::vector<std::pair<int, bool>>{
             {8, false}, {16, false}, {24, false}, {32, false}, {32, true}, {64, true}}) {
        SCOPED_TRACE(std::to_string(bits) + (floating ? "-bit float" : "-bit integer"));
        const Wav input = rampWav(bits, floating, 3000);
        const std::string in = scratch.path("in.wav");
        const std::string out = scratch.path("out.wav");
        writeWav(in, input);
        // 32-bit integers survive 64-bit processing only; the others 32-bit processing too.
        const PlughostRun run =
            runPlughost({"process", trimmer(), "-i", in, "-o", out, "--keep-format", "--precision",
                         bits == 32 && !floating ? "64" : "32"});
        ASSERT_EQ(run.exitCode, 0u) << run.err;
        const Wav output = readWav(out);
        EXPECT_EQ(output.channels, 8);
        EXPECT_EQ(output.rate, 48000);
        EXPECT_EQ(output.bits, bits);
        EXPECT_EQ(output.floating, floating);
        EXPECT_TRUE(output.data == input.data) << "the samples changed";
    }
}

TEST(PlughostProcess, MinusSixDecibelsScalesTheFirstPairOnly) {
    const Scratch scratch;
    const Wav input = rampWav(32, true, 2000);
    const std::string in = scratch.path("in.wav");
    const std::string out = scratch.path("out.wav");
    writeWav(in, input);
    const PlughostRun run =
        runPlughost({"process", trimmer(), "-i", in, "-o", out, "--param", "level stereo 1=-6dB"});
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    const Wav output = readWav(out);
    ASSERT_EQ(output.channels, 8);
    ASSERT_TRUE(output.floating);
    ASSERT_EQ(output.data.size(), input.data.size());
    const double gain = std::pow(10.0, -6.0 / 20.0);
    int scaled = 0;
    for (std::size_t i = 0; i < input.data.size() / 4; ++i) {
        const double before = floatAt(input, i);
        const double after = floatAt(output, i);
        if (i % 8 < 2) {
            EXPECT_NEAR(after, before * gain, 1e-6) << "sample " << i;
            scaled += before != 0 ? 1 : 0;
        } else {
            EXPECT_EQ(after, before) << "sample " << i;
        }
    }
    EXPECT_GT(scaled, 3000);
}

TEST(PlughostProcess, ReadsTheExtensibleLayoutAndWritesPlainWav) {
    const Scratch scratch;
    const Wav plain = rampWav(24, false, 500);
    // The same samples with a 40-byte format chunk: tag 0xFFFE, the sample kind in the GUID.
    std::string bytes = "RIFF";
    putLittle(bytes, static_cast<std::uint32_t>(60 + plain.data.size()), 4);
    bytes += "WAVEfmt ";
    putLittle(bytes, 40, 4);
    putLittle(bytes, 0xFFFE, 2);
    putLittle(bytes, 8, 2);
    putLittle(bytes, 48000, 4);
    putLittle(bytes, 48000 * 24, 4);
    putLittle(bytes, 24, 2);
    putLittle(bytes, 24, 2);
    putLittle(bytes, 22, 2); // extension size
    putLittle(bytes, 24, 2); // valid bits
    putLittle(bytes, 0, 4);  // channel mask
    const unsigned char pcmGuid[16] = {1,    0, 0, 0,    0, 0,    0x10, 0,
                                       0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    bytes.append(reinterpret_cast<const char*>(pcmGuid), sizeof pcmGuid);
    bytes += "data";
    putLittle(bytes, static_cast<std::uint32_t>(plain.data.size()), 4);
    bytes += plain.data;
    const std::string in = scratch.path("in.wav");
    const std::string out = scratch.path("out.wav");
    ASSERT_NO_FATAL_FAILURE(writeFile(in, bytes));
    const PlughostRun run =
        runPlughost({"process", trimmer(), "-i", in, "-o", out, "--keep-format"});
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_NE(run.out.find("WAVEX (Microsoft), Signed 24 bit PCM"), std::string::npos) << run.out;
    const Wav output = readWav(out);
    EXPECT_EQ(output.bits, 24);
    EXPECT_FALSE(output.floating);
    EXPECT_TRUE(output.data == plain.data) << "the samples changed";
}

TEST(PlughostProcess, ACutOffFileIsProcessedAsFarAsItGoesWithAWarning) {
    const Scratch scratch;
    Wav input = rampWav(16, false, 1000);
    const std::string in = scratch.path("in.wav");
    const std::string out = scratch.path("out.wav");
    writeWav(in, input);
    // The header announces 1000 frames; the file ends after 600 of them.
    std::string bytes = readFile(in);
    bytes.resize(44 + 600 * 16);
    ASSERT_NO_FATAL_FAILURE(writeFile(in, bytes));
    const PlughostRun run =
        runPlughost({"process", trimmer(), "-i", in, "-o", out, "--keep-format"});
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_NE(run.err.find("its header announces 1000 frames"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("it holds 600"), std::string::npos) << run.err;
    const Wav output = readWav(out);
    EXPECT_TRUE(output.data == input.data.substr(0, 600 * 16)) << "the frames that are there";
}

TEST(PlughostProcess, OtherContainersAreRefusedAndLeaveNoFile) {
    const Scratch scratch;
    const std::string in = scratch.path("in.wav");
    writeWav(in, rampWav(16, false, 100));
    for (const char* name : {"out.aiff", "out.flac"}) {
        const PlughostRun run =
            runPlughost({"process", trimmer(), "-i", in, "-o", scratch.path(name)});
        EXPECT_EQ(run.exitCode, 1u) << name;
        EXPECT_NE(run.err.find("writes WAV files only"), std::string::npos) << run.err;
        EXPECT_FALSE(exists(scratch.path(name)));
    }
}

TEST(PlughostProcess, APluginThatCrashesIsNamedAndLeavesNoFileBehind) {
    const Scratch scratch;
    const std::string in = scratch.path("in.wav");
    const std::string out = scratch.path("out.wav");
    writeWav(in, rampWav(16, false, 100));
    const PlughostRun run =
        runPlughost({"process", testhost::pluginPath(QT_CRASHING_DLL), "-i", in, "-o", out});
    EXPECT_EQ(run.exitCode, 0xC0000005u) << "the exception's code, as Windows reports a crash";
    EXPECT_EQ(run.err, "plughost: the plug-in crashed (invalid memory access, 0xC0000005)\n");
    WIN32_FIND_DATAA found{};
    int files = 0;
    const HANDLE search = FindFirstFileA(scratch.path("*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do
        files += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? 1 : 0;
    while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(files, 1) << "only the input: no output and no temporary file";
}

// ---- validate -----------------------------------------------------------------------------

// The report of a check: its line ("  FAIL     lifecycle      0.41 s", status and name as its
// first two words) and the indented lines under it.
std::string checkReport(const std::string& out, const std::string& check) {
    std::string report;
    bool inside = false;
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = std::min(out.find('\n', start), out.size());
        const std::string line = out.substr(start, end - start);
        start = end + 1;
        if (line.rfind("           ", 0) == 0) { // a finding under the current check
            if (inside) report += "\n" + line;
            continue;
        }
        char status[16] = {};
        char name[32] = {};
        inside = std::sscanf(line.c_str(), " %15s %31s", status, name) == 2 && check == name;
        if (inside) report = line;
    }
    return report;
}

std::string statusOf(const std::string& out, const std::string& check) {
    char status[16] = {};
    return std::sscanf(checkReport(out, check).c_str(), " %15s", status) == 1 ? status : "";
}

TEST(PlughostValidate, TheTrimmerPassesEveryCheckOnlyAllocationCountingIsSkipped) {
    const PlughostRun run =
        runPlughost({"validate", trimmer(), "--level", "10", "--seconds", "0.2"});
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
    for (const char* check :
         {"parameters", "state", "buffers", "instances", "lifecycle", "threads"})
        EXPECT_EQ(statusOf(run.out, check), "pass") << check << "\n" << run.out;
    EXPECT_EQ(statusOf(run.out, "identity"), "warning") << run.out;
    EXPECT_EQ(statusOf(run.out, "processing"), "warning") << "subnormal output, by design";
    EXPECT_NE(checkReport(run.out, "realtime").find("allocations cannot be counted"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(statusOf(run.out, "realtime"), "skipped");
    EXPECT_NE(run.out.find("summary: 8 of 10 checks passed (2 with warnings), 0 failed, 2 skipped"),
              std::string::npos)
        << run.out;
}

struct BrokenCase {
    const char* fault;
    const char* check;   // the check that must fail
    const char* message; // part of its failure text
};

// Test names show the fault, not the record's bytes.
void PrintTo(const BrokenCase& broken, std::ostream* out) {
    *out << broken.fault;
}

class BrokenPlugin : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenPlugin, FailsTheCheckForItsFaultInAProcessOfItsOwn) {
    const BrokenCase& broken = GetParam();
    const PlughostRun run =
        runPlughost({"validate", testhost::pluginPath("plughost_broken.dll"), "--level", "10",
                     "--only", broken.check, "--seconds", "0.2"},
                    broken.fault);
    EXPECT_EQ(run.exitCode, 1u) << run.out;
    EXPECT_EQ(statusOf(run.out, broken.check), "FAIL") << run.out;
    EXPECT_NE(checkReport(run.out, broken.check).find(broken.message), std::string::npos)
        << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenPlugin,
    ::testing::Values(
        BrokenCase{"TextOverflow", "identity", "runs past the 64 bytes of the largest host buffer"},
        BrokenCase{"NonFiniteOutput", "processing",
                   "NaN or infinite output: 1024 samples (32-bit, 44.1 kHz, blocks "
                   "of 1 frame, separate buffers, silence input"},
        BrokenCase{"StateNotRestored", "state",
                   "after restoring the chunk, a parameter differs from the one "
                   "saved"},
        BrokenCase{"CrashOnClose", "lifecycle",
                   "crashed (invalid memory access, 0xC0000005) while closing the "
                   "plug-in (cycle 1)"},
        BrokenCase{"LeakPerInstance", "lifecycle", "memory in use grows with every cycle"},
        BrokenCase{"WritesPastEnd", "buffers",
                   "the plug-in wrote past the end of the buffers of a processing "
                   "call"},
        BrokenCase{"CrashesAt8192", "processing",
                   "while processing 32-bit, 44.1 kHz, blocks of 8192 frames"}),
    [](const auto& test) { return std::string(test.param.fault); });

TEST(PlughostValidate, AHangFailsItsCheckAfterTheTimeOut) {
    const PlughostRun run =
        runPlughost({"validate", testhost::pluginPath("plughost_broken.dll"), "--only",
                     "processing", "--timeout", "2", "--seconds", "0.1"},
                    "HangsInProcess");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(checkReport(run.out, "processing")
                  .find("timed out after 2 s while processing 32-bit, 44.1 kHz, blocks of 7 "
                        "frames, separate buffers, silence input"),
              std::string::npos)
        << run.out;
}

TEST(PlughostValidate, AFileThatIsNoPluginIsRefusedInOneLineWithStatusThree) {
    const Scratch scratch;
    const PlughostRun run = runPlughost({"validate", scratch.path("missing.dll")});
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

TEST(PlughostValidate, AllocationsOnTheAudioThreadAreReportedAsNotCounted) {
    // Not interposed on Windows: said so, never passed.
    const PlughostRun run = runPlughost({"validate", testhost::pluginPath("plughost_broken.dll"),
                                         "--level", "10", "--only", "realtime", "--seconds", "0.2"},
                                        "AllocatesInProcess");
    EXPECT_EQ(run.exitCode, 0u) << run.out;
    EXPECT_EQ(statusOf(run.out, "realtime"), "skipped") << run.out;
}

// ---- editor -------------------------------------------------------------------------------

// Width and height of a picture file, read back through GDI+.
std::pair<UINT, UINT> pictureSize(const std::string& path) {
    namespace flat = Gdiplus::DllExports;
    ULONG_PTR token = 0;
    const Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return {0, 0};
    const std::wstring widePath(path.begin(), path.end());
    Gdiplus::GpBitmap* bitmap = nullptr;
    UINT width = 0;
    UINT height = 0;
    if (flat::GdipCreateBitmapFromFile(widePath.c_str(), &bitmap) == Gdiplus::Ok) {
        flat::GdipGetImageWidth(bitmap, &width);
        flat::GdipGetImageHeight(bitmap, &height);
        flat::GdipDisposeImage(bitmap);
    }
    Gdiplus::GdiplusShutdown(token);
    return {width, height};
}

// An editor that gives its size only once open, and one that asks for another size while it
// runs: the window, and its picture, follow.
TEST(PlughostEditor, TheWindowFollowsTheEditorsSize) {
    for (const auto& [mode, size] : {std::pair{"late", std::pair<UINT, UINT>{320, 200}},
                                     std::pair{"resize", std::pair<UINT, UINT>{300, 150}}}) {
        const Scratch scratch;
        const std::string picture = scratch.path("editor.png");
        SetEnvironmentVariableA("PLUGHOST_SIZING_EDITOR", mode);
        const PlughostRun run = runPlughost({"editor", testhost::pluginPath(QT_SIZING_EDITOR_DLL),
                                             "--seconds", "0.3", "--screenshot", picture});
        SetEnvironmentVariableA("PLUGHOST_SIZING_EDITOR", nullptr);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(pictureSize(picture), size) << mode;
    }
}

TEST(PlughostEditor, RefusesAPluginWithoutEditorWithOneLine) {
    const Scratch scratch;
    const std::string picture = scratch.path("no-editor.png");
    const PlughostRun run = runPlughost({"editor", trimmer(), "--screenshot", picture});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.err, "plughost: " + trimmer() + ": the plug-in has no editor\n");
    EXPECT_FALSE(exists(picture));
}

#ifdef QT_EDITOR_DLL
TEST(PlughostEditor, TakesAPictureOfTheEditorAreaInTheEffectsColour) {
    const Scratch scratch;
    const std::string picture = scratch.path("editor.png");
    const PlughostRun run = runPlughost({"editor", testhost::pluginPath(QT_EDITOR_DLL), "--seconds",
                                         "0.3", "--screenshot", picture});
    ASSERT_EQ(run.exitCode, 0u) << run.err;

    namespace flat = Gdiplus::DllExports;
    ULONG_PTR token = 0;
    const Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    const std::wstring widePicture(picture.begin(), picture.end());
    Gdiplus::GpBitmap* bitmap = nullptr;
    ASSERT_EQ(flat::GdipCreateBitmapFromFile(widePicture.c_str(), &bitmap), Gdiplus::Ok);
    UINT width = 0;
    UINT height = 0;
    flat::GdipGetImageWidth(bitmap, &width);
    flat::GdipGetImageHeight(bitmap, &height);
    EXPECT_EQ(width, 400u);
    EXPECT_EQ(height, 300u);
    const Gdiplus::GpRect area(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData pixels{};
    ASSERT_EQ(flat::GdipBitmapLockBits(bitmap, &area, Gdiplus::ImageLockModeRead,
                                       PixelFormat32bppARGB, &pixels),
              Gdiplus::Ok);
    long green = 0;
    std::uint32_t other = 0;
    for (UINT y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const unsigned char*>(pixels.Scan0) + static_cast<long>(y) * pixels.Stride);
        for (UINT x = 0; x < width; ++x) {
            if ((row[x] & 0xFFFFFFu) == 0x3F7F2Fu)
                ++green;
            else
                other = row[x];
        }
    }
    flat::GdipBitmapUnlockBits(bitmap, &pixels);
    flat::GdipDisposeImage(bitmap);
    Gdiplus::GdiplusShutdown(token);
    EXPECT_EQ(green, 400L * 300L) << "another colour: 0x" << std::hex << other;
}
#endif

} // namespace
