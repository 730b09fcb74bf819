// SPDX-License-Identifier: MIT
#include "Plugin.h"

#include "Failure.h"
#include "PluginCalls.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <utility>

namespace plughost {
namespace {

// Plug-ins copy their texts into the host's buffers without a bound; this one is far larger
// than any of the interface's documented lengths.
constexpr std::size_t kTextCapacity = 1024;
// Program names are at most 24 characters.
constexpr std::size_t kProgramNameLength = 24;
constexpr char kHostName[] = "plughost";

// The instance being created: its callbacks arrive before the host knows its record.
thread_local Plugin* t_creating = nullptr;

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

Plugin::Plugin(const PluginLibrary& library, double sampleRate, VstInt32 blockSize)
    : m_library(library), m_transport(sampleRate), m_sampleRate(sampleRate),
      m_blockSize(blockSize) {
    t_creating = this;
    AEffect* effect = library.create(&Plugin::hostCallback);
    t_creating = nullptr;
    checkRecord(effect);
    m_effect = effect;
    m_effect->user = this;
}

Plugin::~Plugin() {
    if (!m_leaveOpen) close();
}

void Plugin::checkRecord(const AEffect* effect) const {
    const std::string what = "plug-in " + quote(path()) + ": ";
    if (effect == nullptr)
        throw Failure(what + "entry point " + entryName() + " returned no plug-in");
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
// Host callback: no allocation and no lock, since it is called on the audio thread too.

VstIntPtr VSTCALLBACK Plugin::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                           VstIntPtr value, void* ptr, float) {
    Plugin* host = effect != nullptr && effect->user != nullptr ? static_cast<Plugin*>(effect->user)
                                                                : t_creating;
    if (host == nullptr) return opcode == audioMasterVersion ? kHostVersion : 0;
    return host->answer(opcode, index, value, ptr);
}

VstIntPtr Plugin::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr) {
    const auto count = [](std::atomic<long>& counter) {
        counter.fetch_add(1, std::memory_order_relaxed);
    };
    switch (opcode) {
    case audioMasterVersion:
        count(m_calls.version);
        return kHostVersion;
    case audioMasterGetTime:
        count(m_calls.getTime);
        return reinterpret_cast<VstIntPtr>(m_transport.info());
    case audioMasterWantMidi:
        count(m_calls.wantMidi);
        return 0;
    case audioMasterUpdateDisplay:
        count(m_calls.updateDisplay);
        return 0;
    case audioMasterAutomate:
        count(m_calls.automate);
        return 0;
    case audioMasterIOChanged: // the delay is read again after every processing call
        count(m_calls.ioChanged);
        return 1;
    case audioMasterSizeWindow:
        count(m_calls.sizeWindow);
        if (index <= 0 || value <= 0) return 0;
        m_sizeRequest = EditorSize{index, static_cast<int>(value)};
        return 1;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(m_sampleRate);
    case audioMasterGetBlockSize:
        return m_blockSize;
    case audioMasterGetCurrentProcessLevel: // 1: user interface thread, 2: real-time audio
        return onAudioThread() ? 2 : 1;
    case audioMasterGetVendorString:
    case audioMasterGetProductString:
        if (ptr != nullptr) std::memcpy(ptr, kHostName, sizeof kHostName);
        return ptr != nullptr ? 1 : 0;
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterCanDo: {
        const char* asked = static_cast<const char*>(ptr);
        return asked != nullptr && (std::strcmp(asked, "sizeWindow") == 0 ||
                                    std::strcmp(asked, "sendVstTimeInfo") == 0)
                   ? 1
                   : 0;
    }
    default:
        count(m_calls.other);
        return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Requests

VstIntPtr Plugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    const InsidePlugin inside;
    return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
}

std::string Plugin::text(VstInt32 opcode, VstInt32 index) {
    std::array<char, kTextCapacity> buffer{};
    dispatch(opcode, index, 0, buffer.data());
    buffer.back() = '\0';
    return buffer.data();
}

VstIntPtr Plugin::canDo(const std::string& capability) {
    std::string copy = capability; // the dispatcher takes a non-const pointer
    return dispatch(effCanDo, 0, 0, copy.data());
}

bool Plugin::canDoubleReplacing() const {
    return (m_effect->flags & effFlagsCanDoubleReplacing) != 0 &&
           m_effect->processDoubleReplacing != nullptr;
}

float Plugin::parameter(VstInt32 index) {
    const InsidePlugin inside;
    return m_effect->getParameter(m_effect, index);
}

void Plugin::setParameter(VstInt32 index, float value) {
    const InsidePlugin inside;
    m_effect->setParameter(m_effect, index, value);
}

// ---------------------------------------------------------------------------------------------
// Lifecycle

void Plugin::open(double sampleRate, VstInt32 maxBlockSize) {
    dispatch(effOpen);
    m_sampleRate = sampleRate;
    m_blockSize = maxBlockSize;
    m_transport = Transport(sampleRate);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, maxBlockSize);
}

void Plugin::restart(double sampleRate, VstInt32 maxBlockSize) {
    if (m_resumed) suspend();
    m_sampleRate = sampleRate;
    m_blockSize = maxBlockSize;
    m_transport = Transport(sampleRate);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, maxBlockSize);
    resume();
}

void Plugin::resume() {
    dispatch(effMainsChanged, 0, 1);
    m_resumed = true;
    m_position = 0;
    m_transport.rewind();
}

void Plugin::suspend() {
    dispatch(effMainsChanged, 0, 0);
    m_resumed = false;
}

void Plugin::close() {
    if (m_effect == nullptr) return;
    if (m_resumed) suspend();
    dispatch(effClose);
    m_effect = nullptr;
}

// ---------------------------------------------------------------------------------------------
// State

std::vector<unsigned char> Plugin::chunk(bool preset) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
    if (size < 0 || (size > 0 && data == nullptr))
        throw Failure("the plug-in answered a state chunk of " + std::to_string(size) + " bytes" +
                      (data == nullptr ? " without its data" : ""));
    const auto* bytes = static_cast<const unsigned char*>(data);
    return {bytes, bytes + size};
}

void Plugin::setChunk(const std::vector<unsigned char>& data, bool preset) {
    std::vector<unsigned char> copy = data; // the plug-in's to read, whatever it does to it
    dispatch(effSetChunk, preset ? 1 : 0, static_cast<VstIntPtr>(copy.size()), copy.data());
}

void Plugin::setProgramName(const std::string& name) {
    std::array<char, kTextCapacity> buffer{};
    name.copy(buffer.data(), std::min(name.size(), kProgramNameLength));
    dispatch(effSetProgramName, 0, 0, buffer.data());
}

// ---------------------------------------------------------------------------------------------
// Processing

template <class Sample, class Entry>
void Plugin::call(Entry entry, Sample** inputs, Sample** outputs, VstInt32 frames, bool playing) {
    if (playing)
        m_transport.moveTo(m_position);
    else
        m_transport.stopAt(0);
    const AudioThreadScope audio;
    const InsidePlugin inside;
    const auto start = std::chrono::steady_clock::now();
    entry(m_effect, inputs, outputs, frames);
    m_processingTime += std::chrono::steady_clock::now() - start;
    if (playing) m_position += frames;
}

void Plugin::process(float** inputs, float** outputs, VstInt32 frames, bool playing) {
    if (m_effect->processReplacing == nullptr)
        throw Failure("plug-in " + quote(path()) + " offers no 32-bit replacing processing");
    call(m_effect->processReplacing, inputs, outputs, frames, playing);
}

void Plugin::process(double** inputs, double** outputs, VstInt32 frames, bool playing) {
    if (m_effect->processDoubleReplacing == nullptr)
        throw Failure("plug-in " + quote(path()) + " offers no 64-bit processing");
    call(m_effect->processDoubleReplacing, inputs, outputs, frames, playing);
}

double Plugin::processingSeconds() const {
    return std::chrono::duration<double>(m_processingTime).count();
}

// ---------------------------------------------------------------------------------------------
// Editor

std::optional<EditorSize> Plugin::editorSize() {
    ERect* rect = nullptr;
    dispatch(effEditGetRect, 0, 0, &rect);
    if (rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top)
        return std::nullopt;
    return EditorSize{rect->right - rect->left, rect->bottom - rect->top};
}

bool Plugin::openEditor(void* window) {
    return dispatch(effEditOpen, 0, 0, window) != 0;
}

std::optional<EditorSize> Plugin::takeSizeRequest() {
    return std::exchange(m_sizeRequest, std::nullopt);
}

} // namespace plughost
