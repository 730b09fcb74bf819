// SPDX-License-Identifier: MIT
// Slow, obviously correct references for the transform tests, in long double.
#pragma once

#include <cfloat>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace transform_test {

using Complex = std::complex<long double>;
constexpr long double kPi = 3.141592653589793238462643383279502884L;

// P(i, n) by its recursive rule.
inline std::int32_t RefPerm(std::int32_t i, std::int32_t n) {
    if (n <= 2) return i;
    if (i < n / 2) return 2 * RefPerm(i, n / 2);
    const std::int32_t rest = i - n / 2, q = n / 4;
    if (rest < q) return 4 * RefPerm(rest, q) + 1;
    return (n - 1) & (4 * RefPerm(rest - q, q) - 1);
}

inline std::vector<double> RandomSignal(std::size_t count, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<double> x(count);
    for (double& v : x)
        v = value(generator);
    return x;
}

inline bool BitEqual(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// exp(sign 2 pi i r / n) for r < n.
inline std::vector<Complex> UnitRoots(std::int32_t n, int sign) {
    std::vector<Complex> roots(static_cast<std::size_t>(n));
    for (std::int32_t r = 0; r < n; ++r)
        roots[r] = std::polar(1.0L, sign * 2 * kPi * static_cast<long double>(r) / n);
    return roots;
}

// Bin k of sum_j x[j] exp(sign 2 pi i jk / n) of the interleaved complex x (roots: UnitRoots).
inline Complex DftBin(const std::vector<double>& x, const std::vector<Complex>& roots,
                      std::int32_t k) {
    const std::size_t n = roots.size();
    Complex sum = 0.0L;
    for (std::size_t j = 0, r = 0; j < n; ++j, r = (r + static_cast<std::size_t>(k)) % n)
        sum += Complex(x[2 * j], x[2 * j + 1]) * roots[r];
    return sum;
}

// Forward: N inputs, X[k] = sum_n x[n] c(n, k). Inverse: N/2 inputs, y[n] = sum_k X[k] c(n, k).
// c(n, k) = cos(pi/(2N) (2n + 1 + N/2) (2k + 1)), the angle reduced exactly.
inline std::vector<long double> DirectMdct(const std::vector<double>& in, std::int32_t size,
                                           bool inverse) {
    std::vector<long double> cosines(static_cast<std::size_t>(4 * size));
    for (std::size_t r = 0; r < cosines.size(); ++r)
        cosines[r] = std::cos(kPi * static_cast<long double>(r) / (2 * size));
    std::vector<long double> out(static_cast<std::size_t>(inverse ? size : size / 2), 0.0L);
    for (std::int32_t n = 0; n < size; ++n) {
        for (std::int32_t k = 0; k < size / 2; ++k) {
            const long double c = cosines[((2 * n + 1 + size / 2) * (2 * k + 1)) % (4 * size)];
            inverse ? out[n] += in[k] * c : out[k] += in[n] * c;
        }
    }
    return out;
}

// Whether value is exact rounded to the nearest double (allowing for the reference's own error).
inline bool IsRounded(double value, long double exact) {
    const double nearest = std::fabs(static_cast<double>(exact));
    const long double ulp = std::nextafter(nearest, INFINITY) - nearest;
    return std::fabs(static_cast<long double>(value) - exact) <= 0.5L * ulp + 1e-18L;
}

} // namespace transform_test
