// SPDX-License-Identifier: MIT
// One instance of a plug-in and the host side it talks to: the host core every plughost
// command drives plug-ins through.
//
// Lifecycle: the constructor calls the library's entry point with the host callback (the
// plug-in asks for the host version, and may ask for the sample rate, meanwhile) and checks the
// record; open() sends effOpen, the
// sample rate and the largest block size; resume() and suspend() bracket the processing calls
// (each resume() starts the transport at frame 0 again); restart() changes the rate and block
// size in between. close(), or the destructor, suspends if needed and sends effClose, after
// which the record is gone; leaveOpen() keeps the destructor from closing (for checks whose
// subject is not closing). The library must outlive its instances.
//
// The host callback answers from this instance's own state: the host version, the transport
// (playing from frame 0 of each run), the sample rate and block size, the process level, and
// takes the plug-in's requests: a new delay (audioMasterIOChanged), a new editor size
// (audioMasterSizeWindow) and automation (counted).
#pragma once

#include "PluginLibrary.h"
#include "Transport.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plughost {

// The plug-in's calls to the host callback, counted by kind. [any]
struct HostCallCounts {
    std::atomic<long> version{0};
    std::atomic<long> wantMidi{0};
    std::atomic<long> getTime{0};
    std::atomic<long> updateDisplay{0};
    std::atomic<long> automate{0};
    std::atomic<long> ioChanged{0};
    std::atomic<long> sizeWindow{0};
    std::atomic<long> other{0};
};

// An editor's size in pixels.
struct EditorSize {
    int width = 0;
    int height = 0;
    bool operator==(const EditorSize&) const = default;
};

class Plugin {
public:
    // The interface version this host reports.
    static constexpr VstIntPtr kHostVersion = 2400;
    // Largest channel count a plug-in may announce; anything above is taken as a broken record.
    static constexpr VstInt32 kMaxChannels = 1024;

    // Creates an instance and checks its record; throws Failure naming the cause. The host
    // answers sampleRate and blockSize from the start, so that a plug-in that asks for them
    // while it is created gets what open() will set.
    explicit Plugin(const PluginLibrary& library, double sampleRate = 44100.0,
                    VstInt32 blockSize = 1024);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    const AEffect& record() const { return *m_effect; }
    const std::string& path() const { return m_library.path(); }
    const std::string& entryName() const { return m_library.entryName(); }

    // Any request, as it is. [ui]
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    // A text the plug-in copies into a buffer far larger than any documented length.
    std::string text(VstInt32 opcode, VstInt32 index = 0);

    // Identity and capabilities.
    std::string effectName() { return text(effGetEffectName); }
    std::string vendorString() { return text(effGetVendorString); }
    std::string productString() { return text(effGetProductString); }
    VstIntPtr vendorVersion() { return dispatch(effGetVendorVersion); }
    VstIntPtr vstVersion() { return dispatch(effGetVstVersion); }
    VstIntPtr category() { return dispatch(effGetPlugCategory); }
    // 1 yes, -1 no, 0 does not know.
    VstIntPtr canDo(const std::string& capability);
    VstInt32 inputs() const { return m_effect->numInputs; }
    VstInt32 outputs() const { return m_effect->numOutputs; }
    VstInt32 parameterCount() const { return m_effect->numParams; }
    bool canReplacing() const { return m_effect->processReplacing != nullptr; }
    bool canDoubleReplacing() const;
    bool programsAreChunks() const { return (m_effect->flags & effFlagsProgramChunks) != 0; }
    bool hasEditor() const { return (m_effect->flags & effFlagsHasEditor) != 0; }

    // Parameters, by index in 0 .. parameterCount() - 1. [any]
    std::string parameterName(VstInt32 index) { return text(effGetParamName, index); }
    std::string parameterLabel(VstInt32 index) { return text(effGetParamLabel, index); }
    std::string parameterDisplay(VstInt32 index) { return text(effGetParamDisplay, index); }
    float parameter(VstInt32 index);
    void setParameter(VstInt32 index, float value);

    // effOpen, then the sample rate and the largest block that process() will be given.
    void open(double sampleRate, VstInt32 maxBlockSize);
    // Suspends if needed, sets the rate and block size, resumes.
    void restart(double sampleRate, VstInt32 maxBlockSize);
    void resume();
    void suspend();
    bool resumed() const { return m_resumed; }
    // effClose; nothing may be asked of the instance afterwards.
    void close();
    void leaveOpen() { m_leaveOpen = true; }
    double sampleRate() const { return m_sampleRate; }
    VstInt32 blockSize() const { return m_blockSize; }

    // The state chunk (effGetChunk) copied out, and restoring one (effSetChunk, from a copy of
    // data): the whole state (bank), or the current program's (preset) as program files hold
    // it. chunk() throws Failure for an answer that holds no data.
    std::vector<unsigned char> chunk(bool preset = false);
    void setChunk(const std::vector<unsigned char>& data, bool preset = false);
    std::string programName() { return text(effGetProgramName); }
    void setProgramName(const std::string& name);

    // One block of audio at the transport's next frame: playing from frame 0 of the run that
    // resume() started, or stopped (the transport held at 0) when playing is false. Marks the
    // calling thread as the audio thread. [audio]
    void process(float** inputs, float** outputs, VstInt32 frames, bool playing = true);
    void process(double** inputs, double** outputs, VstInt32 frames, bool playing = true);
    // Time spent inside the plug-in's processing entries.
    double processingSeconds() const;

    // The delay the plug-in announces between its input and its output, in frames, as its
    // record says now; see Latency.h for following it.
    VstInt32 reportedDelay() const {
        return m_effect->initialDelay > 0 ? m_effect->initialDelay : 0;
    }

    // The editor: its size (effEditGetRect; none when it gives no positive size), opened into
    // a host window (its platform handle; false when the plug-in refuses), idle ticks, closed.
    std::optional<EditorSize> editorSize();
    bool openEditor(void* window);
    void idleEditor() { dispatch(effEditIdle); }
    void closeEditor() { dispatch(effEditClose); }
    // The size the plug-in last asked its window to take (audioMasterSizeWindow), once.
    std::optional<EditorSize> takeSizeRequest();

    const HostCallCounts& hostCalls() const { return m_calls; }

private:
    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt);
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr);
    void checkRecord(const AEffect* effect) const;
    template <class Sample, class Entry>
    void call(Entry entry, Sample** inputs, Sample** outputs, VstInt32 frames, bool playing);

    const PluginLibrary& m_library;
    AEffect* m_effect = nullptr;
    Transport m_transport{44100.0};
    std::int64_t m_position = 0; // the transport's frame for the next block
    double m_sampleRate = 44100.0;
    VstInt32 m_blockSize = 1024;
    HostCallCounts m_calls;
    bool m_resumed = false;
    bool m_leaveOpen = false;
    std::optional<EditorSize> m_sizeRequest;
    std::chrono::steady_clock::duration m_processingTime{};
};

} // namespace plughost
