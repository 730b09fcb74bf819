// SPDX-License-Identifier: MIT
#include "TransformReference.h"
#include "runtime/TarvoTransforms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>

using namespace transform_test;

namespace {

double SumAbs(const std::vector<double>& x) {
    double s = 0.0;
    for (double v : x)
        s += std::fabs(v);
    return s;
}

// Rounding bound of one output of an N-point fast MDCT: a sum over all N inputs through the
// log2(N/4) stages of the FFT plus the rotations.
double MdctBound(std::int32_t size, double inputSum, double factor) {
    const int log2n = std::countr_zero(static_cast<std::uint32_t>(size));
    return 4.0 * DBL_EPSILON * log2n * inputSum * factor;
}

std::vector<double> Forward(const MdctSetup& setup, const std::vector<double>& x) {
    std::vector<double> out(static_cast<std::size_t>(setup.n / 2));
    mdctForward(setup, x.data(), out.data());
    return out;
}

std::vector<double> Inverse(const MdctSetup& setup, const std::vector<double>& spectrum) {
    std::vector<double> out(static_cast<std::size_t>(setup.n));
    mdctInverse(setup, spectrum.data(), out.data());
    return out;
}

} // namespace

TEST(MdctSetup, RejectsSizesThatAreNotPowersOfTwoInRange) {
    for (std::int32_t n : {-64, 0, 4, 48, 100, 8192})
        EXPECT_EQ(mdctCreate(n), nullptr) << n;
    for (std::int32_t n : {8, 32, 64, 4096})
        EXPECT_NE(mdctCreate(n), nullptr) << n;
}

TEST(MdctSetup, SmallSizesHaveOnlyTheWindow) {
    const auto setup = mdctCreate(32);
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(setup->n, 32);
    EXPECT_EQ(setup->window.size(), 16u);
    EXPECT_TRUE(setup->trig.empty());
    EXPECT_TRUE(setup->bitReverse.empty());
}

TEST(MdctSetup, TablesFollowTheirDefinitions) {
    for (std::int32_t n = 64; n <= 4096; n *= 2) {
        const auto setup = mdctCreate(n);
        ASSERT_NE(setup, nullptr);
        EXPECT_EQ(setup->log2n, std::countr_zero(static_cast<std::uint32_t>(n)));
        EXPECT_EQ(setup->scale, 4.0 / n);
        ASSERT_EQ(setup->window.size(), static_cast<std::size_t>(n / 2));
        for (std::int32_t i = 0; i < n / 2; ++i)
            ASSERT_TRUE(IsRounded(setup->window[i], std::sin(kPi / n * (i + 0.5L))))
                << n << " " << i;
        ASSERT_EQ(setup->trig.size(), static_cast<std::size_t>(n + n / 4));
        const std::vector<double>& t = setup->trig;
        for (std::int32_t i = 0; i < n / 2; i += 2) {
            const long double a = 2 * kPi * i / n;
            const long double b = kPi / (2 * n) * (i + 1);
            ASSERT_TRUE(IsRounded(t[i], std::cos(a))) << n << " " << i;
            ASSERT_TRUE(IsRounded(t[i + 1], -std::sin(a))) << n << " " << i;
            ASSERT_TRUE(IsRounded(t[n / 2 + i], std::cos(b))) << n << " " << i;
            ASSERT_TRUE(IsRounded(t[n / 2 + i + 1], std::sin(b))) << n << " " << i;
        }
        for (std::int32_t j = 0; j < n / 8; ++j) {
            const long double a = kPi / n * (4 * j + 2);
            ASSERT_TRUE(IsRounded(t[n + 2 * j], 0.5L * std::cos(a))) << n << " " << j;
            ASSERT_TRUE(IsRounded(t[n + 2 * j + 1], -0.5L * std::sin(a))) << n << " " << j;
        }
        // Bit-reverse pairs: r is j with its low log2n - 1 bits reversed.
        const int bits = setup->log2n - 1;
        ASSERT_EQ(setup->bitReverse.size(), static_cast<std::size_t>(n / 4));
        for (std::int32_t j = 0; j < n / 8; ++j) {
            std::int32_t r = 0;
            for (int b = 0; b < bits; ++b)
                r = (r << 1) | ((j >> b) & 1);
            EXPECT_EQ(setup->bitReverse[2 * j + 1], r) << n << " " << j;
            EXPECT_EQ(setup->bitReverse[2 * j], (((1 << bits) - 1) & ~r) - 1) << n << " " << j;
        }
    }
}

TEST(MdctWindow, WeightsBothHalvesMirrored) {
    const auto setup = mdctCreate(64);
    ASSERT_NE(setup, nullptr);
    const std::vector<double> x = RandomSignal(64, 900u);
    std::vector<double> out(64);
    mdctWindow(*setup, x.data(), out.data());
    for (std::int32_t i = 0; i < 32; ++i) {
        EXPECT_EQ(out[i], x[i] * setup->window[i]);
        EXPECT_EQ(out[32 + i], x[32 + i] * setup->window[31 - i]);
    }
    std::vector<double> inPlace = x;
    mdctWindow(*setup, inPlace.data(), inPlace.data());
    EXPECT_EQ(inPlace, out);
}

TEST(MdctDirect, SmallSizesUseTheUnscaledForwardAndScaledInverse) {
    for (std::int32_t n : {8, 16, 32}) {
        const auto setup = mdctCreate(n);
        ASSERT_NE(setup, nullptr);
        const std::vector<double> x = RandomSignal(static_cast<std::size_t>(n), 910u + n);
        const std::vector<long double> exact = DirectMdct(x, n);
        const std::vector<double> got = Forward(*setup, x);
        for (std::int32_t k = 0; k < n / 2; ++k)
            EXPECT_NEAR(got[k], static_cast<double>(exact[k]), MdctBound(n, SumAbs(x), 1.0))
                << n << " " << k;

        const std::vector<double> spectrum =
            RandomSignal(static_cast<std::size_t>(n / 2), 920u + n);
        const std::vector<long double> back = DirectImdct(spectrum, n);
        const std::vector<double> gotBack = Inverse(*setup, spectrum);
        for (std::int32_t i = 0; i < n; ++i)
            EXPECT_NEAR(gotBack[i], static_cast<double>(back[i] * 4 / n),
                        MdctBound(n, SumAbs(spectrum), 4.0 / n))
                << n << " " << i;
    }
}

TEST(MdctFast, ForwardIsTheDirectFormulaTimesFourOverN) {
    for (std::int32_t n = 64; n <= 4096; n *= 2) {
        const auto setup = mdctCreate(n);
        ASSERT_NE(setup, nullptr);
        const std::vector<double> x = RandomSignal(static_cast<std::size_t>(n), 930u + n);
        const std::vector<long double> exact = DirectMdct(x, n);
        const std::vector<double> got = Forward(*setup, x);
        const double bound = MdctBound(n, SumAbs(x), 4.0 / n);
        double worst = 0.0;
        for (std::int32_t k = 0; k < n / 2; ++k)
            worst = std::max(worst, std::fabs(got[k] - static_cast<double>(exact[k] * 4 / n)));
        EXPECT_LE(worst, bound) << "n = " << n;
    }
}

TEST(MdctFast, InverseIsTheDirectFormulaWithoutFactor) {
    for (std::int32_t n = 64; n <= 4096; n *= 2) {
        const auto setup = mdctCreate(n);
        ASSERT_NE(setup, nullptr);
        const std::vector<double> spectrum =
            RandomSignal(static_cast<std::size_t>(n / 2), 940u + n);
        const std::vector<long double> exact = DirectImdct(spectrum, n);
        const std::vector<double> got = Inverse(*setup, spectrum);
        const double bound = MdctBound(n, SumAbs(spectrum), 1.0);
        double worst = 0.0;
        for (std::int32_t i = 0; i < n; ++i)
            worst = std::max(worst, std::fabs(got[i] - static_cast<double>(exact[i])));
        EXPECT_LE(worst, bound) << "n = " << n;
    }
}

TEST(MdctFast, MissingTablesFallBackToTheDirectFormulasWithTheSameScale) {
    for (int missing = 0; missing < 2; ++missing) {
        const auto intact = mdctCreate(256);
        auto crippled = mdctCreate(256);
        ASSERT_NE(intact, nullptr);
        ASSERT_NE(crippled, nullptr);
        if (missing == 0)
            crippled->trig.clear();
        else
            crippled->bitReverse.clear();
        const std::vector<double> x = RandomSignal(256, 950u);
        const std::vector<double> fast = Forward(*intact, x);
        const std::vector<double> slow = Forward(*crippled, x);
        for (std::size_t k = 0; k < fast.size(); ++k)
            EXPECT_NEAR(slow[k], fast[k], MdctBound(256, SumAbs(x), 4.0 / 256)) << k;
        const std::vector<double> fastBack = Inverse(*intact, fast);
        const std::vector<double> slowBack = Inverse(*crippled, fast);
        for (std::size_t i = 0; i < fastBack.size(); ++i)
            EXPECT_NEAR(slowBack[i], fastBack[i], MdctBound(256, SumAbs(fast), 1.0)) << i;
    }
}

TEST(MdctRoundTrip, WindowedOverlapAddReconstructsTheSignal) {
    // Sine window, hop N/2: the aliasing of neighbouring frames cancels. Both the direct sizes
    // and the fast sizes give the same overall gain of 1.
    for (std::int32_t n : {32, 64, 512, 4096}) {
        const auto setup = mdctCreate(n);
        ASSERT_NE(setup, nullptr);
        const std::int32_t hop = n / 2;
        const std::vector<double> signal =
            RandomSignal(static_cast<std::size_t>(4 * hop), 960u + n);
        std::vector<double> output(signal.size(), 0.0);
        std::vector<double> frame(static_cast<std::size_t>(n)),
            spectrum(static_cast<std::size_t>(hop));
        for (std::int32_t start = 0; start + n <= 4 * hop; start += hop) {
            mdctWindow(*setup, signal.data() + start, frame.data());
            mdctForward(*setup, frame.data(), spectrum.data());
            mdctInverse(*setup, spectrum.data(), frame.data());
            mdctWindow(*setup, frame.data(), frame.data());
            for (std::int32_t i = 0; i < n; ++i)
                output[start + i] += frame[i];
        }
        // Samples covered by two frames: hop .. 3 hop.
        for (std::int32_t i = hop; i < 3 * hop; ++i)
            ASSERT_NEAR(output[i], signal[i], 1e-12) << n << " " << i;
    }
}
