// SPDX-License-Identifier: MIT
#include "TestedPlugin.h"

#include "AllocationWatch.h"

#include <array>
#include <cstring>
#include <filesystem>

namespace plughost::validate {
namespace {

constexpr VstIntPtr kHostVersion = 2400;
constexpr VstInt32 kMaxChannels = 1024;
constexpr std::array<const char*, 3> kEntryNames{"VSTPluginMain", "main", "MAIN"};

// Answers the plug-in's calls; makes no allocation and takes no lock, since it is called on
// the audio thread too. [any]
VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr,
                                   float) {
    HostSide& host = hostSide();
    host.calls.fetch_add(1, std::memory_order_relaxed);
    switch (opcode) {
    case audioMasterVersion:
        return kHostVersion;
    case audioMasterAutomate:
        host.automations.fetch_add(1, std::memory_order_relaxed);
        return 0;
    case audioMasterGetTime:
        host.time.sampleRate = host.sampleRate.load();
        return reinterpret_cast<VstIntPtr>(&host.time);
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(host.sampleRate.load());
    case audioMasterGetBlockSize:
        return host.blockSize.load();
    case audioMasterGetCurrentProcessLevel:
        return onAudioThread() ? 2 : 1;
    case audioMasterGetVendorString:
    case audioMasterGetProductString:
        if (ptr != nullptr) std::memcpy(ptr, "plughost", 9);
        return 1;
    case audioMasterGetVendorVersion:
        return 1;
    default:
        return 0;
    }
}

} // namespace

HostSide& hostSide() {
    static HostSide host;
    return host;
}

PluginLibrary::PluginLibrary(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) throw PluginError{"no such file: " + path};
    std::string reason;
    if (!m_library.open(path, reason)) throw PluginError{"cannot load the library: " + reason};
    for (const char* name : kEntryNames) {
        if (void* address = m_library.symbol(name)) {
            m_entry = reinterpret_cast<VstPluginMainProc>(address);
            return;
        }
    }
    throw PluginError{"no VST entry point (looked for VSTPluginMain, main and MAIN)"};
}

AEffect* PluginLibrary::create() const {
    return m_entry(&hostCallback);
}

Instance::Instance(const PluginLibrary& library, double sampleRate, VstInt32 maxBlockSize) {
    AEffect* effect = library.create();
    if (effect == nullptr) throw PluginError{"the entry point returned no plug-in"};
    if (effect->magic != kEffectMagic) throw PluginError{"the record has the wrong magic"};
    if (effect->dispatcher == nullptr) throw PluginError{"the record has no dispatcher"};
    if (effect->numInputs < 0 || effect->numInputs > kMaxChannels || effect->numOutputs < 0 ||
        effect->numOutputs > kMaxChannels)
        throw PluginError{"the record announces " + std::to_string(effect->numInputs) +
                          " inputs and " + std::to_string(effect->numOutputs) + " outputs"};
    if (effect->numParams < 0 || (effect->numParams > 0 && (effect->getParameter == nullptr ||
                                                            effect->setParameter == nullptr)))
        throw PluginError{"the record's parameter count or entries are broken"};
    m_effect = effect;
    dispatch(effOpen);
    restart(sampleRate, maxBlockSize);
}

VstIntPtr Instance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) const {
    return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
}

bool Instance::hasDouble() const {
    return (m_effect->flags & effFlagsCanDoubleReplacing) != 0 &&
           m_effect->processDoubleReplacing != nullptr;
}

float Instance::parameter(VstInt32 index) const {
    return m_effect->getParameter(m_effect, index);
}

void Instance::setParameter(VstInt32 index, float value) const {
    m_effect->setParameter(m_effect, index, value);
}

void Instance::restart(double sampleRate, VstInt32 maxBlockSize) {
    if (m_resumed) suspend();
    hostSide().sampleRate = sampleRate;
    hostSide().blockSize = maxBlockSize;
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, maxBlockSize);
    resume();
}

void Instance::resume() {
    dispatch(effMainsChanged, 0, 1);
    m_resumed = true;
}

void Instance::suspend() {
    dispatch(effMainsChanged, 0, 0);
    m_resumed = false;
}

void Instance::close() {
    if (m_resumed) suspend();
    dispatch(effClose);
    m_effect = nullptr;
}

std::vector<unsigned char> Instance::chunk() const {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr) return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    return {bytes, bytes + size};
}

void Instance::setChunk(std::vector<unsigned char> data) const {
    dispatch(effSetChunk, 0, static_cast<VstIntPtr>(data.size()), data.data());
}

void Instance::process(float** inputs, float** outputs, VstInt32 frames) {
    if (m_effect->processReplacing == nullptr)
        throw PluginError{"the record has no 32-bit processing entry"};
    HostSide& host = hostSide();
    host.time.samplePos = static_cast<double>(m_position);
    host.time.flags = kVstTransportPlaying;
    {
        const AudioThreadScope audio;
        m_effect->processReplacing(m_effect, inputs, outputs, frames);
    }
    m_position += frames;
}

void Instance::process(double** inputs, double** outputs, VstInt32 frames) {
    HostSide& host = hostSide();
    host.time.samplePos = static_cast<double>(m_position);
    host.time.flags = kVstTransportPlaying;
    {
        const AudioThreadScope audio;
        m_effect->processDoubleReplacing(m_effect, inputs, outputs, frames);
    }
    m_position += frames;
}

} // namespace plughost::validate
