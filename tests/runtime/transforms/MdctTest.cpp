// SPDX-License-Identifier: MIT
#include "TransformReference.h"
#include "runtime/TarvoTransforms.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace transform_test;

namespace {

// Largest distance between the transform of `in` and factor times the direct formula, in units
// of the rounding bound (a sum of all inputs through the log2 N stages of the fast transform).
double ErrorInBounds(const MdctSetup& setup, const std::vector<double>& in, bool inverse,
                     double factor) {
    std::vector<double> out(static_cast<std::size_t>(inverse ? setup.n : setup.n / 2));
    inverse ? mdctInverse(setup, in.data(), out.data()) : mdctForward(setup, in.data(), out.data());
    const std::vector<long double> exact = DirectMdct(in, setup.n, inverse);
    double inputSum = 0.0, worst = 0.0;
    for (double v : in)
        inputSum += std::fabs(v);
    for (std::size_t i = 0; i < out.size(); ++i)
        worst = std::max(worst, std::fabs(out[i] - static_cast<double>(exact[i] * factor)));
    return worst / (4 * DBL_EPSILON * std::log2(setup.n) * inputSum * factor);
}

} // namespace

TEST(Mdct, SetupsExistForPowersOfTwoFrom8To4096WithTheirTables) {
    for (std::int32_t n : {-64, 0, 4, 48, 8192})
        EXPECT_EQ(mdctCreate(n), nullptr) << n;
    for (std::int32_t n = 8; n <= 4096; n *= 2) {
        const auto setup = mdctCreate(n);
        ASSERT_NE(setup, nullptr);
        ASSERT_EQ(setup->window.size(), static_cast<std::size_t>(n / 2));
        for (std::int32_t i = 0; i < n / 2; ++i)
            ASSERT_TRUE(IsRounded(setup->window[i], std::sin(kPi / n * (i + 0.5L))))
                << n << " " << i;
        EXPECT_EQ(setup->trig.size(), n <= 32 ? 0u : static_cast<std::size_t>(n + n / 4)) << n;
        EXPECT_EQ(setup->bitReverse.size(), n <= 32 ? 0u : static_cast<std::size_t>(n / 4)) << n;
    }
}

TEST(Mdct, SmallSizesUseTheDirectFormulasWithTheFactorOnTheInverse) {
    for (std::int32_t n : {8, 16, 32}) {
        const auto setup = mdctCreate(n);
        EXPECT_LE(ErrorInBounds(*setup, RandomSignal(n, 10u + n), false, 1.0), 1.0) << n;
        EXPECT_LE(ErrorInBounds(*setup, RandomSignal(n / 2, 20u + n), true, 4.0 / n), 1.0) << n;
    }
}

TEST(Mdct, FastSizesMoveTheFactorToTheForwardTransform) {
    for (std::int32_t n = 64; n <= 4096; n *= 2) {
        const auto setup = mdctCreate(n);
        EXPECT_LE(ErrorInBounds(*setup, RandomSignal(n, 30u + n), false, 4.0 / n), 1.0) << n;
        EXPECT_LE(ErrorInBounds(*setup, RandomSignal(n / 2, 40u + n), true, 1.0), 1.0) << n;
        // Without one of its tables a setup falls back to the direct formulas, same scale.
        auto crippled = mdctCreate(n);
        if (n < 512)
            crippled->trig.clear();
        else
            crippled->bitReverse.clear();
        EXPECT_LE(ErrorInBounds(*crippled, RandomSignal(n, 50u + n), false, 4.0 / n), 1.0) << n;
        EXPECT_LE(ErrorInBounds(*crippled, RandomSignal(n / 2, 60u + n), true, 1.0), 1.0) << n;
    }
}

TEST(Mdct, WindowedOverlapAddReconstructsTheSignalAtEverySize) {
    // Sine window, hop N/2: neighbouring frames cancel each other's aliasing, with gain 1 both
    // for the direct sizes and for the fast ones.
    for (std::int32_t n = 8; n <= 4096; n *= 2) {
        const auto setup = mdctCreate(n);
        const std::int32_t hop = n / 2;
        const std::vector<double> signal = RandomSignal(static_cast<std::size_t>(4 * hop), 70u);
        std::vector<double> output(signal.size(), 0.0), frame(n), spectrum(hop);
        for (std::int32_t start = 0; start + n <= 4 * hop; start += hop) {
            mdctWindow(*setup, signal.data() + start, frame.data());
            mdctForward(*setup, frame.data(), spectrum.data());
            mdctInverse(*setup, spectrum.data(), frame.data());
            mdctWindow(*setup, frame.data(), frame.data()); // in place is allowed
            for (std::int32_t i = 0; i < n; ++i)
                output[start + i] += frame[i];
        }
        for (std::int32_t i = hop; i < 3 * hop; ++i)
            ASSERT_NEAR(output[i], signal[i], 1e-12) << n << " " << i;
    }
}
