// SPDX-License-Identifier: MIT
// Transform library of translated effects: an in-place split-radix complex FFT for power-of-two
// sizes, the permutation between its output order and natural order, complex products for
// convolution in the transform domain, and a windowed MDCT. Effects reach them through the three
// built-ins at the end of this header, which work on the effect's sparse memory.
//
// Complex values are (real, imaginary) pairs of doubles stored next to each other: a buffer of n
// complex values is 2n doubles.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class CTarvoMemory;

// Module-wide tables, built once (thread-safe) on first use and never changed afterwards.
struct TransformTables {
    static constexpr int kTwiddleTableCount = 11;
    static constexpr int kMaxLog2Size = 15;
    static constexpr std::int32_t kPermutationSize = 65534;

    // cos pi/8, sin pi/8, sqrt(1/2), then sin pi/4, cos 3pi/8 and sin 3pi/8 as they come out of
    // the C library (the first two are one step off the correctly rounded values).
    double eightPoint[6];
    // Table t (m = 16 << t) holds (cos k*pi/m, sin k*pi/m) pairs from k = 1: up to k = m/2 - 1
    // for m <= 256, up to k = m/4 - 1 above (the rest follows from cos(pi/2 - a) = sin a).
    std::vector<double> twiddle[kTwiddleTableCount];
    // P(i, n) for n = 2, 4, ..., 32768 in turn; the block of size n starts at index n - 2.
    std::vector<std::int32_t> permutation;
    // For each n = 2^t (t = 2..15) a zero-terminated list starting at cycles[cycleStart[t]]:
    // the smallest position of every cycle of P(., n) that moves values (every such cycle is
    // listed, so a reorder that follows them moves the whole buffer).
    std::vector<std::int32_t> cycles;
    std::int32_t cycleStart[kMaxLog2Size + 1];
};

// Builds the tables if that has not happened yet; answers 1 when they are ready (0 only when they
// could not be allocated, and then every transform does nothing). Safe to call from several
// threads at once: the build runs exactly once and every caller waits for it.
int ensureTransformTables();

// The tables, built if needed.
const TransformTables& transformTables();

// P(i, n): the natural-order index of the value that the forward transform of size n leaves at
// position i. n must be a power of two from 2 to 32768 and 0 <= i < n; anything else gives -1.
std::int32_t permIndex(std::int32_t n, std::int32_t i);

// Transform modes of fftRun.
constexpr int kFftForward = 0;     // natural order in, transform order out, exponent +2*pi*i*jk/n
constexpr int kFftInverse = 1;     // transform order in, natural order out, exponent -2*pi*i*jk/n
constexpr int kFftToTransform = 4; // reorder only: position i receives the value at P(i)
constexpr int kFftToNatural = 5;   // reorder only: position P(i) receives the value at i

// Runs `mode` on n = 2^log2n complex values in place, without scaling (forward then inverse gives
// n times the input). Sizes 2 to 32768; other sizes and other modes do nothing.
void fftRun(int log2n, double* buffer, int mode);

// a[j] = a[j] * b[j], j < n. The three products do nothing unless n is even and at least 2; they
// take two values per step.
void complexMulInPlace(double* a, const double* b, std::int32_t n);
// c[j] = a[j] * b[j], j < n.
void complexMul(double* c, const double* a, const double* b, std::int32_t n);
// c[j] = c[j] + a[j] * b[j], j < n.
void complexMulAdd(double* c, const double* a, const double* b, std::int32_t n);

// MDCT of size N (N inputs, N/2 outputs). Sizes up to 32 use the direct O(N^2) formulas:
//   forward  X[k] = sum_{n<N} x[n] c(n, k)                (k < N/2)
//   inverse  x[n] = (4/N) sum_{k<N/2} X[k] c(n, k)         (n < N)
// with c(n, k) = cos(pi/(2N) (2n + 1 + N/2) (2k + 1)). Larger sizes use the fast transform, which
// moves the factor 4/N from the inverse to the forward transform:
//   forward  X[k] = (4/N) sum_{n<N} x[n] c(n, k)
//   inverse  x[n] = sum_{k<N/2} X[k] c(n, k)
// so that a forward and an inverse transform in a row scale the same way at every size.
struct MdctSetup {
    std::int32_t n = 0;
    std::int32_t log2n = 0;
    // N + N/4 doubles: (cos 2*pi*i/N, -sin 2*pi*i/N) for even i < N/2; then (cos, sin) of
    // pi*(i+1)/(2N) for even i < N/2; then 0.5 * (cos a, -sin a) with a = pi*(4j+2)/N, j < N/8.
    std::vector<double> trig;
    // N/4 ints: for j < N/8 with r = j reversed in its low log2n - 1 bits, the pair
    // ((2^(log2n - 1) - 1) & ~r) - 1, r.
    std::vector<std::int32_t> bitReverse;
    double scale = 0.0; // 4/N
    // N/2 doubles: w[i] = sin(pi/N * (i + 0.5)).
    std::vector<double> window;
};

// A setup for N, a power of two from 8 to 4096 (nullptr for other sizes, or when it cannot be
// allocated). Sizes up to 32 get only the window. When a table of a larger size cannot be
// allocated it stays empty and the transforms fall back to the direct formulas (with the factor
// placed as in the fast transform).
std::unique_ptr<MdctSetup> mdctCreate(std::int32_t n);

// out[i] = in[i] * w[i] and out[N/2 + i] = in[N/2 + i] * w[N/2 - 1 - i] for i < N/2.
// in and out may be the same buffer.
void mdctWindow(const MdctSetup& setup, const double* in, double* out);
// N values in, N/2 values out. in and out must not overlap.
void mdctForward(const MdctSetup& setup, const double* in, double* out);
// N/2 values in, N values out. in and out must not overlap.
void mdctInverse(const MdctSetup& setup, const double* in, double* out);

// The shared setup for N = 32, 64, ..., 4096, created on first use (thread-safe) and kept until
// the library is unloaded; nullptr for other sizes or when it could not be allocated.
const MdctSetup* mdctSharedSetup(std::int32_t n);

// Built-ins over the effect memory. Arguments arrive as script values and are converted with
// TruncToInt. A region that does not lie inside one memory block is left alone.

// b = number of times `size` halves before reaching 1 (log2 for powers of two; 48 gives 5).
// For 4 <= b <= 15: fftRun(b, memory at index, mode) on 2^b complex values.
void BuiltinFft(CTarvoMemory& memory, double index, double size, double mode);
// b as above; for 5 <= b <= 12 and N = 2^b: inverse flag non-zero: inverse MDCT of the N/2 values
// at index, windowed, back into the N values at index; zero: the N values at index windowed,
// transformed, and the N/2 results stored at index.
void BuiltinMdct(CTarvoMemory& memory, double index, double size, double inverse);
// count is rounded down to even; if positive, complexMulInPlace on the two regions.
void BuiltinComplexMul(CTarvoMemory& memory, double destIndex, double srcIndex, double count);
