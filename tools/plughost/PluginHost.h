// SPDX-License-Identifier: MIT
// One loaded plug-in and the host side it talks to.
//
// Lifecycle, as plughost drives it: the library is loaded and its entry point called with the
// host callback (the plug-in asks for the host version meanwhile); the record is checked; open()
// sends effOpen, the sample rate and the block size; resume() and suspend() bracket the
// processing calls; the destructor suspends if needed, sends effClose (after which the record is
// gone) and only then unloads the library. Everything runs on the one thread of the tool.
#pragma once

#include "Transport.h"
#include "host/VstInterface.h"
#include "hostkit/DynamicLibrary.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace plughost {

// The plug-in's calls to the host callback, counted by kind.
struct HostCallCounts {
    long version = 0;
    long wantMidi = 0;
    long getTime = 0;
    long updateDisplay = 0;
    long automate = 0;
    long ioChanged = 0;
    long other = 0;
};

class PluginHost {
public:
    // The interface version this host reports.
    static constexpr VstIntPtr kHostVersion = 2400;
    // Largest channel count a plug-in may announce; anything above is taken as a broken record.
    static constexpr VstInt32 kMaxChannels = 1024;

    // Loads the library at path and creates the plug-in; throws Failure naming the cause.
    explicit PluginHost(const std::string& path);
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    const AEffect& record() const { return *m_effect; }
    // The exported name the plug-in was created through.
    const std::string& entryName() const { return m_entryName; }

    // Identity and capabilities.
    std::string effectName();
    std::string vendorString();
    std::string productString();
    VstIntPtr vendorVersion();
    VstIntPtr vstVersion();
    VstIntPtr category();
    // 1 yes, -1 no, 0 does not know.
    VstIntPtr canDo(const std::string& capability);
    bool canReplacing() const { return m_effect->processReplacing != nullptr; }
    bool canDoubleReplacing() const;
    bool programsAreChunks() const { return (m_effect->flags & effFlagsProgramChunks) != 0; }

    // Parameters, by index in 0 .. numParams - 1.
    std::string parameterName(VstInt32 index);
    std::string parameterLabel(VstInt32 index);
    std::string parameterDisplay(VstInt32 index);
    float parameter(VstInt32 index);
    void setParameter(VstInt32 index, float value);

    // effOpen, then the sample rate and the largest block that process() will be given.
    void open(double sampleRate, VstInt32 maxBlockSize);
    void resume();
    void suspend();

    // The state chunk (effGetChunk) copied out, and restoring one (effSetChunk): the whole
    // state (bank), or the current program's (preset) as program files hold it.
    std::vector<unsigned char> chunk(bool preset = false);
    void setChunk(const std::vector<unsigned char>& data, bool preset = false);
    // The current program's name.
    std::string programName();
    void setProgramName(const std::string& name);

    // One block of audio; position is the file frame of the block's first frame.
    void process(float** inputs, float** outputs, VstInt32 frames, std::int64_t position);
    void process(double** inputs, double** outputs, VstInt32 frames, std::int64_t position);

    // The delay the plug-in announces between its input and its output, in frames. Plug-ins
    // often fill it in only when resumed, so it is read after resume(), and again after the
    // plug-in says its input and output setup changed (latencyChanged() then answers true once).
    VstInt32 latency() const { return m_effect->initialDelay > 0 ? m_effect->initialDelay : 0; }
    bool latencyChanged() { return std::exchange(m_ioChanged, false); }

    // Time spent inside the plug-in's processing entries.
    double processingSeconds() const;
    const HostCallCounts& hostCalls() const { return m_calls; }

private:
    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt);
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    std::string text(VstInt32 opcode, VstInt32 index = 0);
    void checkRecord(const std::string& path, const AEffect* effect) const;

    hostkit::DynamicLibrary m_library; // declared first: unloaded after everything else
    AEffect* m_effect = nullptr;
    std::string m_entryName;
    Transport m_transport{44100.0};
    HostCallCounts m_calls;
    bool m_resumed = false;
    bool m_ioChanged = false;
    std::chrono::steady_clock::duration m_processingTime{};
};

} // namespace plughost
