// SPDX-License-Identifier: MIT
// Cost of the plug-in's processing entries, called through the host record of the loaded
// library with hot buffers reused as a host reuses them, against a plain loop doing the same
// arithmetic (widen, multiply each pair by its gain, zero non-finite results, narrow), built
// for the same instruction set.
//
// Two plain loops: channel by channel over the whole block (two memory streams at a time), and
// frame by frame with the eight channels of a frame together and the gains read afresh every
// 64 frames, the order in which the plug-in must present frames to its per-frame hook (sixteen
// streams at a time). The 64-bit benchmarks also take a buffer layout, since sixteen streams
// at once are sensitive to where the host's channel buffers lie: a load whose address matches
// a store of the last few frames in its low 12 bits waits for that store (4K aliasing).
#include "effect/TTarvoEffect.h"
#include "host/PluginFactory.h"
#include "host/ProcessBridge.h"
#include "host/VstInterface.h"
#include "hostkit/DynamicLibrary.h"
#include "runtime/TarvoValues.h"

#include <benchmark/benchmark.h>
#ifdef QT_LV2_LIBRARY
#include <lv2/core/lv2.h>
#endif

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

#include <time.h>

namespace {

constexpr int kChannels = 8;

VstTimeInfo g_time{};

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime) return reinterpret_cast<VstIntPtr>(&g_time);
    return 0;
}

// Opens and resumes a new trimmer and gives its pairs four different gains; stops the run
// when there is none.
AEffect* prepare(AEffect* effect) {
    if (effect == nullptr) std::exit(1);
    g_time.tempo = 120.0;
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    const float settings[] = {0.25f, 0.5f, 0.6f, 0.9f};
    for (VstInt32 p = 0; p < 4; ++p)
        effect->setParameter(effect, p, settings[p]);
    return effect;
}

// One loaded trimmer for the whole run.
AEffect* trimmer() {
    static hostkit::DynamicLibrary library;
    static AEffect* effect = [] {
        std::string error;
        if (!library.open(QT_TRIMMER_PATH, error)) {
            std::fprintf(stderr, "cannot load %s: %s\n", QT_TRIMMER_PATH, error.c_str());
            std::exit(1);
        }
        auto main = reinterpret_cast<VstPluginMainProc>(library.symbol("VSTPluginMain"));
        return prepare(main != nullptr ? main(hostCallback) : nullptr);
    }();
    return effect;
}

// Gains of the same settings, as the plug-in computes them.
double pairGain(int pair) {
    const double decibels[] = {-6.0, 0.0, 2.4, 9.6};
    return std::pow(10.0, decibels[pair] / 20.0);
}

// Where the sixteen channel buffers (eight in, eight out) lie.
enum Layout : std::int64_t {
    // One allocation per channel, in and out one after the other, as std::vector gives them:
    // with glibc 16-byte aligned, each starting one block plus a 16-byte allocation header
    // after the previous, so that the sixteen channels start 16 bytes apart within a page.
    kSeparate = 0,
    // One 64-byte aligned block, each channel one cache line longer than the block, so that no
    // two channels start at the same place within a 4 KiB page.
    kPaddedBlock = 1,
    // One 64-byte aligned block, channels back to back: with 512 frames of doubles every
    // channel starts at the same place within a 4 KiB page.
    kPackedBlock = 2,
    // One block, every channel on pages of its own and moved within its page: inputs at 0,
    // 128, ... 896 bytes, outputs at 2048 + 128 c. No output lies within 1 KiB below an input
    // modulo 4 KiB, so no load shares the low 12 address bits with a store of the last 128
    // frames (the processor would take such a load as depending on the store: 4K aliasing).
    kStaggered = 3,
};

template <class Sample>
struct Buffers {
    Buffers(int frames, bool subnormal, std::int64_t layout = kSeparate) {
        const std::size_t length = static_cast<std::size_t>(frames);
        constexpr std::size_t kLine = 64 / sizeof(Sample);
        if (layout == kSeparate) {
            separate.assign(2 * kChannels, std::vector<Sample>(length));
            for (auto& channel : separate)
                channels.push_back(channel.data());
        } else if (layout == kStaggered) {
            constexpr std::size_t kPage = 4096 / sizeof(Sample);
            const std::size_t pages = (length + kPage - 1) / kPage + 1;
            block.assign(pages * kPage * 2 * kChannels + kPage, Sample{});
            const auto address = reinterpret_cast<std::uintptr_t>(block.data());
            const std::size_t skip = (4096 - address % 4096) % 4096 / sizeof(Sample);
            for (int c = 0; c < 2 * kChannels; ++c) {
                const std::size_t within =
                    (c < kChannels ? 128 * c : 2048 + 128 * (c - kChannels)) / sizeof(Sample);
                channels.push_back(block.data() + skip + pages * kPage * c + within);
            }
        } else {
            const std::size_t stride = layout == kPaddedBlock ? length + kLine : length;
            block.assign(stride * 2 * kChannels + kLine, Sample{});
            const auto address = reinterpret_cast<std::uintptr_t>(block.data());
            const std::size_t skip = (64 - address % 64) % 64 / sizeof(Sample);
            for (int c = 0; c < 2 * kChannels; ++c)
                channels.push_back(block.data() + skip + stride * static_cast<std::size_t>(c));
        }
        for (int c = 0; c < 2 * kChannels; ++c) {
            for (int j = 0; j < frames; ++j) {
                const double wave = std::sin(0.01 * j + c) * 0.5;
                channels[c][j] =
                    subnormal ? static_cast<Sample>(std::numeric_limits<float>::denorm_min() *
                                                    static_cast<float>(1 + (j + c) % 1000))
                              : static_cast<Sample>(wave);
            }
        }
        for (int c = 0; c < kChannels; ++c) {
            in.push_back(channels[c]);
            out.push_back(channels[kChannels + c]);
        }
    }
    std::vector<std::vector<Sample>> separate;
    std::vector<Sample> block;
    std::vector<Sample*> channels;
    std::vector<Sample*> in, out;
};

std::int64_t layoutOf(const benchmark::State& state) {
    return state.range(1);
}

void reportPerFrame(benchmark::State& state, int frames) {
    const double perCall = static_cast<double>(frames);
    // Inverted rates: seconds per frame and per channel-sample, printed with SI prefixes.
    const auto kPerItem =
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert;
    state.counters["frame"] = benchmark::Counter(perCall, kPerItem);
    state.counters["ch_sample"] = benchmark::Counter(perCall * kChannels, kPerItem);
}

template <class Sample>
void pluginProcess(benchmark::State& state, bool subnormal, std::int64_t layout = kSeparate) {
    AEffect* effect = trimmer();
    const int frames = static_cast<int>(state.range(0));
    Buffers<Sample> buffers(frames, subnormal, layout);
    for (auto _ : state) {
        if constexpr (sizeof(Sample) == sizeof(float))
            effect->processReplacing(effect, buffers.in.data(), buffers.out.data(), frames);
        else
            effect->processDoubleReplacing(effect, buffers.in.data(), buffers.out.data(), frames);
        benchmark::ClobberMemory();
    }
    reportPerFrame(state, frames);
}

// The plain loop: channel by channel with the same sanitizing store; the compiler vectorises
// it. One copy per instruction set the plug-in has entries for, so that each entry is compared
// with the plain loop on the same vector unit.
template <class Sample>
__attribute__((always_inline)) inline void plainLoopBody(Sample* const* in, Sample* const* out,
                                                         int frames, const double* gains) {
    for (int c = 0; c < kChannels; ++c) {
        const Sample* source = in[c];
        Sample* target = out[c];
        const double gain = gains[c / 2];
        for (int j = 0; j < frames; ++j) {
            target[j] = static_cast<Sample>(Sanitize(static_cast<double>(source[j]) * gain));
        }
    }
}

template <class Sample>
__attribute__((noinline)) void plainLoop(Sample* const* in, Sample* const* out, int frames,
                                         const double* gains) {
    plainLoopBody(in, out, frames, gains);
}

template <class Sample>
using PlainLoop = void (*)(Sample* const*, Sample* const*, int, const double*);

#if QT_WIDE_PROCESSING
template <class Sample>
__attribute__((noinline, target("avx2"))) void plainLoopAvx2(Sample* const* in, Sample* const* out,
                                                             int frames, const double* gains) {
    plainLoopBody(in, out, frames, gains);
}

template <class Sample>
__attribute__((noinline, target("avx512f,avx512vl,avx512dq"))) void
plainLoopAvx512(Sample* const* in, Sample* const* out, int frames, const double* gains) {
    plainLoopBody(in, out, frames, gains);
}
#endif

// The frame-major plain loop: the same arithmetic in the plug-in's order. Each chunk of at most
// 64 frames is a function of its own whose channel pointers do not alias, like the plug-in's,
// and reads the gains when it starts.
template <class Sample, std::size_t>
using Channel = Sample* __restrict;

template <class Sample, std::size_t... C>
__attribute__((always_inline)) inline void frameMajorChunkBody(int frames, const double* gains,
                                                               Channel<const Sample, C>... in,
                                                               Channel<Sample, C>... out) {
    const double gain[] = {gains[0], gains[1], gains[2], gains[3]};
    for (int j = 0; j < frames; ++j)
        ((out[j] = static_cast<Sample>(Sanitize(static_cast<double>(in[j]) * gain[C / 2]))), ...);
}

template <class Sample, std::size_t... C>
__attribute__((noinline)) void frameMajorChunk(int frames, const double* gains,
                                               Channel<const Sample, C>... in,
                                               Channel<Sample, C>... out) {
    frameMajorChunkBody<Sample, C...>(frames, gains, in..., out...);
}

#if QT_WIDE_PROCESSING
template <class Sample, std::size_t... C>
__attribute__((noinline, target("avx2"))) void frameMajorChunkAvx2(int frames, const double* gains,
                                                                   Channel<const Sample, C>... in,
                                                                   Channel<Sample, C>... out) {
    frameMajorChunkBody<Sample, C...>(frames, gains, in..., out...);
}

template <class Sample, std::size_t... C>
__attribute__((noinline, target("avx512f,avx512vl,avx512dq"))) void
frameMajorChunkAvx512(int frames, const double* gains, Channel<const Sample, C>... in,
                      Channel<Sample, C>... out) {
    frameMajorChunkBody<Sample, C...>(frames, gains, in..., out...);
}
#endif

enum class Width { Baseline, Avx2, Avx512 };

template <Width kWidth, class Sample, std::size_t... C>
void frameMajorLoop(Sample* const* in, Sample* const* out, int frames, const double* gains,
                    std::index_sequence<C...>) {
    for (int start = 0; start < frames; start += 64) {
        // The gains are loaded again for every chunk, as the plug-in loads them.
        std::atomic_signal_fence(std::memory_order_seq_cst);
        const int count = frames - start > 64 ? 64 : frames - start;
        if constexpr (kWidth == Width::Baseline)
            frameMajorChunk<Sample, C...>(count, gains, (in[C] + start)..., (out[C] + start)...);
#if QT_WIDE_PROCESSING
        else if constexpr (kWidth == Width::Avx2)
            frameMajorChunkAvx2<Sample, C...>(count, gains, (in[C] + start)...,
                                              (out[C] + start)...);
        else
            frameMajorChunkAvx512<Sample, C...>(count, gains, (in[C] + start)...,
                                                (out[C] + start)...);
#endif
    }
}

template <Width kWidth, class Sample>
void frameMajor(Sample* const* in, Sample* const* out, int frames, const double* gains) {
    frameMajorLoop<kWidth>(in, out, frames, gains, std::make_index_sequence<kChannels>());
}

// The plain loop for the instruction set whose entry the plug-in uses on this processor.
template <class Sample>
PlainLoop<Sample> plainLoopLikeThePlugin() {
#if QT_WIDE_PROCESSING
    const process_bridge::CpuFeatures cpu = process_bridge::detectCpuFeatures();
    if (cpu.avx512) return plainLoopAvx512<Sample>;
    if (cpu.avx2) return plainLoopAvx2<Sample>;
#endif
    return plainLoop<Sample>;
}

template <class Sample>
void plain(benchmark::State& state, PlainLoop<Sample> loop, bool subnormal,
           std::int64_t layout = kSeparate) {
    const int frames = static_cast<int>(state.range(0));
    Buffers<Sample> buffers(frames, subnormal, layout);
    const double gains[] = {pairGain(0), pairGain(1), pairGain(2), pairGain(3)};
    for (auto _ : state) {
        loop(buffers.in.data(), buffers.out.data(), frames, gains);
        benchmark::ClobberMemory();
    }
    reportPerFrame(state, frames);
}

// The plug-in's code built into this program and called through the entry for the baseline
// instruction set, which the library uses on processors without AVX2: the like-for-like
// comparison with the plain loop.
AEffect* inProcessTrimmer() {
    static AEffect* effect = prepare(createPlugin<TTarvoEffect>(hostCallback));
    return effect;
}

template <class Sample>
void entryProcess(benchmark::State& state, process_bridge::ProcessEntry<Sample> entry,
                  std::int64_t layout = kSeparate) {
    CVeST* shell = static_cast<CVeST*>(inProcessTrimmer()->object);
    const int frames = static_cast<int>(state.range(0));
    Buffers<Sample> buffers(frames, false, layout);
    for (auto _ : state) {
        entry(shell, buffers.in.data(), buffers.out.data(), frames);
        benchmark::ClobberMemory();
    }
    reportPerFrame(state, frames);
}

// The frame-major plain loop for the instruction set whose entry the plug-in uses here.
template <class Sample>
PlainLoop<Sample> frameMajorLikeThePlugin() {
#if QT_WIDE_PROCESSING
    const process_bridge::CpuFeatures cpu = process_bridge::detectCpuFeatures();
    if (cpu.avx512) return frameMajor<Width::Avx512, Sample>;
    if (cpu.avx2) return frameMajor<Width::Avx2, Sample>;
#endif
    return frameMajor<Width::Baseline, Sample>;
}

// Through the loaded library (its widest entry for this processor) against the plain loops on
// the same vector unit.
void BM_PluginFloat(benchmark::State& state) {
    pluginProcess<float>(state, false);
}
void BM_PlainFloat(benchmark::State& state) {
    plain<float>(state, plainLoopLikeThePlugin<float>(), false);
}
void BM_FrameMajorFloat(benchmark::State& state) {
    plain<float>(state, frameMajorLikeThePlugin<float>(), false);
}
void BM_PluginDouble(benchmark::State& state) {
    pluginProcess<double>(state, false, layoutOf(state));
}
void BM_PlainDouble(benchmark::State& state) {
    plain<double>(state, plainLoopLikeThePlugin<double>(), false, layoutOf(state));
}
void BM_FrameMajorDouble(benchmark::State& state) {
    plain<double>(state, frameMajorLikeThePlugin<double>(), false, layoutOf(state));
}
// One call with no frames: the entry, the channel checks and the effect's once-per-call hook
// (clock, host time queries), which the plain loops do not have.
void BM_PluginCallNoFrames(benchmark::State& state) {
    AEffect* effect = trimmer();
    Buffers<double> buffers(1, false);
    for (auto _ : state) {
        (void)_;
        effect->processDoubleReplacing(effect, buffers.in.data(), buffers.out.data(), 0);
        benchmark::ClobberMemory();
    }
}
// The baseline-instruction-set entries against the plain loops built for the same.
void BM_PluginFloatBaselineIsa(benchmark::State& state) {
    entryProcess<float>(state, process_bridge::processEntry<TTarvoEffect, float>);
}
void BM_PlainFloatBaselineIsa(benchmark::State& state) {
    plain<float>(state, plainLoop<float>, false);
}
void BM_FrameMajorFloatBaselineIsa(benchmark::State& state) {
    plain<float>(state, frameMajor<Width::Baseline, float>, false);
}
void BM_PluginDoubleBaselineIsa(benchmark::State& state) {
    entryProcess<double>(state, process_bridge::processEntry<TTarvoEffect, double>,
                         layoutOf(state));
}
void BM_PlainDoubleBaselineIsa(benchmark::State& state) {
    plain<double>(state, plainLoop<double>, false, layoutOf(state));
}
void BM_FrameMajorDoubleBaselineIsa(benchmark::State& state) {
    plain<double>(state, frameMajor<Width::Baseline, double>, false, layoutOf(state));
}
#if QT_WIDE_PROCESSING
// The AVX2 entries, which processors without AVX-512 use.
void BM_PluginFloatAvx2(benchmark::State& state) {
    entryProcess<float>(state, process_bridge::processEntryAvx2<TTarvoEffect, float>);
}
void BM_PlainFloatAvx2(benchmark::State& state) {
    plain<float>(state, plainLoopAvx2<float>, false);
}
void BM_FrameMajorFloatAvx2(benchmark::State& state) {
    plain<float>(state, frameMajor<Width::Avx2, float>, false);
}
void BM_PluginDoubleAvx2(benchmark::State& state) {
    entryProcess<double>(state, process_bridge::processEntryAvx2<TTarvoEffect, double>,
                         layoutOf(state));
}
void BM_PlainDoubleAvx2(benchmark::State& state) {
    plain<double>(state, plainLoopAvx2<double>, false, layoutOf(state));
}
void BM_FrameMajorDoubleAvx2(benchmark::State& state) {
    plain<double>(state, frameMajor<Width::Avx2, double>, false, layoutOf(state));
}
#endif
// Subnormal samples must not slow the plug-in down.
void BM_PluginFloatSubnormal(benchmark::State& state) {
    pluginProcess<float>(state, true);
}
void BM_PlainFloatSubnormal(benchmark::State& state) {
    plain<float>(state, plainLoopLikeThePlugin<float>(), true);
}

#ifdef QT_LV2_LIBRARY
// ---- the LV2 library's run beside the VST 2.4 library's processReplacing --------------------
// Both over one set of buffers, 512 frames, separate or in place, with the same four settings
// (the LV2 levels in dB).

struct Lv2Plugin {
    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle handle = nullptr;
    float levels[4] = {-6.0f, 0.0f, 2.4f, 9.6f};
};

// One loaded LV2 trimmer for the whole run, activated; stops the run when there is none.
Lv2Plugin& lv2Trimmer() {
    static hostkit::DynamicLibrary library;
    static Lv2Plugin plugin;
    if (plugin.handle != nullptr) return plugin;
    std::string error;
    if (!library.open(QT_LV2_LIBRARY, error)) {
        std::fprintf(stderr, "cannot load %s: %s\n", QT_LV2_LIBRARY, error.c_str());
        std::exit(1);
    }
    auto entry = reinterpret_cast<LV2_Descriptor_Function>(library.symbol("lv2_descriptor"));
    plugin.descriptor = entry != nullptr ? entry(0) : nullptr;
    const LV2_Feature* const features[] = {nullptr};
    if (plugin.descriptor != nullptr)
        plugin.handle = plugin.descriptor->instantiate(plugin.descriptor, 48000.0, "", features);
    if (plugin.handle == nullptr) std::exit(1);
    for (std::uint32_t k = 0; k < 4; ++k)
        plugin.descriptor->connect_port(plugin.handle, 2 * kChannels + k, &plugin.levels[k]);
    plugin.descriptor->activate(plugin.handle);
    return plugin;
}

// The buffers both libraries process, made once so that both see the same addresses; in place
// the outputs are the inputs, which the gains, applied call after call, soon turn into zeros:
// both libraries meet the same values.
float** sharedChannels(bool output, bool inPlace) {
    static Buffers<float> buffers(512, false);
    return (output && !inPlace ? buffers.out : buffers.in).data();
}

void connectLv2(Lv2Plugin& plugin, bool inPlace) {
    for (std::uint32_t c = 0; c < kChannels; ++c) {
        plugin.descriptor->connect_port(plugin.handle, c, sharedChannels(false, inPlace)[c]);
        plugin.descriptor->connect_port(plugin.handle, kChannels + c,
                                        sharedChannels(true, inPlace)[c]);
    }
}

void BM_Lv2Run(benchmark::State& state) {
    Lv2Plugin& plugin = lv2Trimmer();
    connectLv2(plugin, state.range(1) != 0);
    const auto frames = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {
        (void)_;
        plugin.descriptor->run(plugin.handle, frames);
        benchmark::ClobberMemory();
    }
    reportPerFrame(state, static_cast<int>(frames));
}

void BM_VstBesideLv2(benchmark::State& state) {
    AEffect* effect = trimmer();
    const bool inPlace = state.range(1) != 0;
    float** in = sharedChannels(false, inPlace);
    float** out = sharedChannels(true, inPlace);
    const auto frames = static_cast<VstInt32>(state.range(0));
    for (auto _ : state) {
        (void)_;
        effect->processReplacing(effect, in, out, frames);
        benchmark::ClobberMemory();
    }
    reportPerFrame(state, frames);
}

// The processor time this thread has used, in nanoseconds: time the thread spends waiting for
// a processor (the machine is shared) does not count.
std::int64_t threadNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Both in turn within every iteration, 64 calls each, the first of the two alternating: the
// processor time of each is summed apart, and their ratio is reported as lv2_over_vst, so that
// whatever else the machine runs weighs on both alike.
void BM_Lv2OverVst(benchmark::State& state) {
    constexpr int kCalls = 64;
    Lv2Plugin& plugin = lv2Trimmer();
    AEffect* effect = trimmer();
    const bool inPlace = state.range(1) != 0;
    connectLv2(plugin, inPlace);
    float** in = sharedChannels(false, inPlace);
    float** out = sharedChannels(true, inPlace);
    const auto frames = static_cast<std::uint32_t>(state.range(0));
    std::int64_t spent[2] = {};
    bool lv2First = true;
    for (auto _ : state) {
        (void)_;
        for (const bool lv2 : {lv2First, !lv2First}) {
            const std::int64_t start = threadNanoseconds();
            for (int call = 0; call < kCalls; ++call) {
                if (lv2)
                    plugin.descriptor->run(plugin.handle, frames);
                else
                    effect->processReplacing(effect, in, out, static_cast<VstInt32>(frames));
                benchmark::ClobberMemory();
            }
            spent[lv2 ? 0 : 1] += threadNanoseconds() - start;
        }
        lv2First = !lv2First;
    }
    state.counters["lv2_over_vst"] = static_cast<double>(spent[0]) / static_cast<double>(spent[1]);
    reportPerFrame(state, static_cast<int>(2 * kCalls * frames));
}

void Lv2Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"frames", "in_place"})->Args({512, 0})->Args({512, 1});
}
#endif

// Frames per call; at 512 frames also the two block layouts, and the staggered layout at every
// size.
void FloatSizes(benchmark::internal::Benchmark* b) {
    b->Arg(64)->Arg(512)->Arg(4096);
}
void DoubleSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"frames", "layout"});
    b->Args({64, kSeparate})->Args({512, kSeparate})->Args({512, kPaddedBlock});
    b->Args({512, kPackedBlock})->Args({4096, kSeparate});
    b->Args({64, kStaggered})->Args({512, kStaggered})->Args({4096, kStaggered});
}

} // namespace

BENCHMARK(BM_PluginFloat)->Apply(FloatSizes);
BENCHMARK(BM_PlainFloat)->Apply(FloatSizes);
BENCHMARK(BM_FrameMajorFloat)->Apply(FloatSizes);
BENCHMARK(BM_PluginDouble)->Apply(DoubleSizes);
BENCHMARK(BM_PlainDouble)->Apply(DoubleSizes);
BENCHMARK(BM_FrameMajorDouble)->Apply(DoubleSizes);
BENCHMARK(BM_PluginCallNoFrames);
BENCHMARK(BM_PluginFloatBaselineIsa)->Apply(FloatSizes);
BENCHMARK(BM_PlainFloatBaselineIsa)->Apply(FloatSizes);
BENCHMARK(BM_FrameMajorFloatBaselineIsa)->Apply(FloatSizes);
BENCHMARK(BM_PluginDoubleBaselineIsa)->Apply(DoubleSizes);
BENCHMARK(BM_PlainDoubleBaselineIsa)->Apply(DoubleSizes);
BENCHMARK(BM_FrameMajorDoubleBaselineIsa)->Apply(DoubleSizes);
#if QT_WIDE_PROCESSING
BENCHMARK(BM_PluginFloatAvx2)->Apply(FloatSizes);
BENCHMARK(BM_PlainFloatAvx2)->Apply(FloatSizes);
BENCHMARK(BM_FrameMajorFloatAvx2)->Apply(FloatSizes);
BENCHMARK(BM_PluginDoubleAvx2)->Apply(DoubleSizes);
BENCHMARK(BM_PlainDoubleAvx2)->Apply(DoubleSizes);
BENCHMARK(BM_FrameMajorDoubleAvx2)->Apply(DoubleSizes);
#endif
#ifdef QT_LV2_LIBRARY
BENCHMARK(BM_Lv2Run)->Apply(Lv2Sizes);
BENCHMARK(BM_VstBesideLv2)->Apply(Lv2Sizes);
BENCHMARK(BM_Lv2OverVst)->Apply(Lv2Sizes);
#endif
BENCHMARK(BM_PluginFloatSubnormal)->Arg(512);
BENCHMARK(BM_PlainFloatSubnormal)->Arg(512);

BENCHMARK_MAIN();
