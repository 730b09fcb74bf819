// SPDX-License-Identifier: MIT
// What the parts of the transform library share: the module-wide tables, exact angles, the FFT
// drivers that the MDCT runs, and the size limits.
#pragma once

#include "TarvoTransforms.h"

#include <bit>
#include <cstdint>
#include <vector>

// The FFT kernels are compiled twice on ELF x86-64, for SSE2 and for AVX, with the version picked
// at load time by an ifunc resolver, which ELF loaders run before any code of the program
// (Windows has no such thing); ThreadSanitizer cannot run code that early, so it gets one version.
// Both clones do the same operations in the same order, so they give identical results.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__) &&         \
    !defined(__SANITIZE_THREAD__)
#define TARVO_VECTOR_CLONES __attribute__((target_clones("avx", "default")))
#else
#define TARVO_VECTOR_CLONES
#endif

#define TARVO_INLINE [[gnu::always_inline]] inline

namespace transform_detail {

// Eight-point constants by bit pattern.
constexpr double kCosPi8 = std::bit_cast<double>(std::uint64_t{0x3FED906BCF328D46});
constexpr double kSinPi8 = std::bit_cast<double>(std::uint64_t{0x3FD87DE2A6AEA963});
constexpr double kSqrtHalf = std::bit_cast<double>(std::uint64_t{0x3FE6A09E667F3BCD});
constexpr double kSinPi4Lib = std::bit_cast<double>(std::uint64_t{0x3FE6A09E667F3BCC});
constexpr double kCos3Pi8Lib = std::bit_cast<double>(std::uint64_t{0x3FD87DE2A6AEA964});
constexpr double kSin3Pi8Lib = std::bit_cast<double>(std::uint64_t{0x3FED906BCF328D46});

constexpr int kMinLog2Mdct = 5;  // N = 32
constexpr int kMaxLog2Mdct = 12; // N = 4096
constexpr int kMdctSlotCount = kMaxLog2Mdct - kMinLog2Mdct + 1;
constexpr std::int32_t kLargestDirectMdct = 32;

struct Tables : TransformTables {
    // Twiddles of the vector passes: for every size n = 32 .. 32768, at offset n - 32, one group
    // of eight doubles per pair j, j + 1 (j even, j < n/4) of W^j = exp(2*pi*i*j/n):
    // (c_j, c_j, c_j+1, c_j+1, -s_j, s_j, -s_j+1, s_j+1).
    std::vector<double> passTwiddle;
    // Q(j, n) = the position i with P(i, n) = j, for n = 2 .. 1024 (the MDCT's FFT sizes) in
    // turn; the block of size n starts at index n - 2.
    std::vector<std::int32_t> position;
    bool ready = false; // false only when the tables could not be allocated
};

struct CosSin {
    double c;
    double s;
};

// (cos k*pi/m, sin k*pi/m) for any integer k and m = 8, 16, ..., 16384, from the eight-point
// constants and the twiddle tables alone, so every angle the library uses comes out the same on
// every platform.
CosSin cosSinPi(std::int64_t k, std::int32_t m, const TransformTables& t);

// The tables, built by the first caller; callers on other threads wait for that build to finish.
const Tables& tables();

// The split-radix drivers on n = 2^log2n complex values in place: forward takes natural order and
// leaves transform order (exponent +), inverse takes transform order and leaves natural order
// (exponent -). `twiddles` is the tables' passTwiddle.
void forwardTransform(double* x, int log2n, const double* twiddles);
void inverseTransform(double* x, int log2n, const double* twiddles);

} // namespace transform_detail
