// SPDX-License-Identifier: MIT
#include "TransformReference.h"
#include "runtime/CTarvoMemory.h"
#include "runtime/TarvoTransforms.h"
#include "runtime/TarvoValues.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <latch>
#include <thread>

using namespace transform_test;

namespace {

class TestMemory : public CTarvoMemory {};

void Fill(CTarvoMemory& memory, std::int32_t index, const std::vector<double>& values) {
    for (std::size_t i = 0; i < values.size(); ++i)
        memory.MemoryAt(index + static_cast<std::int32_t>(i)) = values[i];
}

std::vector<double> Read(CTarvoMemory& memory, std::int32_t index, std::size_t count) {
    std::vector<double> values(count);
    for (std::size_t i = 0; i < count; ++i)
        values[i] = memory.MemoryAt(index + static_cast<std::int32_t>(i));
    return values;
}

bool BitEqual(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// The FFT built-in on `count` doubles at `index` with a margin after them; answers whether the
// transformed part equals fftRun(log2n) on a copy (log2n 0: unchanged) and the margin is intact.
bool FftBuiltinGives(double size, double mode, int log2n, int expectedMode) {
    TestMemory memory;
    const std::int32_t index = 1000;
    const std::vector<double> x = RandomSignal(2 * 1024 + 64, 1u);
    Fill(memory, index, x);
    BuiltinFft(memory, index, size, mode);
    std::vector<double> expected = x;
    if (log2n > 0) fftRun(log2n, expected.data(), expectedMode);
    return BitEqual(Read(memory, index, x.size()), expected);
}

// Forward: window then transform on a private setup; inverse: transform then window.
std::vector<double> MdctExpected(std::int32_t n, const std::vector<double>& region, bool inverse) {
    const auto setup = mdctCreate(n);
    std::vector<double> result = region;
    std::vector<double> scratch(static_cast<std::size_t>(n));
    if (inverse) {
        mdctInverse(*setup, region.data(), scratch.data());
        mdctWindow(*setup, scratch.data(), result.data());
    } else {
        mdctWindow(*setup, region.data(), scratch.data());
        mdctForward(*setup, scratch.data(), result.data());
    }
    return result;
}

} // namespace

TEST(FftBuiltin, SizeIsRoundedDownToAPowerOfTwo) {
    EXPECT_TRUE(FftBuiltinGives(48, 0, 5, kFftForward)); // 48 halves 5 times: 32 values
    EXPECT_TRUE(FftBuiltinGives(16, 0, 4, kFftForward));
    EXPECT_TRUE(FftBuiltinGives(1023, 0, 9, kFftForward));
    EXPECT_TRUE(FftBuiltinGives(15.99995, 0, 4, kFftForward)); // TruncToInt gives 16
}

TEST(FftBuiltin, SizesOutsideSixteenTo32768DoNothing) {
    for (double size : {-16.0, 0.0, 1.0, 2.0, 8.0, 15.0, 65536.0, 1e12})
        EXPECT_TRUE(FftBuiltinGives(size, 0, 0, kFftForward)) << size;
}

TEST(FftBuiltin, PassesTheModeOn) {
    EXPECT_TRUE(FftBuiltinGives(256, 1, 8, kFftInverse));
    EXPECT_TRUE(FftBuiltinGives(256, 4, 8, kFftToTransform));
    EXPECT_TRUE(FftBuiltinGives(256, 5.00005, 8, kFftToNatural));
    EXPECT_TRUE(FftBuiltinGives(256, 2, 0, kFftForward));
}

TEST(FftBuiltin, LargestSizeFillsAWholeBlock) {
    TestMemory memory;
    const std::vector<double> x = RandomSignal(65536, 2u);
    Fill(memory, 65536, x);
    BuiltinFft(memory, 65536, 32768, 0);
    std::vector<double> expected = x;
    fftRun(15, expected.data(), kFftForward);
    EXPECT_TRUE(BitEqual(Read(memory, 65536, x.size()), expected));
}

TEST(FftBuiltin, RefusesARegionAcrossABlockBoundary) {
    for (std::int32_t index : {65536 - 20, -10, -65536 - 1}) {
        TestMemory memory;
        const std::vector<double> x = RandomSignal(64, 3u);
        Fill(memory, index, x);
        BuiltinFft(memory, index, 16, 0);
        EXPECT_TRUE(BitEqual(Read(memory, index, x.size()), x)) << index;
    }
    // Ending exactly at the end of block -1 is inside one block.
    TestMemory memory;
    const std::vector<double> x = RandomSignal(32, 4u);
    Fill(memory, -32, x);
    BuiltinFft(memory, -32, 16, 0);
    std::vector<double> expected = x;
    fftRun(4, expected.data(), kFftForward);
    EXPECT_TRUE(BitEqual(Read(memory, -32, x.size()), expected));
}

TEST(MdctBuiltin, SizesOutside32To4096DoNothing) {
    for (double size : {0.0, 16.0, 31.0, 8192.0, -64.0}) {
        TestMemory memory;
        const std::vector<double> x = RandomSignal(8192, 10u);
        Fill(memory, 0, x);
        BuiltinMdct(memory, 0, size, 0);
        BuiltinMdct(memory, 0, size, 1);
        EXPECT_TRUE(BitEqual(Read(memory, 0, x.size()), x)) << size;
    }
}

TEST(MdctBuiltin, SizeThirtyTwoUsesTheDirectFormulas) {
    TestMemory memory;
    const std::vector<double> x = RandomSignal(40, 11u);
    Fill(memory, 500, x);
    BuiltinMdct(memory, 500, 48, 0); // 48 halves 5 times: N = 32
    const std::vector<double> got = Read(memory, 500, x.size());
    const auto setup = mdctCreate(32);
    std::vector<double> windowed(32);
    for (std::int32_t i = 0; i < 16; ++i) {
        windowed[i] = x[i] * std::sin(3.14159265358979323846 / 32 * (i + 0.5));
        windowed[16 + i] = x[16 + i] * std::sin(3.14159265358979323846 / 32 * (15 - i + 0.5));
    }
    const std::vector<long double> exact = DirectMdct(windowed, 32);
    for (std::int32_t k = 0; k < 16; ++k)
        EXPECT_NEAR(got[k], static_cast<double>(exact[k]), 1e-13) << k;
    for (std::size_t i = 16; i < x.size(); ++i)
        EXPECT_EQ(got[i], x[i]) << "beyond the output " << i;
}

TEST(MdctBuiltin, FastSizesAreScaledByFourOverN) {
    TestMemory memory;
    const std::vector<double> x = RandomSignal(64, 12u);
    Fill(memory, 0, x);
    BuiltinMdct(memory, 0, 64, 0);
    const std::vector<double> got = Read(memory, 0, 32);
    std::vector<double> windowed(64);
    for (std::int32_t i = 0; i < 32; ++i) {
        windowed[i] = x[i] * std::sin(3.14159265358979323846 / 64 * (i + 0.5));
        windowed[32 + i] = x[32 + i] * std::sin(3.14159265358979323846 / 64 * (31 - i + 0.5));
    }
    const std::vector<long double> exact = DirectMdct(windowed, 64);
    for (std::int32_t k = 0; k < 32; ++k)
        EXPECT_NEAR(got[k], static_cast<double>(exact[k] / 16), 1e-14) << k;
}

TEST(MdctBuiltin, ForwardAndInverseMatchTheLibraryCalls) {
    for (std::int32_t n = 32; n <= 4096; n *= 2) {
        for (double flag : {0.0, 1.0, 0.5, -2.0}) {
            const bool inverse = TruncToInt(flag) != 0;
            TestMemory memory;
            const std::vector<double> x = RandomSignal(static_cast<std::size_t>(n), 13u + n);
            Fill(memory, 7000, x);
            BuiltinMdct(memory, 7000, n, flag);
            EXPECT_TRUE(BitEqual(Read(memory, 7000, x.size()), MdctExpected(n, x, inverse)))
                << n << " " << flag;
        }
    }
}

TEST(MdctBuiltin, RefusesARegionAcrossABlockBoundary) {
    TestMemory memory;
    const std::vector<double> x = RandomSignal(256, 14u);
    Fill(memory, 65536 - 100, x);
    BuiltinMdct(memory, 65536 - 100, 256, 0);
    BuiltinMdct(memory, 65536 - 100, 256, 1);
    EXPECT_TRUE(BitEqual(Read(memory, 65536 - 100, x.size()), x));
}

TEST(ComplexMulBuiltin, CountIsRoundedDownToEven) {
    TestMemory memory;
    const std::vector<double> a = RandomSignal(10, 20u);
    const std::vector<double> b = RandomSignal(10, 21u);
    Fill(memory, 100, a);
    Fill(memory, 200000, b); // another block
    BuiltinComplexMul(memory, 100, 200000, 5);
    std::vector<double> expected = a;
    complexMulInPlace(expected.data(), b.data(), 4);
    EXPECT_TRUE(BitEqual(Read(memory, 100, 10), expected));
    EXPECT_EQ(Read(memory, 108, 2), (std::vector<double>{a[8], a[9]}));
    EXPECT_EQ(Read(memory, 200000, 10), b);
}

TEST(ComplexMulBuiltin, SmallCountsAndSplitRegionsDoNothing) {
    TestMemory memory;
    const std::vector<double> a = RandomSignal(8, 22u);
    const std::vector<double> b = RandomSignal(8, 23u);
    Fill(memory, 65536 - 4, a); // crosses into block 1 after two complex values
    Fill(memory, 300, b);
    Fill(memory, 400, a);
    BuiltinComplexMul(memory, 400, 300, 1);
    BuiltinComplexMul(memory, 400, 300, -4);
    EXPECT_EQ(Read(memory, 400, 8), a);
    BuiltinComplexMul(memory, 65536 - 4, 300, 4); // destination split
    EXPECT_EQ(Read(memory, 65536 - 4, 8), a);
    BuiltinComplexMul(memory, 400, 65536 - 4, 4); // source split
    EXPECT_EQ(Read(memory, 400, 8), a);
}

TEST(TransformThreads, ConcurrentSetupAndTransformsGiveTheSingleThreadedResults) {
    // Threads start together so that the table build and the lazily created MDCT setups are
    // first used concurrently (each test runs in a fresh process under ctest).
    constexpr int kThreads = 8;
    constexpr int kRounds = 3;
    std::latch start(kThreads);
    std::vector<std::vector<std::vector<double>>> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            TestMemory memory;
            if (ensureTransformTables() != 1) return;
            for (int round = 0; round < kRounds; ++round) {
                for (int step = 0; step < 8; ++step) {
                    const std::int32_t n = 32 << ((step + t) % 8); // different sizes at once
                    const bool inverse = (step + round) % 2 == 1;
                    const std::vector<double> x = RandomSignal(
                        static_cast<std::size_t>(n), static_cast<std::uint32_t>(t * 100 + step));
                    Fill(memory, 0, x);
                    BuiltinMdct(memory, 0, n, inverse ? 1 : 0);
                    results[t].push_back(Read(memory, 0, x.size()));
                    BuiltinFft(memory, 0, n / 2, 0);
                    results[t].push_back(Read(memory, 0, x.size()));
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(results[t].size(), static_cast<std::size_t>(kRounds * 8 * 2)) << t;
        std::size_t r = 0;
        for (int round = 0; round < kRounds; ++round) {
            for (int step = 0; step < 8; ++step) {
                const std::int32_t n = 32 << ((step + t) % 8);
                const bool inverse = (step + round) % 2 == 1;
                const std::vector<double> x = RandomSignal(
                    static_cast<std::size_t>(n), static_cast<std::uint32_t>(t * 100 + step));
                std::vector<double> expected = MdctExpected(n, x, inverse);
                EXPECT_TRUE(BitEqual(results[t][r++], expected)) << t << " " << n;
                fftRun(std::countr_zero(static_cast<std::uint32_t>(n / 2)), expected.data(), 0);
                EXPECT_TRUE(BitEqual(results[t][r++], expected)) << t << " " << n;
            }
        }
    }
}
