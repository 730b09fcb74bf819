// SPDX-License-Identifier: MIT
#include "PluginHost.h"

#include "Failure.h"
#include "SignalCleanup.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace plughost {
namespace {

// Plug-ins copy their texts into the host's buffers without a bound; this one is far larger
// than any of the interface's documented lengths.
constexpr std::size_t kTextCapacity = 1024;

constexpr std::array<const char*, 3> kEntryNames{"VSTPluginMain", "main", "MAIN"};

// The plug-in being created: its callbacks arrive before the host knows its record.
thread_local PluginHost* t_creating = nullptr;

std::string fourCharacters(VstInt32 value) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c =
            static_cast<unsigned char>((static_cast<std::uint32_t>(value) >> shift) & 0xFF);
        text += std::isprint(c) != 0 ? static_cast<char>(c) : '?';
    }
    return text;
}

std::string hex(VstInt32 value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
    return buffer;
}

} // namespace

PluginHost::PluginHost(const std::string& path) {
    const std::string what = "plug-in " + quote(path);
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        throw Failure("cannot load " + what + ": no such file");
    std::string reason;
    if (!m_library.open(path, reason)) throw Failure("cannot load " + what + ": " + reason);

    VstPluginMainProc entry = nullptr;
    for (const char* name : kEntryNames) {
        if (void* address = m_library.symbol(name)) {
            entry = reinterpret_cast<VstPluginMainProc>(address);
            m_entryName = name;
            break;
        }
    }
    if (entry == nullptr)
        throw Failure("cannot load " + what +
                      ": no VST entry point (looked for VSTPluginMain, main and MAIN)");

    t_creating = this;
    AEffect* effect = nullptr;
    {
        const InsidePlugin inside;
        effect = entry(&PluginHost::hostCallback);
    }
    t_creating = nullptr;
    checkRecord(path, effect);
    m_effect = effect;
    m_effect->user = this;
}

PluginHost::~PluginHost() {
    if (m_effect == nullptr) return;
    if (m_resumed) suspend();
    dispatch(effClose);
    m_effect = nullptr;
}

void PluginHost::checkRecord(const std::string& path, const AEffect* effect) const {
    const std::string what = "plug-in " + quote(path) + ": ";
    if (effect == nullptr)
        throw Failure(what + "entry point " + m_entryName + " returned no plug-in");
    if (effect->magic != kEffectMagic)
        throw Failure(what + "wrong magic " + hex(effect->magic) + " ('" +
                      fourCharacters(effect->magic) + "'), expected " + hex(kEffectMagic) +
                      " ('VstP')");
    if (effect->dispatcher == nullptr) throw Failure(what + "its record has no dispatcher");
    const auto checkCount = [&](VstInt32 count, const char* name) {
        if (count < 0 || count > kMaxChannels)
            throw Failure(what + "its record announces " + std::to_string(count) + " " + name +
                          " (0 to " + std::to_string(kMaxChannels) + " are supported)");
    };
    checkCount(effect->numInputs, "inputs");
    checkCount(effect->numOutputs, "outputs");
    if (effect->numParams < 0)
        throw Failure(what + "its record announces " + std::to_string(effect->numParams) +
                      " parameters");
    if (effect->numParams > 0 &&
        (effect->getParameter == nullptr || effect->setParameter == nullptr))
        throw Failure(what + "its record has parameters but no parameter entries");
}

// ---------------------------------------------------------------------------------------------
// Host callback

VstIntPtr VSTCALLBACK PluginHost::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32,
                                               VstIntPtr, void*, float) {
    PluginHost* host = effect != nullptr && effect->user != nullptr
                           ? static_cast<PluginHost*>(effect->user)
                           : t_creating;
    if (host == nullptr) return opcode == audioMasterVersion ? kHostVersion : 0;
    HostCallCounts& calls = host->m_calls;
    switch (opcode) {
    case audioMasterVersion:
        ++calls.version;
        return kHostVersion;
    case audioMasterGetTime:
        ++calls.getTime;
        return reinterpret_cast<VstIntPtr>(host->m_transport.info());
    case audioMasterWantMidi:
        ++calls.wantMidi;
        return 0;
    case audioMasterUpdateDisplay:
        ++calls.updateDisplay;
        return 0;
    case audioMasterAutomate:
        ++calls.automate;
        return 0;
    case audioMasterIOChanged:
        ++calls.ioChanged;
        host->m_ioChanged = true;
        return 1;
    default:
        ++calls.other;
        return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Requests

VstIntPtr PluginHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
    const InsidePlugin inside;
    return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
}

std::string PluginHost::text(VstInt32 opcode, VstInt32 index) {
    std::array<char, kTextCapacity> buffer{};
    dispatch(opcode, index, 0, buffer.data());
    buffer.back() = '\0';
    return buffer.data();
}

std::string PluginHost::effectName() {
    return text(effGetEffectName);
}
std::string PluginHost::vendorString() {
    return text(effGetVendorString);
}
std::string PluginHost::productString() {
    return text(effGetProductString);
}
VstIntPtr PluginHost::vendorVersion() {
    return dispatch(effGetVendorVersion);
}
VstIntPtr PluginHost::vstVersion() {
    return dispatch(effGetVstVersion);
}
VstIntPtr PluginHost::category() {
    return dispatch(effGetPlugCategory);
}

VstIntPtr PluginHost::canDo(const std::string& capability) {
    std::string copy = capability; // the dispatcher takes a non-const pointer
    return dispatch(effCanDo, 0, 0, copy.data());
}

bool PluginHost::canDoubleReplacing() const {
    return (m_effect->flags & effFlagsCanDoubleReplacing) != 0 &&
           m_effect->processDoubleReplacing != nullptr;
}

std::string PluginHost::parameterName(VstInt32 index) {
    return text(effGetParamName, index);
}
std::string PluginHost::parameterLabel(VstInt32 index) {
    return text(effGetParamLabel, index);
}
std::string PluginHost::parameterDisplay(VstInt32 index) {
    return text(effGetParamDisplay, index);
}

float PluginHost::parameter(VstInt32 index) {
    const InsidePlugin inside;
    return m_effect->getParameter(m_effect, index);
}

void PluginHost::setParameter(VstInt32 index, float value) {
    const InsidePlugin inside;
    m_effect->setParameter(m_effect, index, value);
}

void PluginHost::open(double sampleRate, VstInt32 maxBlockSize) {
    m_transport = Transport(sampleRate);
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, maxBlockSize);
}

void PluginHost::resume() {
    dispatch(effMainsChanged, 0, 1);
    m_resumed = true;
}

void PluginHost::suspend() {
    dispatch(effMainsChanged, 0, 0);
    m_resumed = false;
}

std::vector<unsigned char> PluginHost::chunk(bool preset) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
    if (size < 0 || (size > 0 && data == nullptr))
        throw Failure("the plug-in answered a state chunk of " + std::to_string(size) + " bytes" +
                      (data == nullptr ? " without its data" : ""));
    const auto* bytes = static_cast<const unsigned char*>(data);
    return {bytes, bytes + size};
}

void PluginHost::setChunk(const std::vector<unsigned char>& data, bool preset) {
    // The plug-in copies the bytes before it returns; it never writes to them.
    dispatch(effSetChunk, preset ? 1 : 0, static_cast<VstIntPtr>(data.size()),
             const_cast<unsigned char*>(data.data()));
}

std::string PluginHost::programName() {
    return text(effGetProgramName);
}

void PluginHost::setProgramName(const std::string& name) {
    // Program names are at most 24 characters; the plug-in copies the text.
    std::array<char, kTextCapacity> buffer{};
    name.copy(buffer.data(), std::min<std::size_t>(name.size(), 24));
    dispatch(effSetProgramName, 0, 0, buffer.data());
}

void PluginHost::process(float** inputs, float** outputs, VstInt32 frames, std::int64_t position) {
    m_transport.moveTo(position);
    const InsidePlugin inside;
    const auto start = std::chrono::steady_clock::now();
    m_effect->processReplacing(m_effect, inputs, outputs, frames);
    m_processingTime += std::chrono::steady_clock::now() - start;
}

void PluginHost::process(double** inputs, double** outputs, VstInt32 frames,
                         std::int64_t position) {
    m_transport.moveTo(position);
    const InsidePlugin inside;
    const auto start = std::chrono::steady_clock::now();
    m_effect->processDoubleReplacing(m_effect, inputs, outputs, frames);
    m_processingTime += std::chrono::steady_clock::now() - start;
}

double PluginHost::processingSeconds() const {
    return std::chrono::duration<double>(m_processingTime).count();
}

} // namespace plughost
