// SPDX-License-Identifier: MIT
#include "TransformReference.h"
#include "runtime/TarvoTransforms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace transform_test;

TEST(FftTables, ConstantsAndTwiddlesAreRoundedValues) {
    EXPECT_EQ(ensureTransformTables(), 1);
    const TransformTables& t = transformTables();
    EXPECT_TRUE(IsRounded(t.eightPoint[0], std::cos(kPi / 8)));
    EXPECT_TRUE(IsRounded(t.eightPoint[1], std::sin(kPi / 8)));
    EXPECT_TRUE(IsRounded(t.eightPoint[2], std::sqrt(0.5L)));
    const std::size_t pairs[] = {7, 15, 31, 63, 127, 127, 255, 511, 1023, 2047, 4095};
    for (int table = 0; table < TransformTables::kTwiddleTableCount; ++table) {
        const std::int32_t m = 16 << table;
        ASSERT_EQ(t.twiddle[table].size(), 2 * pairs[table]) << m;
        for (std::size_t k = 1; k <= pairs[table]; ++k) {
            const long double a = kPi * static_cast<long double>(k) / m;
            ASSERT_TRUE(IsRounded(t.twiddle[table][2 * k - 2], std::cos(a))) << m << " " << k;
            ASSERT_TRUE(IsRounded(t.twiddle[table][2 * k - 1], std::sin(a))) << m << " " << k;
        }
    }
}

TEST(FftPermutation, TablePermIndexAndCyclesFollowTheRecursiveRule) {
    const TransformTables& t = transformTables();
    ASSERT_EQ(t.permutation.size(), 65534u);
    for (int log2n = 1; log2n <= 15; ++log2n) {
        const std::int32_t n = 1 << log2n;
        std::set<std::int32_t> leaders; // smallest member of every cycle that moves values
        std::vector<bool> seen(static_cast<std::size_t>(n), false);
        for (std::int32_t i = 0; i < n; ++i) {
            ASSERT_EQ(t.permutation[static_cast<std::size_t>(n - 2 + i)], RefPerm(i, n)) << n;
            ASSERT_EQ(permIndex(n, i), RefPerm(i, n)) << n << " " << i;
            std::int32_t j = i, length = 0;
            for (; !seen[j]; j = RefPerm(j, n), ++length)
                seen[j] = true;
            ASSERT_TRUE(length == 0 || j == i) << "not a permutation: " << n;
            if (length > 1) leaders.insert(i);
        }
        std::set<std::int32_t> listed;
        for (std::size_t k = static_cast<std::size_t>(t.cycleStart[log2n]); t.cycles[k] != 0; ++k)
            EXPECT_TRUE(listed.insert(t.cycles[k]).second) << n;
        EXPECT_EQ(listed, leaders) << n;
    }
    EXPECT_EQ(permIndex(8, 6), 7);
    EXPECT_EQ(permIndex(8, 7), 3);
    for (auto [n, i] : {std::pair{1, 0}, {12, 3}, {65536, 0}, {8, 8}, {8, -1}})
        EXPECT_EQ(permIndex(n, i), -1) << n << " " << i;
}

TEST(FftTransform, ForwardAndInverseMatchTheDirectDft) {
    for (int log2n = 1; log2n <= 15; ++log2n) {
        const std::int32_t n = 1 << log2n;
        // All positions up to 2048 points; ends, middle and random ones above.
        std::vector<std::int32_t> checked;
        std::mt19937 pick(static_cast<std::uint32_t>(n));
        for (std::int32_t p = 0; p < n; ++p)
            if (n <= 2048 || p < 16 || p >= n - 16 || (p ^ (n / 2)) < 16 || pick() % 512 == 0)
                checked.push_back(p);
        for (int sign : {+1, -1}) {
            // Forward: natural in, P order out. Inverse: P order in, natural out.
            const std::vector<double> x = RandomSignal(2 * static_cast<std::size_t>(n), 7u * n);
            std::vector<double> y(x.size());
            for (std::int32_t p = 0; p < n; ++p) {
                const std::int32_t from = sign > 0 ? p : RefPerm(p, n);
                y[2 * p] = x[2 * from];
                y[2 * p + 1] = x[2 * from + 1];
            }
            fftRun(log2n, y.data(), sign > 0 ? kFftForward : kFftInverse);
            const std::vector<Complex> roots = UnitRoots(n, sign);
            double worst = 0.0, error = 0.0, energy = 0.0;
            for (std::int32_t p : checked) {
                const Complex exact = DftBin(x, roots, sign > 0 ? RefPerm(p, n) : p);
                const double e =
                    static_cast<double>(std::abs(Complex(y[2 * p], y[2 * p + 1]) - exact));
                worst = std::max(worst, e);
                error += e * e;
                energy += static_cast<double>(std::norm(exact));
            }
            // Worst case for inputs of magnitude 1: n inputs through log2 n rounded stages.
            EXPECT_LE(worst, 2 * DBL_EPSILON * n * log2n) << n << " sign " << sign;
            EXPECT_LE(std::sqrt(error / energy), DBL_EPSILON * log2n) << n << " sign " << sign;
        }
    }
    std::vector<double> impulse = {1, 0, 0, 0, 0, 0, 0, 0};
    fftRun(2, impulse.data(), kFftForward);
    EXPECT_EQ(impulse, (std::vector<double>{1, 0, 1, 0, 1, 0, 1, 0}));
}

TEST(FftTransform, ForwardThenInverseGivesNTimesTheInput) {
    for (int log2n = 1; log2n <= 15; ++log2n) {
        const std::int32_t n = 1 << log2n;
        const std::vector<double> x = RandomSignal(2 * static_cast<std::size_t>(n), 300u + log2n);
        std::vector<double> y = x;
        fftRun(log2n, y.data(), kFftForward);
        fftRun(log2n, y.data(), kFftInverse);
        double worst = 0.0;
        for (std::size_t i = 0; i < x.size(); ++i)
            worst = std::max(worst, std::fabs(y[i] - n * x[i]));
        EXPECT_LE(worst, 4 * DBL_EPSILON * n * log2n) << n;
    }
}

TEST(FftReorder, ModeFiveGivesNaturalOrderAndModeFourUndoesIt) {
    for (int log2n = 2; log2n <= 15; ++log2n) {
        const std::int32_t n = 1 << log2n;
        std::vector<double> y = RandomSignal(2 * static_cast<std::size_t>(n), 400u + log2n);
        fftRun(log2n, y.data(), kFftForward);
        const std::vector<double> transformOrder = y;
        fftRun(log2n, y.data(), kFftToNatural);
        std::vector<double> natural(y.size());
        for (std::int32_t p = 0; p < n; ++p) {
            natural[2 * RefPerm(p, n)] = transformOrder[2 * p];
            natural[2 * RefPerm(p, n) + 1] = transformOrder[2 * p + 1];
        }
        EXPECT_TRUE(BitEqual(y, natural)) << n;
        fftRun(log2n, y.data(), kFftToTransform);
        EXPECT_TRUE(BitEqual(y, transformOrder)) << n;
    }
}

TEST(FftModes, OtherModesAndSizesLeaveTheBufferAlone) {
    const std::vector<double> x = RandomSignal(2 * 65536, 700u);
    std::vector<double> y = x;
    for (int mode : {-1, 2, 3, 6})
        fftRun(10, y.data(), mode);
    for (int log2n : {-3, 0, 16})
        fftRun(log2n, y.data(), kFftForward);
    EXPECT_TRUE(BitEqual(x, y));
}

TEST(ComplexProducts, FollowTheDefinitionForEvenCountsOnly) {
    const std::int32_t n = 256;
    const std::vector<double> a = RandomSignal(2 * n, 800u), b = RandomSignal(2 * n, 801u);
    std::vector<double> product(2 * n), sum = b, inPlace = a;
    complexMul(product.data(), a.data(), b.data(), n);
    complexMulAdd(sum.data(), a.data(), b.data(), n);
    complexMulInPlace(inPlace.data(), b.data(), n);
    for (std::int32_t j = 0; j < 2 * n; j += 2) {
        const double re = a[j] * b[j] - a[j + 1] * b[j + 1], im = a[j] * b[j + 1] + a[j + 1] * b[j];
        ASSERT_TRUE(product[j] == re && product[j + 1] == im) << j;
        ASSERT_TRUE(sum[j] == b[j] + re && sum[j + 1] == b[j + 1] + im) << j;
    }
    EXPECT_TRUE(BitEqual(inPlace, product));
    for (std::int32_t count : {-2, 0, 1, 3}) {
        std::vector<double> c = a;
        complexMul(c.data(), b.data(), b.data(), count);
        complexMulAdd(c.data(), b.data(), b.data(), count);
        complexMulInPlace(c.data(), b.data(), count);
        EXPECT_TRUE(BitEqual(c, a)) << count;
    }
}
