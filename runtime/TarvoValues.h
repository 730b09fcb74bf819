// SPDX-License-Identifier: MIT
// Value rules of translated effect code: every value is a double, every store is sanitized,
// every conversion to an integer is biased truncation, and comparisons allow 0.00001 of slack.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

// Tolerance of the truth and change tests.
constexpr double kTarvoEpsilon = 0.00001;

// The value an assignment stores: NaN and both infinities become +0.0; every finite value,
// signed zeros and subnormals included, passes unchanged.
// Written on the bits, without a floating-point comparison or branch: the exponent field is
// all ones exactly for the non-finite values, and adding 1 to it carries into bit 11 only
// then, which turns into a mask of all zeros (non-finite) or all ones (finite). Loops over
// samples vectorise with plain integer operations, also where the instruction set has no
// 64-bit compare.
inline double Sanitize(double x) noexcept {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    const std::uint64_t exponent = (bits >> 52) & 0x7FF;
    const std::uint64_t keep = ((exponent + 1) >> 11) - 1;
    return std::bit_cast<double>(bits & keep);
}

// Conversion of a value to an integer: a bias of 0.0001 away from zero, then truncation toward
// zero (2.7 gives 2, 2.99995 gives 3, -2.99995 gives -3).
// NaN gives 0, and values beyond the 32-bit range saturate at INT32_MIN / INT32_MAX.
inline std::int32_t TruncToInt(double x) noexcept {
    if (std::isnan(x)) return 0;
    const double biased = x >= 0.0 ? x + 0.0001 : x - 0.0001;
    if (biased >= 2147483647.0) return INT32_MAX;
    if (biased <= -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(biased);
}

// Truth test of conditions: true unless strictly inside (-0.00001, 0.00001); NaN is true.
inline bool IsTrue(double x) noexcept {
    return !(x > -kTarvoEpsilon && x < kTarvoEpsilon);
}

// Change test: two values are equal when their difference lies strictly inside
// (-0.00001, 0.00001). A difference that is not a number counts as a change.
inline bool ValuesEqual(double a, double b) noexcept {
    const double d = a - b;
    return d > -kTarvoEpsilon && d < kTarvoEpsilon;
}
