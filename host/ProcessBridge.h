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
#include <utility>

// Wider vector code is chosen at run time on 64-bit x86 ELF targets. Windows x64 is left at
// SSE2: GCC does not keep the 32-byte stack alignment that spilled AVX registers need there.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#define QT_WIDE_PROCESSING 1
#else
#define QT_WIDE_PROCESSING 0
#endif

#define QT_ALWAYS_INLINE __attribute__((always_inline))

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

// The frame loop for a channel count known at compile time: the per-channel copies are
// written out (channels from the highest down, as in the general loop), which leaves a
// straight-line loop body that the compiler can vectorise across frames once the effect's
// OnSample is inlined.
template <class Effect, class Sample, std::size_t... C>
QT_ALWAYS_INLINE inline void runFramesFixed(Effect& effect, Sample* const* inputs,
                                            Sample* const* outputs, std::int32_t frames,
                                            std::index_sequence<C...>) {
    constexpr std::size_t kLast = sizeof...(C) - 1;
    const Sample* const in[] = {inputs[kLast - C]...};
    Sample* const out[] = {outputs[kLast - C]...};
    double* samples = effect.Samples();
    // Every frame is read completely before it is written, and a host's buffers are either
    // distinct or the same (in place), never shifted against each other: no frame depends on
    // another, whatever the aliasing of the channel buffers.
#pragma GCC ivdep
    for (std::int32_t j = 0; j < frames; ++j) {
        ((samples[kLast - C] = static_cast<double>(in[C][j])), ...);
        effect.OnSample();
        ((out[C][j] = static_cast<Sample>(samples[kLast - C])), ...);
    }
}

template <int Channels, class Effect, class Sample>
QT_ALWAYS_INLINE inline void runFrames(Effect& effect, Sample* const* inputs,
                                       Sample* const* outputs, std::int32_t frames) {
    runFramesFixed(effect, inputs, outputs, frames,
                   std::make_index_sequence<static_cast<std::size_t>(Channels)>());
}

template <class Effect, class Sample>
QT_ALWAYS_INLINE inline void runFramesAnyCount(Effect& effect, Sample* const* inputs,
                                               Sample* const* outputs, std::int32_t channels,
                                               std::int32_t frames) {
    double* samples = effect.Samples();
    for (std::int32_t j = 0; j < frames; ++j) {
        for (std::int32_t c = channels - 1; c >= 0; --c)
            samples[c] = static_cast<double>(inputs[c][j]);
        effect.OnSample();
        for (std::int32_t c = channels - 1; c >= 0; --c)
            outputs[c][j] = static_cast<Sample>(samples[c]);
    }
}

// One processing call. A positive frame count with missing channel buffers does nothing at
// all; a count of 0 or less runs only OnBlock.
template <class Effect, class Sample>
QT_ALWAYS_INLINE inline void processBlock(CVeST* shell, Sample** inputs, Sample** outputs,
                                          std::int32_t frames) {
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

// Entries 25 (float) and 26 (double), for the instruction set every x86 processor of the
// target has. [audio]
template <class Effect, class Sample>
void processEntry(CVeST* shell, Sample** inputs, Sample** outputs, std::int32_t frames) {
    processBlock<Effect, Sample>(shell, inputs, outputs, frames);
}

#if QT_WIDE_PROCESSING
// The same entries compiled for wider vector units; identical results, bit for bit, since
// every step is an exactly rounded IEEE operation or a bit operation. [audio]
template <class Effect, class Sample>
__attribute__((target("avx2"))) void processEntryAvx2(CVeST* shell, Sample** inputs,
                                                      Sample** outputs, std::int32_t frames) {
    processBlock<Effect, Sample>(shell, inputs, outputs, frames);
}

template <class Effect, class Sample>
__attribute__((target("avx512f,avx512vl,avx512dq"))) void
processEntryAvx512(CVeST* shell, Sample** inputs, Sample** outputs, std::int32_t frames) {
    processBlock<Effect, Sample>(shell, inputs, outputs, frames);
}
#endif

template <class Sample>
using ProcessEntry = void (*)(CVeST*, Sample**, Sample**, std::int32_t);

// The widest entry the running processor can execute, chosen once when the bridge table is
// filled.
template <class Effect, class Sample>
ProcessEntry<Sample> selectProcessEntry() noexcept {
#if QT_WIDE_PROCESSING
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq"))
        return processEntryAvx512<Effect, Sample>;
    if (__builtin_cpu_supports("avx2")) return processEntryAvx2<Effect, Sample>;
#endif
    return processEntry<Effect, Sample>;
}

} // namespace process_bridge
