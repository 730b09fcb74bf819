// SPDX-License-Identifier: MIT
// The plug-in under validation, driven through its host record only, as any host drives it.
//
// Lifecycle: PluginLibrary loads the library once per check process; each Instance calls its
// entry point with the validator's host callback, checks the record, sends effOpen, the sample
// rate and the largest block size; resume() and suspend() bracket processing; close() sends
// effClose, after which the record is gone. An Instance that was not closed is left open when
// the check's process ends: closing is the lifecycle check's subject.
#pragma once

#include "host/VstInterface.h"
#include "hostkit/DynamicLibrary.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace plughost::validate {

// Thrown when the plug-in cannot be loaded or created; the text says why.
struct PluginError {
    std::string text;
};

class PluginLibrary {
public:
    explicit PluginLibrary(const std::string& path); // throws PluginError
    // Calls the entry point with the validator's host callback; may answer null.
    AEffect* create() const;

private:
    hostkit::DynamicLibrary m_library;
    VstPluginMainProc m_entry = nullptr;
};

// What the host callback answers and counts; one per check process.
struct HostSide {
    std::atomic<double> sampleRate{44100.0};
    std::atomic<long> blockSize{512};
    std::atomic<long> automations{0};
    std::atomic<long> calls{0};
    VstTimeInfo time{}; // written and read on the audio thread only
};
HostSide& hostSide();

class Instance {
public:
    // Creates, checks and opens an instance; throws PluginError.
    Instance(const PluginLibrary& library, double sampleRate, VstInt32 maxBlockSize);
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    AEffect& record() const { return *m_effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const;

    VstInt32 inputs() const { return m_effect->numInputs; }
    VstInt32 outputs() const { return m_effect->numOutputs; }
    VstInt32 parameters() const { return m_effect->numParams; }
    bool hasDouble() const;
    bool hasChunks() const { return (m_effect->flags & effFlagsProgramChunks) != 0; }

    float parameter(VstInt32 index) const;
    void setParameter(VstInt32 index, float value) const;

    // Suspends if needed, sets the rate and block size, resumes.
    void restart(double sampleRate, VstInt32 maxBlockSize);
    void resume();
    void suspend();
    // effClose; the instance must not be used afterwards.
    void close();

    // The state chunk copied out (bank); empty when the plug-in answers none.
    std::vector<unsigned char> chunk() const;
    void setChunk(std::vector<unsigned char> data) const;

    // One processing call, marked as the audio thread and advancing the host's time. [audio]
    void process(float** inputs, float** outputs, VstInt32 frames);
    void process(double** inputs, double** outputs, VstInt32 frames);

private:
    AEffect* m_effect = nullptr;
    bool m_resumed = false;
    std::int64_t m_position = 0;
};

// Host buffers: `channels` channels of `frames` samples each, plus the pointer array.
template <class Sample>
struct Buffers {
    Buffers(int channelCount, int frameCount)
        : data(static_cast<std::size_t>(channelCount),
               std::vector<Sample>(static_cast<std::size_t>(frameCount))) {
        for (auto& channel : data)
            pointers.push_back(channel.data());
        if (pointers.empty()) pointers.push_back(nullptr);
    }
    Sample** channels() { return pointers.data(); }
    std::vector<std::vector<Sample>> data;
    std::vector<Sample*> pointers;
};

} // namespace plughost::validate
