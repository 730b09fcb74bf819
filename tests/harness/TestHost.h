// SPDX-License-Identifier: MIT
// A scriptable host for tests: loads a plug-in library by path and finds its exported entries
// the way plughost's host core does (core/PluginLibrary.h), and drives it through the host
// record only. The host callback records every call and answers the version, time information
// or null as the test sets it up.
#pragma once

#include "core/ChannelBuffers.h"
#include "core/PluginLibrary.h"
#include "host/VstInterface.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace testhost {

// Folder of the running test program, with a trailing separator.
std::string executableFolder();
// A library next to the test programs' plug-in folder (built by this project).
std::string pluginPath(const std::string& fileName);
// The level trimmer as built by this project.
std::string trimmerPath();

struct HostCall {
    bool withRecord;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

class TestHost {
public:
    // Loads the library; a failure is a test failure, reported by loaded().
    explicit TestHost(const std::string& library = trimmerPath());
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    bool loaded() const { return m_library != nullptr; }
    const std::string& loadError() const { return m_loadError; }

    // Calls the named exported entry with this host's callback (or with `callback`).
    AEffect* create(const char* entry = "VSTPluginMain");
    AEffect* createWithCallback(const char* entry, audioMasterCallback callback);

    VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    // Text answered through a 256-byte buffer pre-filled with 'X' guard bytes.
    std::string text(AEffect* effect, VstInt32 opcode, VstInt32 index = 0);
    // effClose; the record is gone afterwards.
    VstIntPtr close(AEffect* effect);
    // effOpen, sample rate, block size, resume.
    void start(AEffect* effect, float sampleRate = 48000.0f, VstIntPtr blockSize = 512);

    // ---- the host callback's answers ---------------------------------------------------------
    VstIntPtr versionAnswer = 2400;
    bool giveTimeInfo = true;
    VstTimeInfo timeInfo{};
    VstIntPtr updateDisplayAnswer = 1;
    // When false, calls are only counted (no allocation on the audio thread).
    bool recordCalls = true;

    std::vector<HostCall> calls;
    int count(VstInt32 opcode) const;
    // Calls of `opcode` asking with request value `value`.
    int count(VstInt32 opcode, VstIntPtr value) const;
    void clearCalls();

    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);

private:
    VstIntPtr answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt);

    std::unique_ptr<plughost::PluginLibrary> m_library;
    std::string m_loadError;
    std::vector<AEffect*> m_open;
    std::array<int, 128> m_opcodeCounts{};
};

// Channels of `frames` samples each, as host buffers.
template <class Sample>
using ChannelBuffers = plughost::ChannelBuffers<Sample>;

} // namespace testhost
