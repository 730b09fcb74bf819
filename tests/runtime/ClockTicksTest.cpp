// SPDX-License-Identifier: MIT
#include "runtime/platform/ClockTicks.h"
#include "runtime/platform/TarvoPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>

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
    // A 32-bit clock past its positive range reads negative and wraps the same way.
    EXPECT_EQ(millisecondsFromClock(opaque(-(std::int64_t{1} << 31) + 25), 1000), 25);
}

// The throttle's clock is the system's time of day, to within a timer tick, and moves on.
TEST(TimeOfDay, IsTheSystemTimeToWithinATick) {
    using std::chrono::duration;
    using std::chrono::system_clock;
    const double system = duration<double>(system_clock::now().time_since_epoch()).count();
    const double ours = tarvo_platform::timeOfDaySeconds();
    EXPECT_LT(std::fabs(ours - system), 0.05);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const double later = tarvo_platform::timeOfDaySeconds();
    EXPECT_GT(later - ours, 0.03);
    EXPECT_LT(later - ours, 1.0);
}
