// SPDX-License-Identifier: MIT
#include "runtime/TarvoValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
using limits = std::numeric_limits<double>;

// The value as the compiler cannot know it, so that conversions happen at run time.
double opaque(double value) {
    volatile double hidden = value;
    return hidden;
}
} // namespace

TEST(Sanitize, ReplacesOnlyNonFiniteValues) {
    const double huge = 1e300;
    EXPECT_EQ(Sanitize(huge * huge), 0.0);
    EXPECT_EQ(Sanitize(-limits::infinity()), 0.0);
    for (double nan : {limits::quiet_NaN(), -limits::quiet_NaN(), limits::signaling_NaN()}) {
        EXPECT_EQ(Sanitize(nan), 0.0);
        EXPECT_FALSE(std::signbit(Sanitize(nan)));
    }
    EXPECT_TRUE(std::signbit(Sanitize(-0.0)));
    EXPECT_EQ(Sanitize(limits::denorm_min()), limits::denorm_min());
    EXPECT_EQ(Sanitize(-limits::max()), -limits::max());
    EXPECT_EQ(Sanitize(0.1), 0.1);
}

TEST(TruncToInt, BiasesAwayFromZeroThenTruncates) {
    EXPECT_EQ(TruncToInt(0.99995), 1);
    EXPECT_EQ(TruncToInt(0.9999), 1);
    EXPECT_EQ(TruncToInt(0.9998), 0);
    EXPECT_EQ(TruncToInt(-0.5), 0);
    EXPECT_EQ(TruncToInt(2.7), 2);
    EXPECT_EQ(TruncToInt(-2.7), -2);
    EXPECT_EQ(TruncToInt(2.99995), 3);
    EXPECT_EQ(TruncToInt(-2.99995), -3);
    EXPECT_EQ(TruncToInt(64.0), 64);
    EXPECT_EQ(TruncToInt(-0.0), 0);
}

TEST(TruncToInt, NotANumberGivesZeroAndLargeValuesSaturate) {
    EXPECT_EQ(TruncToInt(limits::quiet_NaN()), 0);
    EXPECT_EQ(TruncToInt(-limits::quiet_NaN()), 0);
    EXPECT_EQ(TruncToInt(limits::infinity()), INT32_MAX);
    EXPECT_EQ(TruncToInt(-limits::infinity()), INT32_MIN);
    EXPECT_EQ(TruncToInt(1e10), INT32_MAX);
    EXPECT_EQ(TruncToInt(-1e10), INT32_MIN);
    EXPECT_EQ(TruncToInt(2147483646.5), 2147483646);
    EXPECT_EQ(TruncToInt(2147483647.0), INT32_MAX);
    EXPECT_EQ(TruncToInt(-2147483647.5), -2147483647);
    EXPECT_EQ(TruncToInt(-2147483648.0), INT32_MIN);
}

TEST(TruncToInt, SaturatesAtRunTime) {
    EXPECT_EQ(TruncToInt(opaque(3e9)), INT32_MAX);
    EXPECT_EQ(TruncToInt(opaque(-3e9)), INT32_MIN);
    EXPECT_EQ(TruncToInt(opaque(2147483648.0)), INT32_MAX);
    EXPECT_EQ(TruncToInt(opaque(2147483646.99995)), INT32_MAX);
    EXPECT_EQ(TruncToInt(opaque(-2147483649.0)), INT32_MIN);
    EXPECT_EQ(TruncToInt(opaque(limits::infinity())), INT32_MAX);
    EXPECT_EQ(TruncToInt(opaque(-limits::infinity())), INT32_MIN);
    EXPECT_EQ(TruncToInt(opaque(limits::quiet_NaN())), 0);
    EXPECT_EQ(TruncToInt(opaque(-1e300)), INT32_MIN);
    EXPECT_EQ(TruncToInt(opaque(2147483646.5)), 2147483646);
    EXPECT_EQ(TruncToInt(opaque(-2147483647.5)), -2147483647);
}

TEST(TruthAndChange, ToleranceIsStrict) {
    EXPECT_FALSE(IsTrue(0.0));
    EXPECT_FALSE(IsTrue(0.000009));
    EXPECT_FALSE(IsTrue(-0.000009));
    EXPECT_TRUE(IsTrue(0.00001));
    EXPECT_TRUE(IsTrue(-0.00001));
    EXPECT_TRUE(IsTrue(limits::quiet_NaN()));
    EXPECT_TRUE(IsTrue(-3.0));

    EXPECT_TRUE(ValuesEqual(1.0, 1.000009));
    EXPECT_TRUE(ValuesEqual(-5.0, -5.000009));
    EXPECT_FALSE(ValuesEqual(1.0, 1.00002));
    EXPECT_FALSE(ValuesEqual(0.0, 0.1));
    EXPECT_FALSE(ValuesEqual(limits::quiet_NaN(), 1.0));
    EXPECT_FALSE(ValuesEqual(limits::infinity(), limits::infinity()));
    // A difference of exactly the tolerance is a change, in either direction.
    EXPECT_FALSE(ValuesEqual(opaque(kTarvoEpsilon), 0.0));
    EXPECT_FALSE(ValuesEqual(0.0, opaque(kTarvoEpsilon)));
    EXPECT_FALSE(ValuesEqual(opaque(-kTarvoEpsilon), 0.0));
    EXPECT_TRUE(ValuesEqual(opaque(std::nextafter(kTarvoEpsilon, 0.0)), 0.0));
    EXPECT_TRUE(ValuesEqual(0.0, opaque(std::nextafter(kTarvoEpsilon, 0.0))));
}
