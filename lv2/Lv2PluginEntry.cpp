// SPDX-License-Identifier: MIT
// The level trimmer as an LV2 plug-in. The LV2 host sees the ports of qualtrevin_trimmer.ttl;
// behind them this file plays a VST 2.4 host's part towards an instance made by the same
// factory as the VST 2.4 library's entry point, so that the effect, its runtime and the shell
// run exactly as they do there, and nothing of them knows about LV2.
//
// Lifecycle: instantiate makes the instance, opens it and tells it the sample rate and, when
// the host announces one through the options feature, the block size; activate and deactivate
// are resume and suspend; run passes changed control values on as parameter changes and then
// processes through the record's 32-bit entry; cleanup closes the instance, which destroys it.
#include "effect/TTarvoEffect.h"
#include "host/PluginFactory.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>

namespace {

// Ports, in the order qualtrevin_trimmer.ttl gives them: the inputs, the outputs (pair k's left
// and right channels at 2k-2 and 2k-1 of each), then one level per pair.
constexpr std::uint32_t kChannels = TTarvoEffect::kChannels;
constexpr std::uint32_t kAudioPorts = 2 * kChannels;
constexpr std::uint32_t kLevels = kChannels / 2;

// The levels' range in dB, the range of the effect's sliders: a level reaches the effect as the
// normalised parameter value a VST 2.4 host sends for it, (dB + 12) / 24, so that the effect's
// own rules (0.1 dB steps, changes below its threshold ignored) apply as they do there.
constexpr double kMinimumDb = -12.0;
constexpr double kMaximumDb = 12.0;

// The host version the instance is told: the interface version it implements.
constexpr VstIntPtr kHostVersion = 2400;

// The record's 32-bit entry counts frames in a signed 32-bit integer: a longer run is handed
// over in pieces of at most this many frames.
constexpr std::uint32_t kLongestPiece = 1u << 30;

// Sample rates an instance accepts: from 1 Hz up to the largest 32-bit float, the form in which
// the shell keeps the rate (NaN fails both comparisons).
bool usableSampleRate(double rate) {
    return rate >= 1.0 && rate <= static_cast<double>(std::numeric_limits<float>::max());
}

// The block size the host announces through the options feature (its maximum, else its nominal
// block length, as an atom:Int above 0), or 0 when it announces none this can read: the options
// need the URID map to be understood. [ui]
VstInt32 announcedBlockSize(const LV2_Feature* const* features) {
    const LV2_Options_Option* options = nullptr;
    const LV2_URID_Map* map = nullptr;
    for (; features != nullptr && *features != nullptr; ++features) {
        const LV2_Feature& feature = **features;
        if (feature.URI == nullptr) continue;
        if (std::strcmp(feature.URI, LV2_OPTIONS__options) == 0)
            options = static_cast<const LV2_Options_Option*>(feature.data);
        else if (std::strcmp(feature.URI, LV2_URID__map) == 0)
            map = static_cast<const LV2_URID_Map*>(feature.data);
    }
    if (options == nullptr || map == nullptr || map->map == nullptr) return 0;
    const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
    for (const char* key : {LV2_BUF_SIZE__maxBlockLength, LV2_BUF_SIZE__nominalBlockLength}) {
        const LV2_URID wanted = map->map(map->handle, key);
        for (const LV2_Options_Option* option = options; option->key != 0; ++option) {
            if (option->key != wanted || option->type != intType ||
                option->size != sizeof(std::int32_t) || option->value == nullptr)
                continue;
            std::int32_t frames = 0;
            std::memcpy(&frames, option->value, sizeof frames);
            if (frames > 0) return frames;
        }
    }
    return 0;
}

class Lv2Instance {
public:
    // A new instance at `sampleRate`, opened; null when the rate is unusable or the factory
    // makes no instance. [ui]
    static Lv2Instance* create(double sampleRate, const LV2_Feature* const* features) noexcept {
        if (!usableSampleRate(sampleRate)) return nullptr;
        AEffect* effect = createPlugin<TTarvoEffect>(answerHost);
        if (effect == nullptr) return nullptr;
        auto* instance =
            new (std::nothrow) Lv2Instance(effect, sampleRate, announcedBlockSize(features));
        if (instance == nullptr) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        return instance;
    }

    // Closes the instance; the record and everything behind it are gone afterwards. [ui]
    ~Lv2Instance() { dispatch(effClose); }
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    // Port numbers past the last port are ignored. [audio]
    void connect(std::uint32_t port, void* data) noexcept {
        if (port < kAudioPorts)
            m_audio[port] = static_cast<float*>(data);
        else if (port - kAudioPorts < kLevels)
            m_levels[port - kAudioPorts] = static_cast<const float*>(data);
    }

    // Resume, or suspend: the effect's init runs again on every resume. [ui]
    void setActive(bool active) noexcept { dispatch(effMainsChanged, active ? 1 : 0); }

    // The levels, then the audio; inputs and outputs may be the same buffers. An audio port
    // left unconnected makes the run leave every output as it is. [audio]
    void run(std::uint32_t frames) noexcept {
        passLevelsOn();
        if (frames <= kLongestPiece) {
            m_effect->processReplacing(m_effect, m_audio, m_audio + kChannels,
                                       static_cast<VstInt32>(frames));
            return;
        }
        for (std::uint32_t done = 0; done < frames; done += kLongestPiece) {
            float* piece[kAudioPorts];
            for (std::uint32_t c = 0; c < kAudioPorts; ++c)
                piece[c] = m_audio[c] != nullptr ? m_audio[c] + done : nullptr;
            const std::uint32_t length =
                frames - done < kLongestPiece ? frames - done : kLongestPiece;
            m_effect->processReplacing(m_effect, piece, piece + kChannels,
                                       static_cast<VstInt32>(length));
        }
    }

private:
    Lv2Instance(AEffect* effect, double sampleRate, VstInt32 blockSize) noexcept
        : m_effect(effect), m_sampleRate(sampleRate), m_blockSize(blockSize) {
        std::fill(std::begin(m_passedOn), std::end(m_passedOn), NAN);
        m_effect->user = this;
        dispatch(effOpen);
        m_effect->dispatcher(m_effect, effSetSampleRate, 0, 0, nullptr,
                             static_cast<float>(sampleRate));
        if (blockSize > 0) dispatch(effSetBlockSize, 0, blockSize);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0) noexcept {
        return m_effect->dispatcher(m_effect, opcode, index, value, nullptr, 0.0f);
    }

    // Each level that changed since the last run goes to the effect as a parameter change,
    // clamped to the range first. A level that is not finite is ignored: the one before it
    // stays in force. [audio]
    void passLevelsOn() noexcept {
        for (std::uint32_t k = 0; k < kLevels; ++k) {
            if (m_levels[k] == nullptr) continue;
            const float decibels = *m_levels[k];
            if (!std::isfinite(decibels) || decibels == m_passedOn[k]) continue;
            m_passedOn[k] = decibels;
            double clamped = decibels;
            if (clamped < kMinimumDb) clamped = kMinimumDb;
            if (clamped > kMaximumDb) clamped = kMaximumDb;
            m_effect->setParameter(
                m_effect, static_cast<VstInt32>(k),
                static_cast<float>((clamped - kMinimumDb) / (kMaximumDb - kMinimumDb)));
        }
    }

    // The VST 2.4 host callback of every instance of this library. The shell asks for the host
    // version before it has a record; afterwards the record's `user` field, which belongs to
    // the host, leads to the instance. The shell takes sample rate and block size from
    // effSetSampleRate and effSetBlockSize, and a host answers them here as well. There is no
    // transport (the plug-in has no time port), so a time request gets none; display updates,
    // MIDI and automation requests are absorbed: the levels come from the control ports. [any]
    static VstIntPtr VSTCALLBACK answerHost(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr,
                                            void*, float) noexcept {
        const auto* instance =
            effect != nullptr ? static_cast<const Lv2Instance*>(effect->user) : nullptr;
        switch (opcode) {
        case audioMasterVersion:
            return kHostVersion;
        case audioMasterGetSampleRate:
            return instance != nullptr ? static_cast<VstIntPtr>(instance->m_sampleRate) : 0;
        case audioMasterGetBlockSize:
            return instance != nullptr ? instance->m_blockSize : 0;
        default:
            return 0;
        }
    }

    AEffect* m_effect;
    double m_sampleRate;
    VstInt32 m_blockSize;
    float* m_audio[kAudioPorts] = {};
    const float* m_levels[kLevels] = {};
    // The level last passed on per pair; NaN (none) at first, so the first run passes each on.
    float m_passedOn[kLevels] = {};
};

// ---- the descriptor's entries -------------------------------------------------------------
// A null handle (a host fault) is answered as no instance: nothing happens.

Lv2Instance* instanceOf(LV2_Handle handle) noexcept {
    return static_cast<Lv2Instance*>(handle);
}

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*,
                       const LV2_Feature* const* features) noexcept {
    return Lv2Instance::create(sampleRate, features);
}

void connectPort(LV2_Handle handle, std::uint32_t port, void* data) noexcept {
    if (Lv2Instance* instance = instanceOf(handle)) instance->connect(port, data);
}

void activate(LV2_Handle handle) noexcept {
    if (Lv2Instance* instance = instanceOf(handle)) instance->setActive(true);
}

void run(LV2_Handle handle, std::uint32_t frames) noexcept {
    if (Lv2Instance* instance = instanceOf(handle)) instance->run(frames);
}

void deactivate(LV2_Handle handle) noexcept {
    if (Lv2Instance* instance = instanceOf(handle)) instance->setActive(false);
}

void cleanup(LV2_Handle handle) noexcept {
    delete instanceOf(handle);
}

const void* extensionData(const char*) noexcept {
    return nullptr;
}

const LV2_Descriptor kDescriptor = {QT_LV2_URI, instantiate, connectPort, activate,
                                    run,        deactivate,  cleanup,     extensionData};

} // namespace

// The library's one export (LV2_SYMBOL_EXPORT makes it extern "C" and visible): the plug-in
// at index 0, nothing after it. [any]
LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
