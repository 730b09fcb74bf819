// SPDX-License-Identifier: MIT
// Millisecond ticks from a C library processor clock.
#pragma once

#include <cstdint>

namespace tarvo_platform {

// Milliseconds of a clock reading, kept in 31 bits so that the count wraps to 0 instead of
// turning negative. The product is formed in 64 bits: a 32-bit clock value times 1000 would
// overflow after about 36 minutes. A failed reading (-1) gives 0; any other negative reading is
// a 32-bit count past its positive range and goes on wrapping with it.
inline std::int32_t millisecondsFromClock(std::int64_t clocks,
                                          std::int64_t clocksPerSecond) noexcept {
    if (clocks == -1 || clocksPerSecond <= 0) return 0;
    if (clocks < 0) clocks += std::int64_t{1} << 32;
    if (clocks < 0) return 0;
    const std::int64_t milliseconds =
        clocks / clocksPerSecond * 1000 + clocks % clocksPerSecond * 1000 / clocksPerSecond;
    return static_cast<std::int32_t>(milliseconds & 0x7FFFFFFF);
}

} // namespace tarvo_platform
