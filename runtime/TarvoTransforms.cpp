// SPDX-License-Identifier: MIT
#include "TarvoTransforms.h"

#include "CTarvoMemory.h"
#include "TarvoValues.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

// The kernels are written with GCC vector extensions: V2 holds one complex value, V4 two. The
// same source compiles to SSE2 everywhere and, on ELF x86-64, also to an AVX clone picked at load
// time. Both clones do the same operations in the same order, so they give identical results.
// The vectors never cross a non-inlined call, so the ABI warnings about them do not apply.
#pragma GCC diagnostic ignored "-Wpsabi"

// The clones are chosen by an ifunc resolver, which ELF loaders run before any code of the program
// (Windows has no such thing); ThreadSanitizer cannot run code that early, so it gets one version.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__) &&         \
    !defined(__SANITIZE_THREAD__)
#define TARVO_VECTOR_CLONES __attribute__((target_clones("avx", "default")))
#else
#define TARVO_VECTOR_CLONES
#endif

#define TARVO_INLINE [[gnu::always_inline]] inline

namespace {

typedef double V2 __attribute__((vector_size(16)));
typedef double V4 __attribute__((vector_size(32)));
typedef std::int64_t I4 __attribute__((vector_size(32)));

constexpr std::int64_t kSignBit = INT64_MIN;

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
constexpr int kLeafLog2 = 6; // sub-transforms of up to 64 points run without the node stack

// ---------------------------------------------------------------------------------------------
// Vector helpers

TARVO_INLINE V2 load2(const double* p) {
    V2 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
TARVO_INLINE void store2(double* p, V2 v) {
    std::memcpy(p, &v, sizeof v);
}
TARVO_INLINE V4 load4(const double* p) {
    V4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
TARVO_INLINE void store4(double* p, const V4& v) {
    std::memcpy(p, &v, sizeof v);
}

template <int A, int B, int C, int D>
TARVO_INLINE V4 shuffle4(const V4& v) {
#if defined(__clang__)
    return __builtin_shufflevector(v, v, A, B, C, D);
#else
    return __builtin_shuffle(v, I4{A, B, C, D});
#endif
}

TARVO_INLINE V4 swap4(const V4& v) {
    return shuffle4<1, 0, 3, 2>(v);
}
TARVO_INLINE V4 realParts(const V4& v) {
    return shuffle4<0, 0, 2, 2>(v);
}
TARVO_INLINE V4 imagParts(const V4& v) {
    return shuffle4<1, 1, 3, 3>(v);
}
TARVO_INLINE V4 lowTwice(const V4& v) {
    return shuffle4<0, 1, 0, 1>(v);
}
TARVO_INLINE V4 highTwice(const V4& v) {
    return shuffle4<2, 3, 2, 3>(v);
}

// Sign flips by bit pattern (exact, like a negation).
TARVO_INLINE V4 flip4(const V4& v, const I4& mask) {
    return (V4)((I4)v ^ mask);
}

// i*v = (-im, re) and -i*v = (im, -re), for both values.
TARVO_INLINE V4 timesI(const V4& v) {
    return flip4(swap4(v), I4{kSignBit, 0, kSignBit, 0});
}
TARVO_INLINE V4 timesMinusI(const V4& v) {
    return flip4(swap4(v), I4{0, kSignBit, 0, kSignBit});
}

// Butterflies inside one vector holding (p, q):
// (p + q, p - q)
TARVO_INLINE V4 sumDiff(const V4& v) {
    return lowTwice(v) + flip4(highTwice(v), I4{0, 0, kSignBit, kSignBit});
}
// (p + iq, p - iq)
TARVO_INLINE V4 plusMinusI(const V4& v) {
    return lowTwice(v) + flip4(swap4(highTwice(v)), I4{kSignBit, 0, 0, kSignBit});
}
// (p + q, -i (p - q))
TARVO_INLINE V4 sumMinusIDiff(const V4& v) {
    return flip4(shuffle4<0, 1, 3, 2>(sumDiff(v)), I4{0, 0, 0, kSignBit});
}

// Products of two complex values per vector: a * b.
TARVO_INLINE V4 complexProduct(const V4& a, const V4& b) {
    return a * realParts(b) + swap4(a) * flip4(imagParts(b), I4{kSignBit, 0, kSignBit, 0});
}

// ---------------------------------------------------------------------------------------------
// Tables

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
CosSin cosSinPi(std::int64_t k, std::int32_t m, const TransformTables& t) {
    const std::int64_t period = 2 * std::int64_t{m};
    k %= period;
    if (k < 0) k += period;
    const std::int64_t quarter = m / 2; // steps per quarter turn
    const std::int64_t quadrant = k / quarter;
    const std::int64_t r = k % quarter;
    CosSin base{1.0, 0.0};
    if (r != 0) {
        if (m == 8) {
            base = r == 1   ? CosSin{t.eightPoint[0], t.eightPoint[1]}
                   : r == 2 ? CosSin{t.eightPoint[2], t.eightPoint[2]}
                            : CosSin{t.eightPoint[1], t.eightPoint[0]};
        } else {
            const std::vector<double>& table = t.twiddle[std::countr_zero(std::uint32_t(m)) - 4];
            const std::int64_t stored = std::int64_t(table.size() / 2);
            if (r <= stored) {
                const std::size_t i = 2 * static_cast<std::size_t>(r - 1);
                base = {table[i], table[i + 1]};
            } else if (2 * r == quarter) {
                base = {t.eightPoint[2], t.eightPoint[2]};
            } else {
                const std::size_t i = 2 * static_cast<std::size_t>(quarter - r - 1);
                base = {table[i + 1], table[i]};
            }
        }
    }
    switch (quadrant) {
    case 1:
        return {-base.s, base.c};
    case 2:
        return {-base.c, -base.s};
    case 3:
        return {base.s, -base.c};
    default:
        return base;
    }
}

// Double-double arithmetic (a value is hi + lo, about 106 bits), built from plain double
// operations only: the tables come out the same on every platform and every compiler, and no
// wider floating-point format is involved.
struct DoubleDouble {
    double hi;
    double lo;
};

DoubleDouble quickTwoSum(double a, double b) { // |a| >= |b|
    const double s = a + b;
    return {s, b - (s - a)};
}

DoubleDouble twoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

DoubleDouble twoProduct(double a, double b) {
    const auto split = [](double v) {
        const double t = 134217729.0 * v; // 2^27 + 1
        const double high = t - (t - v);
        return DoubleDouble{high, v - high};
    };
    const double p = a * b;
    const DoubleDouble x = split(a), y = split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

DoubleDouble add(DoubleDouble x, DoubleDouble y) {
    const DoubleDouble s = twoSum(x.hi, y.hi);
    return quickTwoSum(s.hi, s.lo + x.lo + y.lo);
}

DoubleDouble multiply(DoubleDouble x, DoubleDouble y) {
    const DoubleDouble p = twoProduct(x.hi, y.hi);
    return quickTwoSum(p.hi, p.lo + x.hi * y.lo + x.lo * y.hi);
}

DoubleDouble divide(DoubleDouble x, double d) {
    const double q1 = x.hi / d;
    const DoubleDouble p = twoProduct(q1, d);
    const DoubleDouble r = twoSum(x.hi, -p.hi);
    const double q2 = (r.hi + (r.lo - p.lo + x.lo)) / d;
    return quickTwoSum(q1, q2);
}

// cos and sin of k*pi/m (0 < k <= m/4, m a power of two) by their Taylor series, rounded to
// double.
CosSin exactCosSin(std::int32_t k, std::int32_t m) {
    const DoubleDouble pi = {3.141592653589793116, 1.2246467991473532e-16};
    DoubleDouble a = multiply(pi, {static_cast<double>(k), 0.0});
    a = {a.hi / m, a.lo / m}; // exact: m is a power of two
    const DoubleDouble a2 = multiply(a, a);
    DoubleDouble c = {1.0, 0.0}, s = a, cTerm = c, sTerm = a;
    // a <= pi/4: the terms fall below 1e-40, far under the last bit of either result, within
    // 30 steps.
    for (int n = 1; n <= 30 && std::fabs(cTerm.hi) > 1e-40; ++n) {
        cTerm = divide(multiply(cTerm, a2), -static_cast<double>((2 * n - 1) * (2 * n)));
        sTerm = divide(multiply(sTerm, a2), -static_cast<double>((2 * n) * (2 * n + 1)));
        c = add(c, cTerm);
        s = add(s, sTerm);
    }
    return {c.hi, s.hi};
}

void buildTwiddleTables(Tables& t) {
    // Every angle of every table is a multiple of pi/16384 up to pi/2, so the angles up to pi/4
    // of the finest table give all entries: angles above pi/4 from their complement (the tables
    // come out exactly symmetric), pi/4 itself from the constant.
    constexpr int finest = TransformTables::kTwiddleTableCount - 1;
    constexpr std::int32_t finestM = 16 << finest;
    std::vector<double>& base = t.twiddle[finest];
    base.resize(2 * static_cast<std::size_t>(finestM / 4 - 1));
    for (std::int32_t k = 1; k < finestM / 4; ++k) {
        const CosSin w = exactCosSin(k, finestM);
        base[2 * (k - 1)] = w.c;
        base[2 * (k - 1) + 1] = w.s;
    }
    const auto lowAngle = [&](std::int32_t k, std::int32_t m) {
        if (4 * k == m) return CosSin{kSqrtHalf, kSqrtHalf};
        const std::size_t i = 2 * static_cast<std::size_t>(k * (finestM / m) - 1);
        return CosSin{base[i], base[i + 1]};
    };
    for (int table = 0; table < finest; ++table) {
        const std::int32_t m = 16 << table;
        const std::int32_t count = m <= 256 ? m / 2 - 1 : m / 4 - 1;
        std::vector<double>& out = t.twiddle[table];
        out.resize(2 * static_cast<std::size_t>(count));
        for (std::int32_t k = 1; k <= count; ++k) {
            const bool upper = 4 * k > m;
            const CosSin w = lowAngle(upper ? m / 2 - k : k, m);
            out[2 * (k - 1)] = upper ? w.s : w.c;
            out[2 * (k - 1) + 1] = upper ? w.c : w.s;
        }
    }
}

void buildPermutation(Tables& t) {
    t.permutation.assign(TransformTables::kPermutationSize, 0);
    std::int32_t* table = t.permutation.data();
    table[0] = 0;
    table[1] = 1;
    for (std::int32_t n = 4; n <= (1 << TransformTables::kMaxLog2Size); n *= 2) {
        std::int32_t* block = table + (n - 2);
        const std::int32_t* half = table + (n / 2 - 2);
        const std::int32_t q = n / 4;
        const std::int32_t* quarter = q >= 2 ? table + (q - 2) : nullptr; // P(0, 1) = 0
        for (std::int32_t i = 0; i < n / 2; ++i)
            block[i] = 2 * half[i];
        for (std::int32_t i = 0; i < q; ++i) {
            const std::int32_t p = quarter ? quarter[i] : 0;
            block[n / 2 + i] = 4 * p + 1;
            block[n / 2 + q + i] = (n - 1) & (4 * p - 1);
        }
    }
}

void buildPositions(Tables& t) {
    constexpr std::int32_t kLargest = 1 << (kMaxLog2Mdct - 2);
    t.position.assign(2 * kLargest - 2, 0);
    for (std::int32_t n = 2; n <= kLargest; n *= 2) {
        const std::int32_t* perm = t.permutation.data() + (n - 2);
        std::int32_t* block = t.position.data() + (n - 2);
        for (std::int32_t i = 0; i < n; ++i)
            block[perm[i]] = i;
    }
}

void buildCycleLists(Tables& t) {
    t.cycles.clear();
    t.cycles.push_back(0); // sizes 1 and 2 move nothing
    t.cycleStart[0] = 0;
    t.cycleStart[1] = 0;
    std::vector<bool> seen;
    for (int log2n = 2; log2n <= TransformTables::kMaxLog2Size; ++log2n) {
        const std::int32_t n = 1 << log2n;
        const std::int32_t* block = t.permutation.data() + (n - 2);
        t.cycleStart[log2n] = static_cast<std::int32_t>(t.cycles.size());
        seen.assign(static_cast<std::size_t>(n), false);
        for (std::int32_t s = 0; s < n; ++s) {
            if (seen[s]) continue;
            std::int32_t i = s;
            do {
                seen[i] = true;
                i = block[i];
            } while (i != s);
            if (block[s] != s) t.cycles.push_back(s);
        }
        t.cycles.push_back(0);
    }
}

void buildPassTwiddles(Tables& t) {
    const std::size_t largest = std::size_t{1} << TransformTables::kMaxLog2Size;
    t.passTwiddle.assign(2 * largest - 32, 0.0);
    for (std::size_t n = 32; n <= largest; n *= 2) {
        double* out = t.passTwiddle.data() + (n - 32);
        for (std::size_t j = 0; j < n / 4; j += 2) {
            for (std::size_t k = 0; k < 2; ++k) {
                const CosSin w = cosSinPi(std::int64_t(j + k), std::int32_t(n / 2), t);
                out[2 * k] = w.c;
                out[2 * k + 1] = w.c;
                out[4 + 2 * k] = -w.s;
                out[4 + 2 * k + 1] = w.s;
            }
            out += 8;
        }
    }
}

Tables buildTables() {
    Tables t{};
    t.eightPoint[0] = kCosPi8;
    t.eightPoint[1] = kSinPi8;
    t.eightPoint[2] = kSqrtHalf;
    t.eightPoint[3] = kSinPi4Lib;
    t.eightPoint[4] = kCos3Pi8Lib;
    t.eightPoint[5] = kSin3Pi8Lib;
    try {
        buildTwiddleTables(t);
        buildPermutation(t);
        buildPositions(t);
        buildCycleLists(t);
        buildPassTwiddles(t);
        t.ready = true;
    } catch (const std::bad_alloc&) {
        // Without memory for the tables every transform does nothing.
        t = Tables{};
    }
    return t;
}

// Built by the first caller; callers on other threads wait for that build to finish.
const Tables& tables() {
    static const Tables instance = buildTables();
    return instance;
}

// ---------------------------------------------------------------------------------------------
// FFT
//
// Conjugate-pair split radix. A forward transform of size n (exponent +) splits into an n/2-point
// transform of x[j] + x[j + n/2] (the even outputs), and two n/4-point transforms of
//   y[j] = ((x0 - x2) + i (x1 - x3)) W^j   (outputs 4k + 1)
//   z[j] = ((x0 - x2) - i (x1 - x3)) W^-j  (outputs 4k - 1)
// with xm = x[j + m n/4] and W = exp(2*pi*i/n); the three results stay where their inputs were,
// which gives the permutation P. The inverse runs the same graph backwards with conjugate
// twiddles. Sub-transforms of up to 16 points are unrolled with constant twiddles, those of 32 and
// 64 points are expanded at compile time; larger ones run a vector pass over two j at a time and
// leave their three parts to an explicit stack, in depth-first order so that small parts stay in
// cache.

// One split step on two j at once: x0..x3 are the four quarters' vectors, (wr, wi) the twiddle
// pair (c, c, c', c') and (-s, s, -s', s').
TARVO_INLINE void forwardSplit(V4& x0, V4& x1, V4& x2, V4& x3, const V4& wr, const V4& wi) {
    const V4 d0 = x0 - x2;
    const V4 d1 = timesI(x1 - x3);
    const V4 y = d0 + d1, z = d0 - d1;
    x0 = x0 + x2;
    x1 = x1 + x3;
    x2 = y * wr + swap4(y) * wi;
    x3 = z * wr - swap4(z) * wi;
}

TARVO_INLINE void inverseSplit(V4& x0, V4& x1, V4& x2, V4& x3, const V4& wr, const V4& wi) {
    const V4 z1 = x2 * wr - swap4(x2) * wi;
    const V4 z3 = x3 * wr + swap4(x3) * wi;
    const V4 s = z1 + z3;
    const V4 t = timesMinusI(z1 - z3);
    const V4 u0 = x0, u1 = x1;
    x0 = u0 + s;
    x2 = u0 - s;
    x1 = u1 + t;
    x3 = u1 - t;
}

// Twiddles of the unrolled sizes: W^0, W^1 of 8 points; W^0, W^1 and W^2, W^3 of 16 points.
constexpr V4 kReal8 = {1.0, 1.0, kSqrtHalf, kSqrtHalf};
constexpr V4 kImag8 = {0.0, 0.0, -kSqrtHalf, kSqrtHalf};
constexpr V4 kReal16a = {1.0, 1.0, kCosPi8, kCosPi8};
constexpr V4 kImag16a = {0.0, 0.0, -kSinPi8, kSinPi8};
constexpr V4 kReal16b = {kSqrtHalf, kSqrtHalf, kSinPi8, kSinPi8};
constexpr V4 kImag16b = {-kSqrtHalf, kSqrtHalf, -kCosPi8, kCosPi8};

// Unrolled transforms of 4, 8 and 16 points held in two, four and eight vectors.
TARVO_INLINE void forward4(V4& a, V4& b) {
    const V4 s = a + b, d = a - b;
    a = sumDiff(s);
    b = plusMinusI(d);
}

TARVO_INLINE void inverse4(V4& a, V4& b) {
    const V4 u = sumDiff(a), z = sumMinusIDiff(b);
    a = u + z;
    b = u - z;
}

TARVO_INLINE void forward8(V4& v0, V4& v1, V4& v2, V4& v3) {
    forwardSplit(v0, v1, v2, v3, kReal8, kImag8);
    forward4(v0, v1);
    v2 = sumDiff(v2);
    v3 = sumDiff(v3);
}

TARVO_INLINE void inverse8(V4& v0, V4& v1, V4& v2, V4& v3) {
    inverse4(v0, v1);
    v2 = sumDiff(v2);
    v3 = sumDiff(v3);
    inverseSplit(v0, v1, v2, v3, kReal8, kImag8);
}

TARVO_INLINE void forward16(double* x) {
    V4 v0 = load4(x), v1 = load4(x + 4), v2 = load4(x + 8), v3 = load4(x + 12);
    V4 v4 = load4(x + 16), v5 = load4(x + 20), v6 = load4(x + 24), v7 = load4(x + 28);
    forwardSplit(v0, v2, v4, v6, kReal16a, kImag16a);
    forwardSplit(v1, v3, v5, v7, kReal16b, kImag16b);
    forward8(v0, v1, v2, v3);
    forward4(v4, v5);
    forward4(v6, v7);
    store4(x, v0);
    store4(x + 4, v1);
    store4(x + 8, v2);
    store4(x + 12, v3);
    store4(x + 16, v4);
    store4(x + 20, v5);
    store4(x + 24, v6);
    store4(x + 28, v7);
}

TARVO_INLINE void inverse16(double* x) {
    V4 v0 = load4(x), v1 = load4(x + 4), v2 = load4(x + 8), v3 = load4(x + 12);
    V4 v4 = load4(x + 16), v5 = load4(x + 20), v6 = load4(x + 24), v7 = load4(x + 28);
    inverse8(v0, v1, v2, v3);
    inverse4(v4, v5);
    inverse4(v6, v7);
    inverseSplit(v0, v2, v4, v6, kReal16a, kImag16a);
    inverseSplit(v1, v3, v5, v7, kReal16b, kImag16b);
    store4(x, v0);
    store4(x + 4, v1);
    store4(x + 8, v2);
    store4(x + 12, v3);
    store4(x + 16, v4);
    store4(x + 20, v5);
    store4(x + 24, v6);
    store4(x + 28, v7);
}

TARVO_INLINE void forward8(double* x) {
    V4 v0 = load4(x), v1 = load4(x + 4), v2 = load4(x + 8), v3 = load4(x + 12);
    forward8(v0, v1, v2, v3);
    store4(x, v0);
    store4(x + 4, v1);
    store4(x + 8, v2);
    store4(x + 12, v3);
}

TARVO_INLINE void inverse8(double* x) {
    V4 v0 = load4(x), v1 = load4(x + 4), v2 = load4(x + 8), v3 = load4(x + 12);
    inverse8(v0, v1, v2, v3);
    store4(x, v0);
    store4(x + 4, v1);
    store4(x + 8, v2);
    store4(x + 12, v3);
}

// Sizes 2 to 16 (log2n 1 to 4); size 2 is the same both ways.
template <bool Forward>
TARVO_INLINE void smallLeaf(double* x, int log2n) {
    switch (log2n) {
    case 1:
        store4(x, sumDiff(load4(x)));
        break;
    case 2: {
        V4 a = load4(x), b = load4(x + 4);
        Forward ? forward4(a, b) : inverse4(a, b);
        store4(x, a);
        store4(x + 4, b);
        break;
    }
    case 3:
        Forward ? forward8(x) : inverse8(x);
        break;
    default:
        Forward ? forward16(x) : inverse16(x);
        break;
    }
}

// One forward split of m complex values (m >= 32), two j per step.
TARVO_INLINE void forwardPass(double* x, std::size_t m, const double* tw) {
    const std::size_t quarter = m / 2; // doubles
    for (std::size_t k = 0; k < quarter; k += 4, tw += 8) {
        V4 x0 = load4(x + k), x1 = load4(x + quarter + k), x2 = load4(x + 2 * quarter + k),
           x3 = load4(x + 3 * quarter + k);
        forwardSplit(x0, x1, x2, x3, load4(tw), load4(tw + 4));
        store4(x + k, x0);
        store4(x + quarter + k, x1);
        store4(x + 2 * quarter + k, x2);
        store4(x + 3 * quarter + k, x3);
    }
}

// The matching inverse split.
TARVO_INLINE void inversePass(double* x, std::size_t m, const double* tw) {
    const std::size_t quarter = m / 2;
    for (std::size_t k = 0; k < quarter; k += 4, tw += 8) {
        V4 x0 = load4(x + k), x1 = load4(x + quarter + k), x2 = load4(x + 2 * quarter + k),
           x3 = load4(x + 3 * quarter + k);
        inverseSplit(x0, x1, x2, x3, load4(tw), load4(tw + 4));
        store4(x + k, x0);
        store4(x + quarter + k, x1);
        store4(x + 2 * quarter + k, x2);
        store4(x + 3 * quarter + k, x3);
    }
}

// Sizes up to 64 with their splits and parts unrolled: no node stack, constant trip counts.
template <int Log2, bool Forward>
TARVO_INLINE void fixedTransform(double* x, const double* twiddles) {
    if constexpr (Log2 <= 4) {
        smallLeaf<Forward>(x, Log2);
    } else {
        constexpr std::size_t m = std::size_t{1} << Log2;
        if constexpr (Forward) forwardPass(x, m, twiddles + (m - 32));
        fixedTransform<Log2 - 1, Forward>(x, twiddles);
        fixedTransform<Log2 - 2, Forward>(x + m, twiddles);
        fixedTransform<Log2 - 2, Forward>(x + 3 * m / 2, twiddles);
        if constexpr (!Forward) inversePass(x, m, twiddles + (m - 32));
    }
}

template <bool Forward>
TARVO_INLINE void leaf(double* x, int log2n, const double* twiddles) {
    switch (log2n) {
    case 6:
        fixedTransform<6, Forward>(x, twiddles);
        break;
    case 5:
        fixedTransform<5, Forward>(x, twiddles);
        break;
    default:
        smallLeaf<Forward>(x, log2n);
        break;
    }
}

struct FftNode {
    std::size_t offset; // complex values
    int log2m;
    bool split; // inverse only: the three parts are done, the split itself is left
};

TARVO_VECTOR_CLONES
void forwardTransform(double* x, int log2n, const double* twiddles) {
    FftNode stack[64];
    int top = 0;
    stack[top++] = {0, log2n, false};
    while (top > 0) {
        const FftNode node = stack[--top];
        double* p = x + 2 * node.offset;
        if (node.log2m <= kLeafLog2) {
            leaf<true>(p, node.log2m, twiddles);
            continue;
        }
        const std::size_t m = std::size_t{1} << node.log2m;
        forwardPass(p, m, twiddles + (m - 32));
        stack[top++] = {node.offset + 3 * m / 4, node.log2m - 2, false};
        stack[top++] = {node.offset + m / 2, node.log2m - 2, false};
        stack[top++] = {node.offset, node.log2m - 1, false};
    }
}

TARVO_VECTOR_CLONES
void inverseTransform(double* x, int log2n, const double* twiddles) {
    FftNode stack[64];
    int top = 0;
    stack[top++] = {0, log2n, false};
    while (top > 0) {
        const FftNode node = stack[--top];
        double* p = x + 2 * node.offset;
        if (node.log2m <= kLeafLog2) {
            leaf<false>(p, node.log2m, twiddles);
            continue;
        }
        const std::size_t m = std::size_t{1} << node.log2m;
        if (node.split) {
            inversePass(p, m, twiddles + (m - 32));
            continue;
        }
        stack[top++] = {node.offset, node.log2m, true};
        stack[top++] = {node.offset + 3 * m / 4, node.log2m - 2, false};
        stack[top++] = {node.offset + m / 2, node.log2m - 2, false};
        stack[top++] = {node.offset, node.log2m - 1, false};
    }
}

// Modes 4 and 5: follows every moving cycle of the permutation, one complex value at a time.
void reorder(double* x, int log2n, bool toNatural, const Tables& t) {
    const std::int32_t* perm = t.permutation.data() + ((1 << log2n) - 2);
    for (const std::int32_t* start = t.cycles.data() + t.cycleStart[log2n]; *start != 0; ++start) {
        const std::int32_t s = *start;
        if (toNatural) {
            // Position P(i) receives the value at i.
            V2 carried = load2(x + 2 * s);
            for (std::int32_t i = perm[s]; i != s; i = perm[i]) {
                const V2 next = load2(x + 2 * i);
                store2(x + 2 * i, carried);
                carried = next;
            }
            store2(x + 2 * s, carried);
        } else {
            // Position i receives the value at P(i).
            const V2 first = load2(x + 2 * s);
            std::int32_t i = s;
            for (; perm[i] != s; i = perm[i])
                store2(x + 2 * i, load2(x + 2 * perm[i]));
            store2(x + 2 * i, first);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Complex products, two values per step

TARVO_VECTOR_CLONES
void multiplyInPlace(double* a, const double* b, std::size_t doubles) {
    for (std::size_t k = 0; k < doubles; k += 4)
        store4(a + k, complexProduct(load4(a + k), load4(b + k)));
}

TARVO_VECTOR_CLONES
void multiply(double* c, const double* a, const double* b, std::size_t doubles) {
    for (std::size_t k = 0; k < doubles; k += 4)
        store4(c + k, complexProduct(load4(a + k), load4(b + k)));
}

TARVO_VECTOR_CLONES
void multiplyAdd(double* c, const double* a, const double* b, std::size_t doubles) {
    for (std::size_t k = 0; k < doubles; k += 4)
        store4(c + k, load4(c + k) + complexProduct(load4(a + k), load4(b + k)));
}

// ---------------------------------------------------------------------------------------------
// MDCT
//
// The fast transform folds the N inputs into the N/2 inputs of a DCT-IV, u, and computes that
// with an N/4-point complex FFT (M = N/2, L = N/4):
//   z[j] = (u[2j] + i u[M-1-2j]) exp(-2*pi*i j/N)               (j < L)
//   Z[p] = sum_j z[j] exp(-2*pi*i jp/L)                         (the inverse FFT)
//   W[p] = Z[p] exp(-i pi (4p+1)/(2N)),  X[2p] = Re W[p],  X[M-1-2p] = -Im W[p]
// The first rotation reads the trig table's first and last parts (even and odd j), the second its
// middle part, which holds the angles (4p+1) and (4p+3) times pi/(2N) side by side so that p and
// L-1-p are rotated together, in place. The inverse MDCT runs the same DCT-IV (its own inverse up
// to a factor) on the N/2 inputs and unfolds the result to N outputs. Neither needs memory beyond
// its output buffer: the FFT input is written in transform order, gathered through P, so the
// inverse FFT leaves Z in natural order.

bool hasFastTables(const MdctSetup& s) {
    return s.n > kLargestDirectMdct &&
           s.trig.size() == static_cast<std::size_t>(s.n) + static_cast<std::size_t>(s.n / 4) &&
           s.bitReverse.size() == static_cast<std::size_t>(s.n / 4);
}

// cos(pi/(2N) (2n + 1 + N/2) (2k + 1)), with the angle reduced exactly.
double mdctKernel(std::int32_t n, std::int32_t k, std::int32_t size, const TransformTables& t) {
    const std::int64_t steps = (std::int64_t{2} * n + 1 + size / 2) * (std::int64_t{2} * k + 1);
    return cosSinPi(steps, 2 * size, t).c;
}

void directForward(const MdctSetup& s, const double* in, double* out, double factor) {
    const TransformTables& t = tables();
    for (std::int32_t k = 0; k < s.n / 2; ++k) {
        double sum = 0.0;
        for (std::int32_t n = 0; n < s.n; ++n)
            sum += in[n] * mdctKernel(n, k, s.n, t);
        out[k] = sum * factor;
    }
}

void directInverse(const MdctSetup& s, const double* in, double* out, double factor) {
    const TransformTables& t = tables();
    for (std::int32_t n = 0; n < s.n; ++n) {
        double sum = 0.0;
        for (std::int32_t k = 0; k < s.n / 2; ++k)
            sum += in[k] * mdctKernel(n, k, s.n, t);
        out[n] = sum * factor;
    }
}

// Z (L complex, natural order, in buf) -> the M DCT-IV outputs in buf, times `scale`.
void dct4Output(double* buf, const double* trig, std::int32_t size, double scale) {
    const std::int32_t m = size / 2;
    const std::int32_t l = size / 4;
    const double* angles = trig + m;
    for (std::int32_t p = 0; p < l / 2; ++p) {
        const std::int32_t q = l - 1 - p;
        const double c = angles[4 * p], s = angles[4 * p + 1];
        const double cq = angles[4 * p + 3], sq = angles[4 * p + 2];
        const double zr = buf[2 * p], zi = buf[2 * p + 1];
        const double qr = buf[2 * q], qi = buf[2 * q + 1];
        buf[2 * p] = (zr * c + zi * s) * scale;
        buf[2 * q + 1] = (zr * s - zi * c) * scale;
        buf[2 * q] = (qr * cq + qi * sq) * scale;
        buf[2 * p + 1] = (qr * sq - qi * cq) * scale;
    }
}

// z[j] = (re + i im) exp(-2*pi*i j/N) stored at j's transform-order position.
TARVO_INLINE void rotateInto(double* z, const std::int32_t* position, std::int32_t j, double re,
                             double im, double wr, double wi) {
    double* target = z + 2 * position[j];
    target[0] = re * wr - im * wi;
    target[1] = re * wi + im * wr;
}

// The fold reads the input in order, two j (one even, one odd) per step; the rotated values are
// scattered into transform order for the inverse FFT.
void fastForward(const MdctSetup& s, const double* x, double* out) {
    const Tables& t = tables();
    const std::int32_t size = s.n, m = size / 2, l = size / 4;
    const double* trig = s.trig.data();
    const double* odd = trig + size; // halves of the odd j's rotations
    const std::int32_t* position = t.position.data() + (l - 2);
    // j < L/2: u[2j] = -x[3M/2 + 2j] - x[3M/2 - 1 - 2j], u[M-1-2j] = x[M/2 - 1 - 2j] - x[M/2 + 2j].
    for (std::int32_t k = 0; k < l / 4; ++k) {
        const std::int32_t j = 2 * k;
        rotateInto(out, position, j, -x[3 * m / 2 + 2 * j] - x[3 * m / 2 - 1 - 2 * j],
                   x[m / 2 - 1 - 2 * j] - x[m / 2 + 2 * j], trig[j], trig[j + 1]);
        rotateInto(out, position, j + 1, -x[3 * m / 2 + 2 * j + 2] - x[3 * m / 2 - 3 - 2 * j],
                   x[m / 2 - 3 - 2 * j] - x[m / 2 + 2 * j + 2], 2.0 * odd[j], 2.0 * odd[j + 1]);
    }
    // j >= L/2: u[2j] = x[2j - M/2] - x[3M/2 - 1 - 2j], u[M-1-2j] = -x[5M/2 - 1 - 2j] - x[M/2 +
    // 2j].
    for (std::int32_t k = l / 4; k < l / 2; ++k) {
        const std::int32_t j = 2 * k;
        rotateInto(out, position, j, x[2 * j - m / 2] - x[3 * m / 2 - 1 - 2 * j],
                   -x[5 * m / 2 - 1 - 2 * j] - x[m / 2 + 2 * j], trig[j], trig[j + 1]);
        rotateInto(out, position, j + 1, x[2 * j + 2 - m / 2] - x[3 * m / 2 - 3 - 2 * j],
                   -x[5 * m / 2 - 3 - 2 * j] - x[m / 2 + 2 * j + 2], 2.0 * odd[j],
                   2.0 * odd[j + 1]);
    }
    inverseTransform(out, std::countr_zero(std::uint32_t(l)), t.passTwiddle.data());
    dct4Output(out, trig, size, s.scale);
}

void fastInverse(const MdctSetup& s, const double* in, double* out) {
    const Tables& t = tables();
    const std::int32_t size = s.n, m = size / 2, l = size / 4;
    const double* trig = s.trig.data();
    const double* odd = trig + size;
    const std::int32_t* position = t.position.data() + (l - 2);
    double* v = out + m / 2; // the DCT-IV runs in the middle half of the output
    for (std::int32_t k = 0; k < l / 2; ++k) {
        const std::int32_t j = 2 * k;
        rotateInto(v, position, j, in[2 * j], in[m - 1 - 2 * j], trig[j], trig[j + 1]);
        rotateInto(v, position, j + 1, in[2 * j + 2], in[m - 3 - 2 * j], 2.0 * odd[j],
                   2.0 * odd[j + 1]);
    }
    inverseTransform(v, std::countr_zero(std::uint32_t(l)), t.passTwiddle.data());
    dct4Output(v, trig, size, 1.0);
    // Unfold: y[s] = v[M/2+s], y[M-1-s] = -v[M/2+s], y[3M/2-1-s] = y[3M/2+s] = -v[s] for s < M/2.
    // Positions s and M/2-1-s read and write the same eight places, so each pair is done in one go.
    for (std::int32_t a = 0; a < m / 4; ++a) {
        const std::int32_t b = m / 2 - 1 - a;
        const double va = v[a], vb = v[b], wa = v[m / 2 + a], wb = v[m / 2 + b];
        out[a] = wa;
        out[m - 1 - a] = -wa;
        out[3 * m / 2 - 1 - a] = -va;
        out[3 * m / 2 + a] = -va;
        out[b] = wb;
        out[m - 1 - b] = -wb;
        out[3 * m / 2 - 1 - b] = -vb;
        out[3 * m / 2 + b] = -vb;
    }
}

// Shared setups, one per size from 32 to 4096.
std::once_flag g_setupOnce[kMdctSlotCount];
std::unique_ptr<MdctSetup> g_setups[kMdctSlotCount];

// Number of times s halves before it reaches 1.
int halvings(std::int32_t s) {
    int b = 0;
    while (s > 1) {
        s >>= 1;
        ++b;
    }
    return b;
}

} // namespace

// -------------------------------------------------------------------------------------------------

int ensureTransformTables() {
    return tables().ready ? 1 : 0;
}

const TransformTables& transformTables() {
    return tables();
}

std::int32_t permIndex(std::int32_t n, std::int32_t i) {
    if (n < 2 || n > (1 << TransformTables::kMaxLog2Size) || (n & (n - 1)) != 0) return -1;
    if (i < 0 || i >= n || !tables().ready) return -1;
    return tables().permutation[static_cast<std::size_t>(n) - 2 + static_cast<std::size_t>(i)];
}

void fftRun(int log2n, double* buffer, int mode) {
    if (buffer == nullptr || log2n < 1 || log2n > TransformTables::kMaxLog2Size) return;
    const Tables& t = tables();
    if (!t.ready) return;
    switch (mode) {
    case kFftForward:
        forwardTransform(buffer, log2n, t.passTwiddle.data());
        break;
    case kFftInverse:
        inverseTransform(buffer, log2n, t.passTwiddle.data());
        break;
    case kFftToTransform:
        reorder(buffer, log2n, false, t);
        break;
    case kFftToNatural:
        reorder(buffer, log2n, true, t);
        break;
    default:
        break;
    }
}

void complexMulInPlace(double* a, const double* b, std::int32_t n) {
    if (n < 2 || n % 2 != 0) return;
    multiplyInPlace(a, b, 2 * static_cast<std::size_t>(n));
}

void complexMul(double* c, const double* a, const double* b, std::int32_t n) {
    if (n < 2 || n % 2 != 0) return;
    multiply(c, a, b, 2 * static_cast<std::size_t>(n));
}

void complexMulAdd(double* c, const double* a, const double* b, std::int32_t n) {
    if (n < 2 || n % 2 != 0) return;
    multiplyAdd(c, a, b, 2 * static_cast<std::size_t>(n));
}

std::unique_ptr<MdctSetup> mdctCreate(std::int32_t n) {
    if (n < 8 || n > (1 << kMaxLog2Mdct) || (n & (n - 1)) != 0) return nullptr;
    const Tables& t = tables();
    if (!t.ready) return nullptr;
    std::unique_ptr<MdctSetup> setup(new (std::nothrow) MdctSetup);
    if (!setup) return nullptr;
    setup->n = n;
    try {
        setup->window.resize(static_cast<std::size_t>(n / 2));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    for (std::int32_t i = 0; i < n / 2; ++i)
        setup->window[i] = cosSinPi(2 * i + 1, 2 * n, t).s;
    if (n <= kLargestDirectMdct) return setup;

    setup->log2n = std::countr_zero(std::uint32_t(n));
    setup->scale = 4.0 / n;
    try {
        setup->trig.resize(static_cast<std::size_t>(n) + static_cast<std::size_t>(n / 4));
        setup->bitReverse.resize(static_cast<std::size_t>(n / 4));
    } catch (const std::bad_alloc&) {
        // Without its tables the setup still works, through the direct formulas.
        setup->trig.clear();
        setup->bitReverse.clear();
        return setup;
    }
    double* trig = setup->trig.data();
    for (std::int32_t i = 0; i < n / 2; i += 2) {
        const CosSin a = cosSinPi(4 * i, 2 * n, t); // 2*pi*i/N
        trig[i] = a.c;
        trig[i + 1] = -a.s;
        const CosSin b = cosSinPi(i + 1, 2 * n, t); // pi*(i+1)/(2N)
        trig[n / 2 + i] = b.c;
        trig[n / 2 + i + 1] = b.s;
    }
    for (std::int32_t j = 0; j < n / 8; ++j) {
        const CosSin a = cosSinPi(8 * j + 4, 2 * n, t); // pi*(4j+2)/N
        trig[n + 2 * j] = 0.5 * a.c;
        trig[n + 2 * j + 1] = -0.5 * a.s;
    }
    const int bits = setup->log2n - 1;
    const std::int32_t mask = (1 << bits) - 1;
    for (std::int32_t j = 0; j < n / 8; ++j) {
        std::int32_t r = 0;
        for (int b = 0; b < bits; ++b)
            if (j & (1 << b)) r |= 1 << (bits - 1 - b);
        setup->bitReverse[2 * j] = (mask & ~r) - 1;
        setup->bitReverse[2 * j + 1] = r;
    }
    return setup;
}

void mdctWindow(const MdctSetup& setup, const double* in, double* out) {
    const std::size_t half = static_cast<std::size_t>(setup.n / 2);
    if (setup.window.size() != half) return;
    const double* w = setup.window.data();
    for (std::size_t i = 0; i < half; ++i) {
        out[i] = in[i] * w[i];
        out[half + i] = in[half + i] * w[half - 1 - i];
    }
}

void mdctForward(const MdctSetup& setup, const double* in, double* out) {
    if (setup.n <= 0) return;
    if (hasFastTables(setup))
        fastForward(setup, in, out);
    else if (setup.n <= kLargestDirectMdct)
        directForward(setup, in, out, 1.0);
    else
        directForward(setup, in, out, 4.0 / setup.n);
}

void mdctInverse(const MdctSetup& setup, const double* in, double* out) {
    if (setup.n <= 0) return;
    if (hasFastTables(setup))
        fastInverse(setup, in, out);
    else if (setup.n <= kLargestDirectMdct)
        directInverse(setup, in, out, 4.0 / setup.n);
    else
        directInverse(setup, in, out, 1.0);
}

const MdctSetup* mdctSharedSetup(std::int32_t n) {
    if (n < (1 << kMinLog2Mdct) || n > (1 << kMaxLog2Mdct) || (n & (n - 1)) != 0) return nullptr;
    const int slot = std::countr_zero(std::uint32_t(n)) - kMinLog2Mdct;
    std::call_once(g_setupOnce[slot], [slot, n] { g_setups[slot] = mdctCreate(n); });
    return g_setups[slot].get();
}

void BuiltinFft(CTarvoMemory& memory, double index, double size, double mode) {
    const std::int32_t s = TruncToInt(size);
    const int b = halvings(s);
    if (s <= 1 || b < 4 || b > TransformTables::kMaxLog2Size) return;
    double* data = memory.MemoryRun(TruncToInt(index), std::int64_t{2} << b);
    if (data == nullptr) return;
    fftRun(b, data, TruncToInt(mode));
}

void BuiltinMdct(CTarvoMemory& memory, double index, double size, double inverse) {
    const int b = halvings(TruncToInt(size));
    if (b < kMinLog2Mdct || b > kMaxLog2Mdct) return;
    const std::int32_t n = 1 << b;
    double* data = memory.MemoryRun(TruncToInt(index), n);
    if (data == nullptr) return;
    const MdctSetup* setup = mdctSharedSetup(n);
    if (setup == nullptr) return;
    // Scratch on the caller's stack: every call has its own, so built-ins running on several
    // threads never share it, and no per-thread storage has to outlive an unloaded library.
    double scratch[1 << kMaxLog2Mdct];
    if (TruncToInt(inverse) != 0) {
        mdctInverse(*setup, data, scratch);
        mdctWindow(*setup, scratch, data);
    } else {
        mdctWindow(*setup, data, scratch);
        mdctForward(*setup, scratch, data);
    }
}

void BuiltinComplexMul(CTarvoMemory& memory, double destIndex, double srcIndex, double count) {
    std::int32_t n = TruncToInt(count);
    n -= n % 2;
    if (n <= 0) return;
    double* dest = memory.MemoryRun(TruncToInt(destIndex), std::int64_t{2} * n);
    if (dest == nullptr) return;
    const double* src = memory.MemoryRun(TruncToInt(srcIndex), std::int64_t{2} * n);
    if (src == nullptr) return;
    complexMulInPlace(dest, src, n);
}
