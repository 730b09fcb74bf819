// SPDX-License-Identifier: MIT
// The processing entries: per call the effect's OnBlock once, then for every frame the inputs
// go into the effect's sample values (widened to doubles), OnSample runs, and the sample values
// go back to the outputs (narrowed again). Inputs and outputs may be the same buffers: every
// frame is read completely before it is written.
//
// The entries are made per effect class, and effect classes are final, so the per-frame hook
// is a direct call that the compiler can inline; for the usual channel counts the frame loop
// is instantiated with a constant count so that it can be vectorised. No lock, allocation or
// system call happens here.
#pragma once

#include "CVeST.h"
#include "runtime/CTarvoSamples.h"

#include <atomic>
#include <cstdint>
#include <type_traits>

namespace process_bridge {

// Channel count of a precision path: read from the first shell that processes on that path,
// once in the life of the loaded library, and kept for every later call of every instance.
// Limited to the runtime's 64 sample places. Lock-free: racing first callers agree on the value
// the first of them published.
std::int32_t rememberedChannels(std::atomic<std::int32_t>& slot, const CVeST& shell) noexcept;

template <class Sample>
std::atomic<std::int32_t>& channelSlot() noexcept {
    static std::atomic<std::int32_t> slot{-1};
    return slot;
}

// True when every channel pointer the frame loop will touch exists.
template <class Sample>
bool buffersPresent(Sample* const* inputs, Sample* const* outputs, std::int32_t channels) {
    if (inputs == nullptr || outputs == nullptr) return false;
    for (std::int32_t c = 0; c < channels; ++c)
        if (inputs[c] == nullptr || outputs[c] == nullptr) return false;
    return true;
}

template <int Channels, class Effect, class Sample>
inline void runFrames(Effect& effect, Sample* const* inputs, Sample* const* outputs,
                      std::int32_t frames) {
    const Sample* in[Channels];
    Sample* out[Channels];
    for (int c = 0; c < Channels; ++c) {
        in[c] = inputs[c];
        out[c] = outputs[c];
    }
    double* samples = effect.Samples();
    for (std::int32_t j = 0; j < frames; ++j) {
        for (int c = Channels - 1; c >= 0; --c) samples[c] = static_cast<double>(in[c][j]);
        effect.OnSample();
        for (int c = Channels - 1; c >= 0; --c) out[c][j] = static_cast<Sample>(samples[c]);
    }
}

template <class Effect, class Sample>
inline void runFramesAnyCount(Effect& effect, Sample* const* inputs, Sample* const* outputs,
                              std::int32_t channels, std::int32_t frames) {
    double* samples = effect.Samples();
    for (std::int32_t j = 0; j < frames; ++j) {
        for (std::int32_t c = channels - 1; c >= 0; --c)
            samples[c] = static_cast<double>(inputs[c][j]);
        effect.OnSample();
        for (std::int32_t c = channels - 1; c >= 0; --c)
            outputs[c][j] = static_cast<Sample>(samples[c]);
    }
}

// Entries 25 (float) and 26 (double). A positive frame count with missing channel buffers
// does nothing at all; a count of 0 or less runs only OnBlock. [audio]
template <class Effect, class Sample>
void processEntry(CVeST* shell, Sample** inputs, Sample** outputs, std::int32_t frames) {
    static_assert(std::is_final_v<Effect>, "effects are final so that OnSample is inlined");
    const std::int32_t channels = rememberedChannels(channelSlot<Sample>(), *shell);
    if (frames > 0 && !buffersPresent(inputs, outputs, channels)) return;
    Effect& effect = static_cast<Effect&>(*shell->effect());
    effect.OnBlock();
    if (frames <= 0) return;
    switch (channels) {
    case 8:
        runFrames<8>(effect, inputs, outputs, frames);
        break;
    case 2:
        runFrames<2>(effect, inputs, outputs, frames);
        break;
    default:
        runFramesAnyCount(effect, inputs, outputs, channels, frames);
        break;
    }
}

} // namespace process_bridge
