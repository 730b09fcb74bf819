// SPDX-License-Identifier: MIT
// The windowed MDCT: direct formulas for the small sizes, a DCT-IV on an N/4-point FFT above.
#include "TarvoTransformsInternal.h"

#include <bit>
#include <cstddef>
#include <memory>
#include <mutex>
#include <new>

namespace transform_detail {
namespace {

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

} // namespace
} // namespace transform_detail

using namespace transform_detail;

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
