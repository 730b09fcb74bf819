// SPDX-License-Identifier: MIT
// Slow, obviously correct references for the transform tests: a direct DFT and a direct MDCT in
// long double, the permutation by its recursive rule, and random test signals.
#pragma once

#include <cfloat>
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

namespace transform_test {

using Complex = std::complex<long double>;

constexpr long double kPi = 3.141592653589793238462643383279502884L;

// P(i, n) straight from the rule: the first half holds the even outputs of the half-size
// transform, then the 4k+1 outputs, then the 4k-1 outputs of the quarter-size transforms.
inline std::int32_t ReferencePermutation(std::int32_t i, std::int32_t n) {
    if (n <= 2) return i;
    if (i < n / 2) return 2 * ReferencePermutation(i, n / 2);
    const std::int32_t rest = i - n / 2;
    const std::int32_t q = n / 4;
    if (rest < q) return 4 * ReferencePermutation(rest, q) + 1;
    return (n - 1) & (4 * ReferencePermutation(rest - q, q) - 1);
}

// 2n doubles, real and imaginary parts uniform in [-1, 1).
inline std::vector<double> RandomSignal(std::size_t doubles, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<double> x(doubles);
    for (double& v : x)
        v = value(generator);
    return x;
}

// exp(sign * 2*pi*i * r / n) for r < n, in long double.
inline std::vector<Complex> UnitRoots(std::int32_t n, int sign) {
    std::vector<Complex> roots(static_cast<std::size_t>(n));
    for (std::int32_t r = 0; r < n; ++r) {
        const long double a = 2.0L * kPi * static_cast<long double>(r) / n;
        roots[r] = Complex(std::cos(a), sign * std::sin(a));
    }
    return roots;
}

// Bin k of sum_j x[j] exp(sign * 2*pi*i * jk/n), x interleaved complex in natural order.
inline Complex DftBin(const std::vector<double>& x, const std::vector<Complex>& roots,
                      std::int32_t k) {
    const std::int32_t n = static_cast<std::int32_t>(roots.size());
    Complex sum = 0.0L;
    std::int64_t r = 0;
    for (std::int32_t j = 0; j < n; ++j) {
        sum += Complex(x[2 * j], x[2 * j + 1]) * roots[r];
        r += k;
        if (r >= n) r -= n;
    }
    return sum;
}

// cos(pi/(2N) (2n + 1 + N/2) (2k + 1)) in long double, with the angle reduced exactly.
inline std::vector<long double> MdctCosines(std::int32_t size) {
    std::vector<long double> table(static_cast<std::size_t>(4 * size));
    for (std::int32_t r = 0; r < 4 * size; ++r)
        table[r] = std::cos(kPi * static_cast<long double>(r) / (2.0L * size));
    return table;
}

inline long double MdctKernel(const std::vector<long double>& cosines, std::int32_t size,
                              std::int32_t n, std::int32_t k) {
    const std::int64_t steps = (2 * std::int64_t{n} + 1 + size / 2) * (2 * std::int64_t{k} + 1);
    return cosines[static_cast<std::size_t>(steps % (4 * size))];
}

// X[k] = sum_n x[n] c(n, k), k < N/2.
inline std::vector<long double> DirectMdct(const std::vector<double>& x, std::int32_t size) {
    const std::vector<long double> cosines = MdctCosines(size);
    std::vector<long double> out(static_cast<std::size_t>(size / 2));
    for (std::int32_t k = 0; k < size / 2; ++k) {
        long double sum = 0.0L;
        for (std::int32_t n = 0; n < size; ++n)
            sum += x[n] * MdctKernel(cosines, size, n, k);
        out[k] = sum;
    }
    return out;
}

// y[n] = sum_k X[k] c(n, k), n < N.
inline std::vector<long double> DirectImdct(const std::vector<double>& spectrum,
                                            std::int32_t size) {
    const std::vector<long double> cosines = MdctCosines(size);
    std::vector<long double> out(static_cast<std::size_t>(size));
    for (std::int32_t n = 0; n < size; ++n) {
        long double sum = 0.0L;
        for (std::int32_t k = 0; k < size / 2; ++k)
            sum += spectrum[k] * MdctKernel(cosines, size, n, k);
        out[n] = sum;
    }
    return out;
}

// Whether `value` is `exact` rounded to nearest: within half a unit in the last place of the
// double nearest to it, plus the error of the long double reference itself.
inline bool IsRounded(double value, long double exact) {
    const double nearest = std::fabs(static_cast<double>(exact));
    const long double ulp = std::nextafter(nearest, INFINITY) - nearest;
    return std::fabs(static_cast<long double>(value) - exact) <= 0.5L * ulp + 1e-18L;
}

} // namespace transform_test
