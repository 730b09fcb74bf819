// SPDX-License-Identifier: MIT
// The split-radix FFT, its reorders and the complex products.
#include "TarvoTransformsInternal.h"

#include <cstddef>
#include <cstring>

// The kernels are written with GCC vector extensions: V2 holds one complex value, V4 two. The
// vectors never cross a non-inlined call, so the ABI warnings about them do not apply.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace transform_detail {
namespace {

typedef double V2 __attribute__((vector_size(16)));
typedef double V4 __attribute__((vector_size(32)));
typedef std::int64_t I4 __attribute__((vector_size(32)));

constexpr std::int64_t kSignBit = INT64_MIN;
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

} // namespace

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

namespace {

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

} // namespace
} // namespace transform_detail

using namespace transform_detail;

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
