// SPDX-License-Identifier: MIT
// Forward FFT and forward and inverse MDCT of the transform library beside FFTW (FFTW_MEASURE
// plans) and an MDCT built on FFTW. Every benchmark's time is the time of one transform.
#include "runtime/TarvoTransforms.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <bit>
#include <cmath>
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

// The standard MDCT on FFTW's measured N/4-point complex plan: fold the N inputs into the N/2
// inputs u of a DCT-IV, take the pairs (u[2j], u[N/2-1-2j]) as N/4 complex values, rotate them by
// exp(-2*pi*i (j + 1/8)/N), transform, rotate the outputs by the same angles and unpack; scaled
// by 4/N like the library's forward transform. The inverse runs the same DCT-IV on its N/2 inputs
// and unfolds the result into N outputs. Complex products are written out, so that no library
// call for the special cases of complex multiplication takes part.
class FftwMdct {
public:
    explicit FftwMdct(int size)
        : m_size(size), m_twiddle(static_cast<std::size_t>(size / 2)),
          m_dct(static_cast<std::size_t>(size / 2)) {
        const int l = size / 4;
        m_buffer = fftw_alloc_complex(static_cast<std::size_t>(l));
        m_plan = fftw_plan_dft_1d(l, m_buffer, m_buffer, FFTW_FORWARD, FFTW_MEASURE);
        const double pi = 3.14159265358979323846;
        for (int j = 0; j < l; ++j) {
            const double a = -2.0 * pi * (j + 0.125) / size;
            m_twiddle[2 * j] = std::cos(a);
            m_twiddle[2 * j + 1] = std::sin(a);
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
        for (int j = 0; j < l / 2; ++j)
            Rotate(j, -x[3 * m / 2 + 2 * j] - x[3 * m / 2 - 1 - 2 * j],
                   x[m / 2 - 1 - 2 * j] - x[m / 2 + 2 * j]);
        for (int j = l / 2; j < l; ++j)
            Rotate(j, x[2 * j - m / 2] - x[3 * m / 2 - 1 - 2 * j],
                   -x[5 * m / 2 - 1 - 2 * j] - x[m / 2 + 2 * j]);
        fftw_execute(m_plan);
        Unpack(out, 4.0 / m_size);
    }

    void Inverse(const double* in, double* out) {
        const int m = m_size / 2, l = m_size / 4;
        for (int j = 0; j < l; ++j)
            Rotate(j, in[2 * j], in[m - 1 - 2 * j]);
        fftw_execute(m_plan);
        double* v = m_dct.data();
        Unpack(v, 1.0);
        for (int s = 0; s < m / 2; ++s) {
            out[s] = v[m / 2 + s];
            out[m - 1 - s] = -v[m / 2 + s];
            out[3 * m / 2 - 1 - s] = -v[s];
            out[3 * m / 2 + s] = -v[s];
        }
    }

private:
    void Rotate(int j, double re, double im) {
        const double c = m_twiddle[2 * j], s = m_twiddle[2 * j + 1];
        m_buffer[j][0] = re * c - im * s;
        m_buffer[j][1] = re * s + im * c;
    }
    void Unpack(double* out, double scale) {
        const int m = m_size / 2, l = m_size / 4;
        for (int p = 0; p < l; ++p) {
            const double c = m_twiddle[2 * p] * scale, s = m_twiddle[2 * p + 1] * scale;
            const double re = m_buffer[p][0], im = m_buffer[p][1];
            out[2 * p] = re * c - im * s;
            out[m - 1 - 2 * p] = -(re * s + im * c);
        }
    }

    int m_size;
    std::vector<double> m_twiddle; // (cos, sin) of -2*pi*(j + 1/8)/N
    std::vector<double> m_dct;     // the inverse's DCT-IV outputs
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

void OurInverseMdct(benchmark::State& state) {
    const auto setup = mdctCreate(static_cast<std::int32_t>(state.range(0)));
    const std::vector<double> in = RandomValues(static_cast<std::size_t>(setup->n / 2));
    std::vector<double> out(static_cast<std::size_t>(setup->n));
    for (auto _ : state) {
        mdctInverse(*setup, in.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

// Both compute the same transform; a benchmark of something else would be worthless.
bool SameAsTheLibrary(FftwMdct& mdct, int size, bool inverse) {
    const auto setup = mdctCreate(size);
    const std::size_t inCount = static_cast<std::size_t>(inverse ? size / 2 : size);
    const std::size_t outCount = static_cast<std::size_t>(inverse ? size : size / 2);
    const std::vector<double> in = RandomValues(inCount);
    std::vector<double> ours(outCount), theirs(outCount);
    if (inverse) {
        mdctInverse(*setup, in.data(), ours.data());
        mdct.Inverse(in.data(), theirs.data());
    } else {
        mdctForward(*setup, in.data(), ours.data());
        mdct.Forward(in.data(), theirs.data());
    }
    for (std::size_t k = 0; k < outCount; ++k)
        if (!(std::fabs(ours[k] - theirs[k]) <= 1e-10)) return false;
    return true;
}

void FftwBasedMdct(benchmark::State& state, bool inverse) {
    const int size = static_cast<int>(state.range(0));
    FftwMdct mdct(size);
    if (!SameAsTheLibrary(mdct, size, inverse)) {
        state.SkipWithError("the FFTW-based MDCT disagrees with the library's");
        return;
    }
    const std::vector<double> in = RandomValues(static_cast<std::size_t>(size));
    std::vector<double> out(static_cast<std::size_t>(size));
    for (auto _ : state) {
        if (inverse)
            mdct.Inverse(in.data(), out.data());
        else
            mdct.Forward(in.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

void FftwBasedMdct(benchmark::State& state) {
    FftwBasedMdct(state, false);
}
void FftwBasedInverseMdct(benchmark::State& state) {
    FftwBasedMdct(state, true);
}

} // namespace

BENCHMARK(OurFft)->Arg(64)->Arg(256)->Arg(1024)->Arg(4096)->Arg(32768);
BENCHMARK(FftwFft)->Arg(64)->Arg(256)->Arg(1024)->Arg(4096)->Arg(32768);
BENCHMARK(OurMdct)->Arg(256)->Arg(1024)->Arg(4096);
BENCHMARK(FftwBasedMdct)->Arg(256)->Arg(1024)->Arg(4096);
BENCHMARK(OurInverseMdct)->Arg(256)->Arg(1024)->Arg(4096);
BENCHMARK(FftwBasedInverseMdct)->Arg(256)->Arg(1024)->Arg(4096);

BENCHMARK_MAIN();
