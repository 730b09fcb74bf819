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

// Frames per chunk of the frame loop. The effect's state that OnSample reads (its gains) is
// loaded afresh at the start of every chunk, so a parameter change made by another thread
// during a long block applies within this many frames of its arrival.
constexpr std::int32_t kChunkFrames = 64;

// Effects whose OnSample reads only the frame's sample values and state that stays the same for
// a chunk (as the gains do) declare `kIndependentFrames`: the frames of a chunk may then be
// handed to it from the last to the first, with the same results.
template <class Effect>
concept IndependentFrames = requires {
    requires Effect::kIndependentFrames;
};

// Distance in bytes up to which a load is taken as depending on an earlier store to an
// address with the same low 12 bits (4 KiB aliasing): the stores of the last few vector steps,
// which are still on their way to the cache when the load comes.
constexpr std::uint32_t kAliasReach = 256;

// True when going through a chunk from its last frame to its first keeps loads clear of stores
// with the same address modulo 4 KiB better than going forward. Going forward, loading input c
// falls on a recent store to output c when the output lies a little above the input modulo
// 4 KiB (as separate allocations made one after the other do); going backward, when it lies a
// little below. Counts the channels of each kind: each channel's output against its own input
// stands for the others, which lie in the same order, and costs a few instructions per call
// instead of one per pair of channels. [audio]
template <class Sample>
bool backwardAvoidsAliasing(Sample* const* inputs, Sample* const* outputs,
                            std::int32_t channels) noexcept {
    // Low 12 bits only, and counts without branches: the compiler vectorises the channels.
    std::uint32_t forward = 0;
    std::uint32_t backward = 0;
    for (std::int32_t c = 0; c < channels; ++c) {
        const auto in = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(inputs[c]));
        const auto out = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(outputs[c]));
        // 1 less than the distance modulo 4 KiB, so that a distance of 0 counts for neither.
        forward += ((out - in - 1) & 4095u) < kAliasReach ? 1u : 0u;
        backward += ((in - out - 1) & 4095u) < kAliasReach ? 1u : 0u;
    }
    return forward > backward;
}

// Instruction sets with a processing entry of their own.
enum class Isa { Baseline, Avx2, Avx512 };

template <class Sample, std::size_t>
using ChannelPointer = Sample* __restrict;

// One chunk of frames for a channel count known at compile time, with the per-channel copies
// written out (channels from the highest down, as in the general loop): a straight-line loop
// body that the compiler vectorises across frames once OnSample is inlined. Parameter C-th of
// `in` and `out` is channel (count - 1 - C).
//
// The effect and the host's channel buffers are distinct memory (the effect's members are
// never host memory), and the channel buffers are either distinct arrays or the same arrays
// (in place), which the caller has checked: so all of them are declared non-aliasing, and
// 64-bit samples vectorise like 32-bit ones. In place, only `out` is used, for reading and
// writing, so that no array is reached through two names. `kBackward` (only for separate
// buffers and effects with independent frames) hands the frames over from the last to the
// first. [audio]
template <class Effect, class Sample, bool kBackward, std::size_t... C>
QT_ALWAYS_INLINE inline void chunkFrames(Effect* __restrict effect, std::int32_t frames,
                                         bool inPlace, ChannelPointer<const Sample, C>... in,
                                         ChannelPointer<Sample, C>... out) {
    constexpr std::size_t kLast = sizeof...(C) - 1;
    double* samples = effect->Samples();
    // Frame j through OnSample, read from the inputs or, in place, from the outputs.
    auto fromInputs = [&](std::int32_t j) {
        ((samples[kLast - C] = static_cast<double>(in[j])), ...);
        effect->OnSample();
        ((out[j] = static_cast<Sample>(samples[kLast - C])), ...);
    };
    auto fromOutputs = [&](std::int32_t j) {
        ((samples[kLast - C] = static_cast<double>(out[j])), ...);
        effect->OnSample();
        ((out[j] = static_cast<Sample>(samples[kLast - C])), ...);
    };
    if constexpr (kBackward) {
        static_assert(IndependentFrames<Effect>);
        // Backward a cache line of samples at a time, forward within the line: a loop that
        // steps down frame by frame would have every vector reversed after loading and before
        // storing. First the frames beyond the last whole line, then the lines from the top.
        constexpr std::int32_t kLine = static_cast<std::int32_t>(64 / sizeof(Sample));
        const std::int32_t whole = frames / kLine * kLine;
        for (std::int32_t j = frames - 1; j >= whole; --j)
            fromInputs(j);
        for (std::int32_t line = whole - kLine; line >= 0; line -= kLine) {
            // Kept a loop, so that it is vectorised as one, instead of unrolled into frames.
#pragma GCC unroll 1
            for (std::int32_t j = line; j < line + kLine; ++j)
                fromInputs(j);
        }
    } else if (inPlace) {
        for (std::int32_t j = 0; j < frames; ++j)
            fromOutputs(j);
    } else {
        for (std::int32_t j = 0; j < frames; ++j)
            fromInputs(j);
    }
}

// The chunk as a function of its own per instruction set: its non-aliasing parameters are what
// lets the compiler vectorise, and every call loads the effect's gains again. [audio]
template <Isa kIsa>
struct ChunkRunner;

template <>
struct ChunkRunner<Isa::Baseline> {
    template <class Effect, class Sample, bool kBackward, std::size_t... C>
    [[gnu::noinline, gnu::flatten]] static void
    run(Effect* __restrict effect, std::int32_t frames, bool inPlace,
        ChannelPointer<const Sample, C>... in, ChannelPointer<Sample, C>... out) {
        chunkFrames<Effect, Sample, kBackward, C...>(effect, frames, inPlace, in..., out...);
    }
};

#if QT_WIDE_PROCESSING
template <>
struct ChunkRunner<Isa::Avx2> {
    template <class Effect, class Sample, bool kBackward, std::size_t... C>
    [[gnu::noinline, gnu::flatten, gnu::target("avx2")]] static void
    run(Effect* __restrict effect, std::int32_t frames, bool inPlace,
        ChannelPointer<const Sample, C>... in, ChannelPointer<Sample, C>... out) {
        chunkFrames<Effect, Sample, kBackward, C...>(effect, frames, inPlace, in..., out...);
    }
};

template <>
struct ChunkRunner<Isa::Avx512> {
    template <class Effect, class Sample, bool kBackward, std::size_t... C>
    [[gnu::noinline, gnu::flatten, gnu::target("avx512f,avx512vl,avx512dq")]] static void
    run(Effect* __restrict effect, std::int32_t frames, bool inPlace,
        ChannelPointer<const Sample, C>... in, ChannelPointer<Sample, C>... out) {
        chunkFrames<Effect, Sample, kBackward, C...>(effect, frames, inPlace, in..., out...);
    }
};
#endif

// The loops a chunk of frames can go through.
enum class FrameLoop { General, Forward, InPlace, Backward };

// An effect made for tests may declare `void ChunkRan(FrameLoop loop, std::int32_t frames)` to
// hear which loop each chunk goes through; for every other effect, the shipped ones included,
// this compiles to nothing. [audio]
template <class Effect>
QT_ALWAYS_INLINE inline void reportChunk(Effect& effect, FrameLoop loop, std::int32_t frames) {
    if constexpr (requires { effect.ChunkRan(loop, frames); }) effect.ChunkRan(loop, frames);
}

// Keeps the compiler from carrying values read from memory across this point: whatever
// OnSample reads is read again after it. No instruction is emitted.
QT_ALWAYS_INLINE inline void rereadEffectState() noexcept {
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

// The general frame loop, for any channel count and any mix of shared and separate buffers;
// every frame is read completely before it is written.
template <class Effect, class Sample>
QT_ALWAYS_INLINE inline void runFramesAnyCount(Effect& effect, Sample* const* inputs,
                                               Sample* const* outputs, std::int32_t channels,
                                               std::int32_t frames) {
    double* samples = effect.Samples();
    for (std::int32_t start = 0; start < frames; start += kChunkFrames) {
        rereadEffectState();
        const std::int32_t end = frames - start > kChunkFrames ? start + kChunkFrames : frames;
        reportChunk(effect, FrameLoop::General, end - start);
        for (std::int32_t j = start; j < end; ++j) {
            for (std::int32_t c = channels - 1; c >= 0; --c)
                samples[c] = static_cast<double>(inputs[c][j]);
            effect.OnSample();
            for (std::int32_t c = channels - 1; c >= 0; --c)
                outputs[c][j] = static_cast<Sample>(samples[c]);
        }
    }
}

// The frame loop for a channel count known at compile time: chunks of kChunkFrames through the
// vectorised runner when the buffers are all in place or all separate, else the general loop.
template <Isa kIsa, class Effect, class Sample, std::size_t... C>
QT_ALWAYS_INLINE inline void runFramesFixed(Effect& effect, Sample* const* inputs,
                                            Sample* const* outputs, std::int32_t frames,
                                            std::index_sequence<C...>) {
    constexpr std::size_t kLast = sizeof...(C) - 1;
    const bool inPlace = ((inputs[C] == outputs[C]) && ...);
    const bool separate = ((inputs[C] != outputs[C]) && ...);
    if (!inPlace && !separate) {
        runFramesAnyCount(effect, inputs, outputs, static_cast<std::int32_t>(sizeof...(C)), frames);
        return;
    }
    // Going backward pays only with wide vectors, where one store covers several frames; with
    // 16-byte vectors going forward measured as fast or faster in every buffer layout tried.
    constexpr bool kMayGoBackward = IndependentFrames<Effect> && kIsa != Isa::Baseline;
    const bool backward =
        kMayGoBackward && !inPlace &&
        backwardAvoidsAliasing(inputs, outputs, static_cast<std::int32_t>(sizeof...(C)));
    for (std::int32_t start = 0; start < frames; start += kChunkFrames) {
        rereadEffectState();
        const std::int32_t count = frames - start > kChunkFrames ? kChunkFrames : frames - start;
        if constexpr (kMayGoBackward) {
            if (backward) {
                reportChunk(effect, FrameLoop::Backward, count);
                ChunkRunner<kIsa>::template run<Effect, Sample, true, C...>(
                    &effect, count, false, (inputs[kLast - C] + start)...,
                    (outputs[kLast - C] + start)...);
                continue;
            }
        }
        reportChunk(effect, inPlace ? FrameLoop::InPlace : FrameLoop::Forward, count);
        ChunkRunner<kIsa>::template run<Effect, Sample, false, C...>(
            &effect, count, inPlace, (inputs[kLast - C] + start)...,
            (outputs[kLast - C] + start)...);
    }
}

template <Isa kIsa, int Channels, class Effect, class Sample>
QT_ALWAYS_INLINE inline void runFrames(Effect& effect, Sample* const* inputs,
                                       Sample* const* outputs, std::int32_t frames) {
    runFramesFixed<kIsa>(effect, inputs, outputs, frames,
                         std::make_index_sequence<static_cast<std::size_t>(Channels)>());
}

// One processing call. A positive frame count with missing channel buffers does nothing at
// all; a count of 0 or less runs only OnBlock.
template <Isa kIsa, class Effect, class Sample>
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
        runFrames<kIsa, 8>(effect, inputs, outputs, frames);
        break;
    case 2:
        runFrames<kIsa, 2>(effect, inputs, outputs, frames);
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
    processBlock<Isa::Baseline, Effect, Sample>(shell, inputs, outputs, frames);
}

#if QT_WIDE_PROCESSING
// The same entries compiled for wider vector units; identical results, bit for bit, since
// every step is an exactly rounded IEEE operation or a bit operation. [audio]
template <class Effect, class Sample>
__attribute__((target("avx2"))) void processEntryAvx2(CVeST* shell, Sample** inputs,
                                                      Sample** outputs, std::int32_t frames) {
    processBlock<Isa::Avx2, Effect, Sample>(shell, inputs, outputs, frames);
}

template <class Effect, class Sample>
__attribute__((target("avx512f,avx512vl,avx512dq"))) void
processEntryAvx512(CVeST* shell, Sample** inputs, Sample** outputs, std::int32_t frames) {
    processBlock<Isa::Avx512, Effect, Sample>(shell, inputs, outputs, frames);
}
#endif

template <class Sample>
using ProcessEntry = void (*)(CVeST*, Sample**, Sample**, std::int32_t);

// Vector units of the running processor that the wider entries use.
struct CpuFeatures {
    bool avx2 = false;
    bool avx512 = false; // AVX-512 F, VL and DQ together
};

// What the running processor has; nothing where no wider entry exists.
CpuFeatures detectCpuFeatures() noexcept;

// The widest entry a processor with `cpu` can execute; the bridge table is filled with the
// choice for the running processor.
template <class Effect, class Sample>
ProcessEntry<Sample> selectProcessEntry(const CpuFeatures& cpu) noexcept {
#if QT_WIDE_PROCESSING
    if (cpu.avx512) return processEntryAvx512<Effect, Sample>;
    if (cpu.avx2) return processEntryAvx2<Effect, Sample>;
#else
    (void)cpu;
#endif
    return processEntry<Effect, Sample>;
}

} // namespace process_bridge
