// SPDX-License-Identifier: MIT
// The transform library's module-wide tables: twiddles from exact angles, the output permutation
// of the FFT and its cycles, the vector passes' twiddles.
#include "TarvoTransformsInternal.h"

#include <cmath>
#include <cstddef>
#include <new>

namespace transform_detail {

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

namespace {

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

} // namespace

// Built by the first caller; callers on other threads wait for that build to finish.
const Tables& tables() {
    static const Tables instance = buildTables();
    return instance;
}

} // namespace transform_detail

using namespace transform_detail;

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
