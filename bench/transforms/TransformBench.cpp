// SPDX-License-Identifier: MIT
// Forward FFT and forward MDCT of the transform library beside FFTW (FFTW_MEASURE plans) and an
// MDCT built on FFTW. Every benchmark's time is the time of one transform.
#include "runtime/TarvoTransforms.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <bit>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<double> RandomValues(std::size_t count) {
    std::mt19937 generator(12345u);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<double> x(count);
    for (double& v : x)
        v = value(generator);
    return x;
}

int Log2(std::int64_t n) {
    return std::countr_zero(static_cast<std::uint64_t>(n));
}

// The FFTs run in place on the same buffer again and again, so its values grow by about sqrt(n)
// per transform; the buffer goes back to the start values before they could overflow.
bool NeedsReset(const double* buffer) {
    return !(std::fabs(buffer[0]) < 1e150);
}

void OurFft(benchmark::State& state) {
    const std::int64_t n = state.range(0);
    const int log2n = Log2(n);
    ensureTransformTables();
    const std::vector<double> start = RandomValues(2 * static_cast<std::size_t>(n));
    std::vector<double> buffer = start;
    for (auto _ : state) {
        fftRun(log2n, buffer.data(), kFftForward);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
        if (NeedsReset(buffer.data())) buffer = start;
    }
}

void FftwFft(benchmark::State& state) {
    const std::int64_t n = state.range(0);
    const std::vector<double> start = RandomValues(2 * static_cast<std::size_t>(n));
    fftw_complex* buffer = fftw_alloc_complex(static_cast<std::size_t>(n));
    fftw_plan plan =
        fftw_plan_dft_1d(static_cast<int>(n), buffer, buffer, FFTW_FORWARD, FFTW_MEASURE);
    std::memcpy(buffer, start.data(), start.size() * sizeof(double));
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(buffer);
        benchmark::ClobberMemory();
        if (NeedsReset(buffer[0])) std::memcpy(buffer, start.data(), start.size() * sizeof(double));
    }
    fftw_destroy_plan(plan);
    fftw_free(buffer);
}

// MDCT of N inputs through an N/4-point FFTW transform: fold into the N/2 inputs u of a DCT-IV,
// rotate the pairs (u[2j], u[N/2-1-2j]) by exp(-2*pi*i (j + 1/8)/N), transform, rotate the
// outputs by exp(-2*pi*i (p + 1/8)/N), and unpack; scaled by 4/N like the library's.
class FftwMdct {
public:
    explicit FftwMdct(int size)
        : m_size(size), m_pre(static_cast<std::size_t>(size / 4)),
          m_post(static_cast<std::size_t>(size / 4)) {
        const int l = size / 4;
        m_buffer = fftw_alloc_complex(static_cast<std::size_t>(l));
        m_plan = fftw_plan_dft_1d(l, m_buffer, m_buffer, FFTW_FORWARD, FFTW_MEASURE);
        const double pi = 3.14159265358979323846;
        for (int j = 0; j < l; ++j) {
            const double a = -2.0 * pi * (j + 0.125) / size;
            m_pre[j] = std::polar(1.0, a);
            m_post[j] = std::polar(4.0 / size, a);
        }
    }
    ~FftwMdct() {
        fftw_destroy_plan(m_plan);
        fftw_free(m_buffer);
    }
    FftwMdct(const FftwMdct&) = delete;
    FftwMdct& operator=(const FftwMdct&) = delete;

    void Forward(const double* x, double* out) {
        const int m = m_size / 2, l = m_size / 4;
        for (int j = 0; j < l / 2; ++j) {
            const double ur = -x[3 * m / 2 + 2 * j] - x[3 * m / 2 - 1 - 2 * j];
            const double ui = x[m / 2 - 1 - 2 * j] - x[m / 2 + 2 * j];
            Store(j, std::complex<double>(ur, ui) * m_pre[j]);
        }
        for (int j = l / 2; j < l; ++j) {
            const double ur = x[2 * j - m / 2] - x[3 * m / 2 - 1 - 2 * j];
            const double ui = -x[5 * m / 2 - 1 - 2 * j] - x[m / 2 + 2 * j];
            Store(j, std::complex<double>(ur, ui) * m_pre[j]);
        }
        fftw_execute(m_plan);
        for (int p = 0; p < l; ++p) {
            const std::complex<double> w =
                std::complex<double>(m_buffer[p][0], m_buffer[p][1]) * m_post[p];
            out[2 * p] = w.real();
            out[m - 1 - 2 * p] = -w.imag();
        }
    }

private:
    void Store(int j, std::complex<double> v) {
        m_buffer[j][0] = v.real();
        m_buffer[j][1] = v.imag();
    }

    int m_size;
    std::vector<std::complex<double>> m_pre;
    std::vector<std::complex<double>> m_post;
    fftw_complex* m_buffer = nullptr;
    fftw_plan m_plan = nullptr;
};

void OurMdct(benchmark::State& state) {
    const auto setup = mdctCreate(static_cast<std::int32_t>(state.range(0)));
    const std::vector<double> in = RandomValues(static_cast<std::size_t>(setup->n));
    std::vector<double> out(static_cast<std::size_t>(setup->n / 2));
    for (auto _ : state) {
        mdctForward(*setup, in.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

void FftwBasedMdct(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    FftwMdct mdct(size);
    const std::vector<double> in = RandomValues(static_cast<std::size_t>(size));
    std::vector<double> out(static_cast<std::size_t>(size / 2));

    // Both compute the same transform; a benchmark of something else would be worthless.
    const auto setup = mdctCreate(size);
    std::vector<double> ours(out.size());
    mdctForward(*setup, in.data(), ours.data());
    mdct.Forward(in.data(), out.data());
    for (std::size_t k = 0; k < out.size(); ++k) {
        if (std::fabs(out[k] - ours[k]) > 1e-12) {
            state.SkipWithError("the FFTW-based MDCT disagrees with the library's");
            return;
        }
    }

    for (auto _ : state) {
        mdct.Forward(in.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(OurFft)->Arg(64)->Arg(1024)->Arg(4096)->Arg(32768);
BENCHMARK(FftwFft)->Arg(64)->Arg(1024)->Arg(4096)->Arg(32768);
BENCHMARK(OurMdct)->Arg(256)->Arg(1024)->Arg(4096);
BENCHMARK(FftwBasedMdct)->Arg(256)->Arg(1024)->Arg(4096);

BENCHMARK_MAIN();
