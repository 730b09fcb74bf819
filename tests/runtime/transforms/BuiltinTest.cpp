// SPDX-License-Identifier: MIT
#include "TransformReference.h"
#include "runtime/CTarvoMemory.h"
#include "runtime/TarvoTransforms.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>
#include <utility>

using namespace transform_test;

namespace {

class TestMemory : public CTarvoMemory {
public:
    void Fill(std::int32_t index, const std::vector<double>& values) {
        for (std::size_t i = 0; i < values.size(); ++i)
            MemoryAt(index + std::int32_t(i)) = values[i];
    }
    std::vector<double> Read(std::int32_t index, std::size_t count) {
        std::vector<double> values(count);
        for (std::size_t i = 0; i < count; ++i)
            values[i] = MemoryAt(index + std::int32_t(i));
        return values;
    }
};

// Runs `builtin` on random values at `index` (with a margin) and compares the memory with
// `expected` applied to a copy of them.
template <typename Builtin, typename Expected>
bool Gives(std::int32_t index, std::size_t count, Builtin builtin, Expected expected) {
    TestMemory memory;
    const std::vector<double> x = RandomSignal(count + 16, static_cast<std::uint32_t>(count));
    memory.Fill(index, x);
    builtin(memory);
    std::vector<double> copy = x;
    expected(copy.data());
    return BitEqual(memory.Read(index, x.size()), copy);
}

// The MDCT built-in's work done with a private setup: forward windows then transforms, inverse
// transforms then windows.
void MdctByHand(std::int32_t n, bool inverse, double* data) {
    const auto setup = mdctCreate(n);
    std::vector<double> scratch(static_cast<std::size_t>(n));
    if (inverse) {
        mdctInverse(*setup, data, scratch.data());
        mdctWindow(*setup, scratch.data(), data);
    } else {
        mdctWindow(*setup, data, scratch.data());
        mdctForward(*setup, scratch.data(), data);
    }
}

const auto kUnchanged = [](double*) {};

} // namespace

TEST(Builtins, FftSizeIsRoundedDownAndLimitedTo16Through32768) {
    for (auto [size, log2n] : {std::pair{48.0, 5}, {16.0, 4}, {1023.0, 9}, {15.99995, 4}})
        EXPECT_TRUE(Gives(
            100, 2u << log2n, [=](CTarvoMemory& m) { BuiltinFft(m, 100, size, 0); },
            [=](double* d) { fftRun(log2n, d, kFftForward); }))
            << size;
    for (double size : {-16.0, 0.0, 1.0, 8.0, 15.0, 65536.0})
        EXPECT_TRUE(Gives(
            0, 65536, [=](CTarvoMemory& m) { BuiltinFft(m, 0, size, 0); }, kUnchanged))
            << size;
    EXPECT_TRUE(Gives(
        65536, 65536 - 16, [](CTarvoMemory& m) { BuiltinFft(m, 65536, 32768, 5); },
        [](double* d) { fftRun(15, d, kFftToNatural); }));
    for (int mode : {1, 4})
        EXPECT_TRUE(Gives(
            0, 512, [=](CTarvoMemory& m) { BuiltinFft(m, 0, 256, mode + 0.00005); },
            [=](double* d) { fftRun(8, d, mode); }));
}

TEST(Builtins, MdctSizesAre32Through4096AndMatchTheLibraryCalls) {
    for (double size : {0.0, 16.0, 31.0, 8192.0})
        EXPECT_TRUE(Gives(
            0, 8192, [=](CTarvoMemory& m) { BuiltinMdct(m, 0, size, 0); }, kUnchanged));
    for (std::int32_t n = 32; n <= 4096; n *= 2) {
        for (double flag : {0.0, 1.0, 0.5, -2.0}) {
            const bool inverse = flag >= 1.0 || flag <= -1.0;
            EXPECT_TRUE(Gives(
                7000, n, [=](CTarvoMemory& m) { BuiltinMdct(m, 7000, n, flag); },
                [=](double* d) { MdctByHand(n, inverse, d); }))
                << n << " " << flag;
        }
    }
    // 48 halves 5 times: N = 32, which takes the direct formulas.
    EXPECT_TRUE(Gives(
        0, 32, [](CTarvoMemory& m) { BuiltinMdct(m, 0, 48, 0); },
        [](double* d) { MdctByHand(32, false, d); }));
}

TEST(Builtins, ComplexMulRoundsCountDownToEven) {
    const std::vector<double> b = RandomSignal(8, 6u);
    const auto mul = [&](std::int32_t dest, double count) {
        return [=](TestMemory& m) {
            m.Fill(200000, b); // source in another block
            BuiltinComplexMul(m, dest, 200000, count);
        };
    };
    EXPECT_TRUE(Gives(100, 8, mul(100, 3), [&](double* d) { complexMulInPlace(d, b.data(), 2); }));
    EXPECT_TRUE(Gives(100, 8, mul(100, 1), kUnchanged));
    EXPECT_TRUE(Gives(100, 8, mul(100, -4), kUnchanged));
}

TEST(Builtins, RegionsAcrossABlockBoundaryAreRefused) {
    for (std::int32_t index : {65536 - 20, -10, -65536 - 1}) {
        EXPECT_TRUE(Gives(
            index, 64, [=](CTarvoMemory& m) { BuiltinFft(m, index, 16, 0); }, kUnchanged));
        EXPECT_TRUE(Gives(
            index, 64, [=](CTarvoMemory& m) { BuiltinMdct(m, index, 32, 1); }, kUnchanged));
        EXPECT_TRUE(Gives(
            index, 64, [=](CTarvoMemory& m) { BuiltinComplexMul(m, index, 0, 16); }, kUnchanged));
        EXPECT_TRUE(Gives(
            0, 64, [=](CTarvoMemory& m) { BuiltinComplexMul(m, 0, index, 16); }, kUnchanged));
    }
    // Ending exactly at the end of block -1 stays inside it.
    EXPECT_TRUE(Gives(
        -32, 32, [](CTarvoMemory& m) { BuiltinFft(m, -32, 16, 0); },
        [](double* d) { fftRun(4, d, kFftForward); }));
}

TEST(Builtins, HugeIndexesAreRefusedNotWrapped) {
    // An index beyond the 32-bit range saturates to the last element of the last block, where
    // no run of several values fits; it must not wrap around to the first block.
    volatile double hidden = 3e9;
    const double index = hidden;
    EXPECT_TRUE(Gives(
        INT32_MIN, 64, [=](CTarvoMemory& m) { BuiltinFft(m, index, 16, 0); }, kUnchanged));
    EXPECT_TRUE(Gives(
        INT32_MIN, 64, [=](CTarvoMemory& m) { BuiltinMdct(m, index, 32, 0); }, kUnchanged));
    EXPECT_TRUE(Gives(
        INT32_MIN, 64, [=](CTarvoMemory& m) { BuiltinComplexMul(m, index, INT32_MIN, 16); },
        kUnchanged));
    TestMemory memory;
    BuiltinFft(memory, index, 16, 0);
    EXPECT_EQ(memory.MemoryBlockCount(), 0u);
}

TEST(Builtins, ConcurrentFirstUseGivesTheSingleThreadedResults) {
    // The threads start together, so in a fresh process (as under ctest) the table build and the
    // MDCT setups are first used concurrently; every thread has its own inputs and sizes.
    constexpr int kThreads = 8;
    std::latch start(kThreads);
    std::vector<std::vector<std::vector<double>>> results(kThreads);
    const auto input = [](int t, int step) { return RandomSignal(32u << step, 100u * t + step); };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            TestMemory memory;
            ensureTransformTables();
            for (int i = 0; i < 16; ++i) {
                const int step = (t + i) % 8;
                memory.Fill(0, input(t, step));
                BuiltinMdct(memory, 0, 32 << step, i % 2);
                BuiltinFft(memory, 0, 16 << step, 0);
                results[t].push_back(memory.Read(0, 32u << step));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < 16; ++i) {
            const int step = (t + i) % 8;
            std::vector<double> expected = input(t, step);
            MdctByHand(32 << step, i % 2 == 1, expected.data());
            fftRun(4 + step, expected.data(), kFftForward);
            EXPECT_TRUE(BitEqual(results[t][i], expected)) << t << " " << i;
        }
    }
}
