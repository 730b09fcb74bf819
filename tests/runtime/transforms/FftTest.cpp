// SPDX-License-Identifier: MIT
#include "TransformReference.h"
#include "runtime/TarvoTransforms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

using namespace transform_test;

namespace {

// Output positions to compare with the direct DFT: all of them for small sizes, a spread and
// some random ones for large sizes (a full direct DFT of 32768 points is 10^9 operations).
std::vector<std::int32_t> CheckedPositions(std::int32_t n) {
    std::vector<std::int32_t> positions;
    if (n <= 2048) {
        for (std::int32_t p = 0; p < n; ++p)
            positions.push_back(p);
        return positions;
    }
    for (std::int32_t p = 0; p < 16; ++p)
        positions.push_back(p);
    for (std::int32_t p = n - 16; p < n; ++p)
        positions.push_back(p);
    for (std::int32_t p = n / 2 - 8; p < n / 2 + 8; ++p)
        positions.push_back(p);
    for (std::int32_t p = 3 * n / 4 - 8; p < 3 * n / 4 + 8; ++p)
        positions.push_back(p);
    std::mt19937 generator(static_cast<std::uint32_t>(n));
    std::uniform_int_distribution<std::int32_t> any(0, n - 1);
    for (int r = 0; r < 64; ++r)
        positions.push_back(any(generator));
    return positions;
}

double MaxAbs(const std::vector<double>& x) {
    double m = 0.0;
    for (double v : x)
        m = std::max(m, std::fabs(v));
    return m;
}

// Worst-case rounding bound of an n-point FFT on inputs of magnitude at most `peak`: each output
// sums n inputs through log2 n rounded stages.
double FftBound(std::int32_t n, int log2n, double peak) {
    return 2.0 * DBL_EPSILON * n * log2n * peak;
}

struct ErrorStats {
    double worst = 0.0;  // largest error of one output
    double rms = 0.0;    // root mean square error
    double signal = 0.0; // root mean square of the exact outputs
};

void Accumulate(ErrorStats& stats, Complex got, Complex exact) {
    const double e = static_cast<double>(std::abs(got - exact));
    stats.worst = std::max(stats.worst, e);
    stats.rms += e * e;
    stats.signal += static_cast<double>(std::norm(exact));
}

bool BitEqual(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

} // namespace

TEST(FftTables, BuildAnswersReady) {
    EXPECT_EQ(ensureTransformTables(), 1);
}

TEST(FftTables, EightPointConstantsAreTheRoundedValues) {
    const TransformTables& t = transformTables();
    EXPECT_TRUE(IsRounded(t.eightPoint[0], std::cos(kPi / 8)));
    EXPECT_TRUE(IsRounded(t.eightPoint[1], std::sin(kPi / 8)));
    EXPECT_TRUE(IsRounded(t.eightPoint[2], std::sqrt(0.5L)));
    // The second set: the same three values, the first two one step off.
    EXPECT_DOUBLE_EQ(t.eightPoint[3], t.eightPoint[2]);
    EXPECT_NE(t.eightPoint[3], t.eightPoint[2]);
    EXPECT_DOUBLE_EQ(t.eightPoint[4], t.eightPoint[1]);
    EXPECT_NE(t.eightPoint[4], t.eightPoint[1]);
    EXPECT_EQ(t.eightPoint[5], t.eightPoint[0]);
}

TEST(FftTables, TwiddleTablesHoldRoundedCosinesAndSines) {
    const TransformTables& t = transformTables();
    const std::size_t expectedPairs[] = {7, 15, 31, 63, 127, 127, 255, 511, 1023, 2047, 4095};
    for (int table = 0; table < TransformTables::kTwiddleTableCount; ++table) {
        const std::int32_t m = 16 << table;
        ASSERT_EQ(t.twiddle[table].size(), 2 * expectedPairs[table]) << "m = " << m;
        for (std::size_t k = 1; k <= expectedPairs[table]; ++k) {
            const long double a = kPi * static_cast<long double>(k) / m;
            ASSERT_TRUE(IsRounded(t.twiddle[table][2 * (k - 1)], std::cos(a))) << m << " " << k;
            ASSERT_TRUE(IsRounded(t.twiddle[table][2 * (k - 1) + 1], std::sin(a))) << m << " " << k;
        }
    }
}

TEST(FftPermutation, TableAndPermIndexFollowTheRecursiveRule) {
    const TransformTables& t = transformTables();
    ASSERT_EQ(t.permutation.size(), static_cast<std::size_t>(TransformTables::kPermutationSize));
    for (std::int32_t n = 2; n <= 32768; n *= 2) {
        std::vector<bool> hit(static_cast<std::size_t>(n), false);
        for (std::int32_t i = 0; i < n; ++i) {
            const std::int32_t expected = ReferencePermutation(i, n);
            ASSERT_EQ(t.permutation[static_cast<std::size_t>(n - 2 + i)], expected)
                << n << " " << i;
            ASSERT_EQ(permIndex(n, i), expected) << n << " " << i;
            hit[expected] = true;
        }
        EXPECT_TRUE(std::all_of(hit.begin(), hit.end(), [](bool b) { return b; }))
            << "not a permutation for n = " << n;
    }
}

TEST(FftPermutation, SizeEightOrder) {
    const std::int32_t expected[] = {0, 4, 2, 6, 1, 5, 7, 3};
    for (std::int32_t i = 0; i < 8; ++i)
        EXPECT_EQ(permIndex(8, i), expected[i]);
}

TEST(FftPermutation, RejectsInvalidArguments) {
    EXPECT_EQ(permIndex(1, 0), -1);
    EXPECT_EQ(permIndex(12, 3), -1);
    EXPECT_EQ(permIndex(65536, 0), -1);
    EXPECT_EQ(permIndex(8, 8), -1);
    EXPECT_EQ(permIndex(8, -1), -1);
}

TEST(FftPermutation, CycleListsStartEveryMovingCycleOnce) {
    const TransformTables& t = transformTables();
    for (int log2n = 2; log2n <= 15; ++log2n) {
        const std::int32_t n = 1 << log2n;
        // Smallest member of every cycle that moves something, found independently.
        std::set<std::int32_t> leaders;
        std::vector<bool> seen(static_cast<std::size_t>(n), false);
        for (std::int32_t s = 0; s < n; ++s) {
            if (seen[s]) continue;
            std::int32_t i = s, length = 0;
            do {
                seen[i] = true;
                i = ReferencePermutation(i, n);
                ++length;
            } while (i != s);
            if (length > 1) leaders.insert(s);
        }
        std::set<std::int32_t> listed;
        for (std::size_t k = static_cast<std::size_t>(t.cycleStart[log2n]); t.cycles[k] != 0; ++k)
            EXPECT_TRUE(listed.insert(t.cycles[k]).second) << "listed twice, n = " << n;
        EXPECT_EQ(listed, leaders) << "n = " << n;
    }
}

TEST(FftForward, MatchesDirectDftInTransformOrder) {
    for (int log2n = 1; log2n <= 15; ++log2n) {
        const std::int32_t n = 1 << log2n;
        const std::vector<double> x = RandomSignal(2 * static_cast<std::size_t>(n), 100u + log2n);
        std::vector<double> y = x;
        fftRun(log2n, y.data(), kFftForward);
        const std::vector<Complex> roots = UnitRoots(n, +1);
        ErrorStats stats;
        for (std::int32_t p : CheckedPositions(n)) {
            const Complex exact = DftBin(x, roots, ReferencePermutation(p, n));
            Accumulate(stats, Complex(y[2 * p], y[2 * p + 1]), exact);
        }
        EXPECT_LE(stats.worst, FftBound(n, log2n, MaxAbs(x))) << "n = " << n;
        // Typical error: a few epsilons per stage relative to the output's size.
        EXPECT_LE(std::sqrt(stats.rms / stats.signal), 2.0 * DBL_EPSILON * log2n) << "n = " << n;
    }
}

TEST(FftInverse, MatchesDirectDftFromTransformOrder) {
    for (int log2n = 1; log2n <= 15; ++log2n) {
        const std::int32_t n = 1 << log2n;
        // Spectrum Y in natural order; the inverse takes it in transform order.
        const std::vector<double> spectrum =
            RandomSignal(2 * static_cast<std::size_t>(n), 200u + log2n);
        std::vector<double> y(spectrum.size());
        for (std::int32_t p = 0; p < n; ++p) {
            const std::int32_t k = ReferencePermutation(p, n);
            y[2 * p] = spectrum[2 * k];
            y[2 * p + 1] = spectrum[2 * k + 1];
        }
        fftRun(log2n, y.data(), kFftInverse);
        const std::vector<Complex> roots = UnitRoots(n, -1);
        ErrorStats stats;
        for (std::int32_t j : CheckedPositions(n))
            Accumulate(stats, Complex(y[2 * j], y[2 * j + 1]), DftBin(spectrum, roots, j));
        EXPECT_LE(stats.worst, FftBound(n, log2n, MaxAbs(spectrum))) << "n = " << n;
        EXPECT_LE(std::sqrt(stats.rms / stats.signal), 2.0 * DBL_EPSILON * log2n) << "n = " << n;
    }
}

TEST(FftForward, ImpulseAtZeroGivesOnes) {
    std::vector<double> x = {1, 0, 0, 0, 0, 0, 0, 0};
    fftRun(2, x.data(), kFftForward);
    EXPECT_EQ(x, (std::vector<double>{1, 0, 1, 0, 1, 0, 1, 0}));
}

TEST(FftForward, SizeTwoIsSumAndDifferenceBothWays) {
    std::vector<double> x = {3, 1, 2, -5};
    fftRun(1, x.data(), kFftForward);
    EXPECT_EQ(x, (std::vector<double>{5, -4, 1, 6}));
    fftRun(1, x.data(), kFftInverse);
    EXPECT_EQ(x, (std::vector<double>{6, 2, 4, -10}));
}

TEST(FftRoundTrip, ForwardThenInverseGivesNTimesTheInput) {
    for (int log2n = 1; log2n <= 15; ++log2n) {
        const std::int32_t n = 1 << log2n;
        const std::vector<double> x = RandomSignal(2 * static_cast<std::size_t>(n), 300u + log2n);
        std::vector<double> y = x;
        fftRun(log2n, y.data(), kFftForward);
        fftRun(log2n, y.data(), kFftInverse);
        double worst = 0.0;
        for (std::size_t i = 0; i < x.size(); ++i)
            worst = std::max(worst, std::fabs(y[i] - n * x[i]));
        EXPECT_LE(worst, 2.0 * FftBound(n, log2n, MaxAbs(x))) << "n = " << n;
    }
}

TEST(FftRoundTrip, SizeSixteenOfSmallIntegersIsExact) {
    // Sums of small integers times the twiddles round back to the exact multiples.
    std::vector<double> x(32);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = static_cast<double>(static_cast<int>(i % 7) - 3);
    std::vector<double> y = x;
    fftRun(4, y.data(), kFftForward);
    fftRun(4, y.data(), kFftInverse);
    for (std::size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(y[i], 16 * x[i], 1e-12) << i;
}

TEST(FftReorder, ToNaturalAfterForwardGivesNaturalOrderExactly) {
    for (int log2n = 2; log2n <= 15; ++log2n) {
        const std::int32_t n = 1 << log2n;
        std::vector<double> y = RandomSignal(2 * static_cast<std::size_t>(n), 400u + log2n);
        fftRun(log2n, y.data(), kFftForward);
        const std::vector<double> transformOrder = y;
        fftRun(log2n, y.data(), kFftToNatural);
        bool exact = true;
        for (std::int32_t p = 0; p < n && exact; ++p) {
            const std::int32_t k = ReferencePermutation(p, n);
            exact = y[2 * k] == transformOrder[2 * p] && y[2 * k + 1] == transformOrder[2 * p + 1];
        }
        EXPECT_TRUE(exact) << "n = " << n;
    }
}

TEST(FftReorder, ModesFourAndFiveUndoEachOther) {
    for (int log2n = 2; log2n <= 15; ++log2n) {
        const std::vector<double> x = RandomSignal(2 * (std::size_t{1} << log2n), 500u + log2n);
        std::vector<double> y = x;
        fftRun(log2n, y.data(), kFftToTransform);
        EXPECT_FALSE(BitEqual(x, y)) << "mode 4 moved nothing, log2n = " << log2n;
        fftRun(log2n, y.data(), kFftToNatural);
        EXPECT_TRUE(BitEqual(x, y)) << "4 then 5, log2n = " << log2n;
        fftRun(log2n, y.data(), kFftToNatural);
        fftRun(log2n, y.data(), kFftToTransform);
        EXPECT_TRUE(BitEqual(x, y)) << "5 then 4, log2n = " << log2n;
    }
}

TEST(FftReorder, ToTransformOrderFeedsTheInverse) {
    // A natural-order spectrum put into transform order by mode 4 is what the inverse expects.
    const int log2n = 9;
    const std::int32_t n = 1 << log2n;
    const std::vector<double> spectrum = RandomSignal(2 * static_cast<std::size_t>(n), 600u);
    std::vector<double> y = spectrum;
    fftRun(log2n, y.data(), kFftToTransform);
    for (std::int32_t p = 0; p < n; ++p) {
        const std::int32_t k = ReferencePermutation(p, n);
        ASSERT_EQ(y[2 * p], spectrum[2 * k]);
        ASSERT_EQ(y[2 * p + 1], spectrum[2 * k + 1]);
    }
}

TEST(FftModes, UnknownModesAndSizesLeaveTheBufferAlone) {
    const std::vector<double> x = RandomSignal(2 * 65536, 700u);
    std::vector<double> y = x;
    for (int mode : {-1, 2, 3, 6, 100})
        fftRun(10, y.data(), mode);
    fftRun(0, y.data(), kFftForward);
    fftRun(16, y.data(), kFftForward);
    fftRun(-3, y.data(), kFftInverse);
    fftRun(16, y.data(), kFftToNatural);
    EXPECT_TRUE(BitEqual(x, y));
    fftRun(10, nullptr, kFftForward); // no effect, no crash
}

TEST(ComplexProducts, MatchTheDefinition) {
    const std::int32_t n = 64;
    const std::vector<double> a = RandomSignal(2 * n, 800u);
    const std::vector<double> b = RandomSignal(2 * n, 801u);
    const std::vector<double> c0 = RandomSignal(2 * n, 802u);
    std::vector<double> product(2 * n), sum = c0, inPlace = a;
    complexMul(product.data(), a.data(), b.data(), n);
    complexMulAdd(sum.data(), a.data(), b.data(), n);
    complexMulInPlace(inPlace.data(), b.data(), n);
    for (std::int32_t j = 0; j < n; ++j) {
        const double re = a[2 * j] * b[2 * j] - a[2 * j + 1] * b[2 * j + 1];
        const double im = a[2 * j] * b[2 * j + 1] + a[2 * j + 1] * b[2 * j];
        EXPECT_EQ(product[2 * j], re);
        EXPECT_EQ(product[2 * j + 1], im);
        EXPECT_EQ(sum[2 * j], c0[2 * j] + re);
        EXPECT_EQ(sum[2 * j + 1], c0[2 * j + 1] + im);
    }
    EXPECT_TRUE(BitEqual(inPlace, product));
}

TEST(ComplexProducts, OddOrTooSmallCountsDoNothing) {
    const std::vector<double> a = RandomSignal(8, 810u);
    const std::vector<double> b = RandomSignal(8, 811u);
    for (std::int32_t n : {-2, 0, 1, 3}) {
        std::vector<double> c(8, 0.5), d = a;
        complexMul(c.data(), a.data(), b.data(), n);
        complexMulAdd(c.data(), a.data(), b.data(), n);
        complexMulInPlace(d.data(), b.data(), n);
        EXPECT_EQ(c, std::vector<double>(8, 0.5)) << n;
        EXPECT_TRUE(BitEqual(d, a)) << n;
    }
}

TEST(ComplexProducts, PointwiseProductOfTransformsIsCircularConvolution) {
    // Both transforms share the same order, so they multiply without reordering.
    const int log2n = 8;
    const std::int32_t n = 1 << log2n;
    const std::vector<double> a = RandomSignal(2 * n, 820u);
    const std::vector<double> b = RandomSignal(2 * n, 821u);
    std::vector<double> fa = a, fb = b;
    fftRun(log2n, fa.data(), kFftForward);
    fftRun(log2n, fb.data(), kFftForward);
    complexMulInPlace(fa.data(), fb.data(), n);
    fftRun(log2n, fa.data(), kFftInverse);
    for (std::int32_t j = 0; j < n; ++j) {
        Complex exact = 0.0L;
        for (std::int32_t k = 0; k < n; ++k) {
            const std::int32_t d = (j - k + n) % n;
            exact += Complex(a[2 * k], a[2 * k + 1]) * Complex(b[2 * d], b[2 * d + 1]);
        }
        exact *= static_cast<long double>(n);
        ASSERT_NEAR(fa[2 * j], static_cast<double>(exact.real()), 1e-10) << j;
        ASSERT_NEAR(fa[2 * j + 1], static_cast<double>(exact.imag()), 1e-10) << j;
    }
}
