// SPDX-License-Identifier: MIT
// Cost of the plug-in's processing entries, called through the host record of the loaded
// library with hot buffers reused as a host reuses them, against a plain loop doing the same
// arithmetic (widen, multiply each pair by its gain, zero non-finite results, narrow), built
// for the same instruction set.
#include "effect/TTarvoEffect.h"
#include "host/PluginFactory.h"
#include "host/ProcessBridge.h"
#include "host/VstInterface.h"
#include "hostkit/DynamicLibrary.h"
#include "runtime/TarvoValues.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

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

template <class Sample>
struct Buffers {
    Buffers(int frames, bool subnormal)
        : data(2 * kChannels, std::vector<Sample>(static_cast<std::size_t>(frames))) {
        for (int c = 0; c < 2 * kChannels; ++c) {
            for (int j = 0; j < frames; ++j) {
                const double wave = std::sin(0.01 * j + c) * 0.5;
                data[c][j] = subnormal
                                 ? static_cast<Sample>(std::numeric_limits<float>::denorm_min() *
                                                       static_cast<float>(1 + (j + c) % 1000))
                                 : static_cast<Sample>(wave);
            }
        }
        for (int c = 0; c < kChannels; ++c) {
            in.push_back(data[c].data());
            out.push_back(data[kChannels + c].data());
        }
    }
    std::vector<std::vector<Sample>> data;
    std::vector<Sample*> in, out;
};

void reportPerFrame(benchmark::State& state, int frames) {
    const double perCall = static_cast<double>(frames);
    // Inverted rates: seconds per frame and per channel-sample, printed with SI prefixes.
    const auto kPerItem =
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert;
    state.counters["frame"] = benchmark::Counter(perCall, kPerItem);
    state.counters["ch_sample"] = benchmark::Counter(perCall * kChannels, kPerItem);
}

template <class Sample>
void pluginProcess(benchmark::State& state, bool subnormal) {
    AEffect* effect = trimmer();
    const int frames = static_cast<int>(state.range(0));
    Buffers<Sample> buffers(frames, subnormal);
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
void plain(benchmark::State& state, PlainLoop<Sample> loop, bool subnormal) {
    const int frames = static_cast<int>(state.range(0));
    Buffers<Sample> buffers(frames, subnormal);
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
void entryProcess(benchmark::State& state, process_bridge::ProcessEntry<Sample> entry) {
    CVeST* shell = static_cast<CVeST*>(inProcessTrimmer()->object);
    const int frames = static_cast<int>(state.range(0));
    Buffers<Sample> buffers(frames, false);
    for (auto _ : state) {
        entry(shell, buffers.in.data(), buffers.out.data(), frames);
        benchmark::ClobberMemory();
    }
    reportPerFrame(state, frames);
}

// Through the loaded library (its widest entry for this processor) against the plain loop on
// the same vector unit.
void BM_PluginFloat(benchmark::State& state) {
    pluginProcess<float>(state, false);
}
void BM_PlainFloat(benchmark::State& state) {
    plain<float>(state, plainLoopLikeThePlugin<float>(), false);
}
void BM_PluginDouble(benchmark::State& state) {
    pluginProcess<double>(state, false);
}
void BM_PlainDouble(benchmark::State& state) {
    plain<double>(state, plainLoopLikeThePlugin<double>(), false);
}
// The baseline-instruction-set entries against the plain loop built for the same.
void BM_PluginFloatBaselineIsa(benchmark::State& state) {
    entryProcess<float>(state, process_bridge::processEntry<TTarvoEffect, float>);
}
void BM_PlainFloatBaselineIsa(benchmark::State& state) {
    plain<float>(state, plainLoop<float>, false);
}
void BM_PluginDoubleBaselineIsa(benchmark::State& state) {
    entryProcess<double>(state, process_bridge::processEntry<TTarvoEffect, double>);
}
void BM_PlainDoubleBaselineIsa(benchmark::State& state) {
    plain<double>(state, plainLoop<double>, false);
}
#if QT_WIDE_PROCESSING
// The AVX2 entries, which processors without AVX-512 use.
void BM_PluginFloatAvx2(benchmark::State& state) {
    entryProcess<float>(state, process_bridge::processEntryAvx2<TTarvoEffect, float>);
}
void BM_PlainFloatAvx2(benchmark::State& state) {
    plain<float>(state, plainLoopAvx2<float>, false);
}
void BM_PluginDoubleAvx2(benchmark::State& state) {
    entryProcess<double>(state, process_bridge::processEntryAvx2<TTarvoEffect, double>);
}
void BM_PlainDoubleAvx2(benchmark::State& state) {
    plain<double>(state, plainLoopAvx2<double>, false);
}
#endif
// Subnormal samples must not slow the plug-in down.
void BM_PluginFloatSubnormal(benchmark::State& state) {
    pluginProcess<float>(state, true);
}
void BM_PlainFloatSubnormal(benchmark::State& state) {
    plain<float>(state, plainLoopLikeThePlugin<float>(), true);
}

} // namespace

BENCHMARK(BM_PluginFloat)->Arg(64)->Arg(512)->Arg(4096);
BENCHMARK(BM_PlainFloat)->Arg(64)->Arg(512)->Arg(4096);
BENCHMARK(BM_PluginDouble)->Arg(64)->Arg(512)->Arg(4096);
BENCHMARK(BM_PlainDouble)->Arg(64)->Arg(512)->Arg(4096);
BENCHMARK(BM_PluginFloatBaselineIsa)->Arg(64)->Arg(512)->Arg(4096);
BENCHMARK(BM_PlainFloatBaselineIsa)->Arg(64)->Arg(512)->Arg(4096);
BENCHMARK(BM_PluginDoubleBaselineIsa)->Arg(64)->Arg(512)->Arg(4096);
BENCHMARK(BM_PlainDoubleBaselineIsa)->Arg(64)->Arg(512)->Arg(4096);
#if QT_WIDE_PROCESSING
BENCHMARK(BM_PluginFloatAvx2)->Arg(64)->Arg(512)->Arg(4096);
BENCHMARK(BM_PlainFloatAvx2)->Arg(64)->Arg(512)->Arg(4096);
BENCHMARK(BM_PluginDoubleAvx2)->Arg(64)->Arg(512)->Arg(4096);
BENCHMARK(BM_PlainDoubleAvx2)->Arg(64)->Arg(512)->Arg(4096);
#endif
BENCHMARK(BM_PluginFloatSubnormal)->Arg(512);
BENCHMARK(BM_PlainFloatSubnormal)->Arg(512);

BENCHMARK_MAIN();
