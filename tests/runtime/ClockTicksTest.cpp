// SPDX-License-Identifier: MIT
#include "runtime/platform/ClockTicks.h"

#include <gtest/gtest.h>

#include <cstdint>

using tarvo_platform::millisecondsFromClock;

namespace {
std::int64_t opaque(std::int64_t value) {
    volatile std::int64_t hidden = value;
    return hidden;
}
} // namespace

TEST(ClockTicks, MillisecondsStayRightPastThirtySixMinutes) {
    EXPECT_EQ(millisecondsFromClock(opaque(0), 1000), 0);
    EXPECT_EQ(millisecondsFromClock(opaque(1500), 1000), 1500);
    // 40 minutes of a 32-bit millisecond clock: the product with 1000 leaves 32 bits.
    EXPECT_EQ(millisecondsFromClock(opaque(2400000), 1000), 2400000);
    EXPECT_EQ(millisecondsFromClock(opaque(INT32_MAX), 1000), INT32_MAX);
    // Other clock rates (POSIX uses a million per second).
    EXPECT_EQ(millisecondsFromClock(opaque(2400000000LL), 1000000), 2400000);
    EXPECT_EQ(millisecondsFromClock(opaque(1999), 1000000), 1);
    EXPECT_EQ(millisecondsFromClock(opaque(7), 100), 70);
}

TEST(ClockTicks, FailedReadingsGiveZeroAndLongRunsWrap) {
    EXPECT_EQ(millisecondsFromClock(opaque(-1), 1000), 0);
    EXPECT_EQ(millisecondsFromClock(opaque(5), 0), 0);
    // Past 2^31 milliseconds the count wraps to small values, never negative ones.
    EXPECT_EQ(millisecondsFromClock(opaque(std::int64_t{1} << 31), 1000), 0);
    EXPECT_EQ(millisecondsFromClock(opaque((std::int64_t{1} << 31) + 25), 1000), 25);
}
