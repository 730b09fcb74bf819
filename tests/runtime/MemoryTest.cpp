// SPDX-License-Identifier: MIT
#include "TestRuntime.h"

#include <gtest/gtest.h>

TEST(Memory, BlocksAreMadeOnFirstTouchAndZeroFilled) {
    TTestRuntime runtime;
    EXPECT_EQ(runtime.MemoryBlockCount(), 0u);
    EXPECT_EQ(runtime.MemoryAt(12345), 0.0);
    EXPECT_EQ(runtime.MemoryBlockCount(), 1u);

    runtime.MemoryAt(65535) = 1.5;
    runtime.MemoryAt(65536) = 2.5;
    EXPECT_EQ(runtime.MemoryBlockCount(), 2u);
    EXPECT_NE(&runtime.MemoryAt(65535) + 1, &runtime.MemoryAt(65536));
    EXPECT_EQ(runtime.MemoryAt(65535), 1.5);
    EXPECT_EQ(runtime.MemoryAt(65536), 2.5);

    // Element -1 is the last element of block -1.
    runtime.MemoryAt(-1) = 7.0;
    double* block = runtime.MemoryRun(-65536, 65536);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[65535], 7.0);
    for (int i = 0; i < 65535; ++i)
        ASSERT_EQ(block[i], 0.0);
    EXPECT_EQ(runtime.MemoryBlockCount(), 3u);
    EXPECT_EQ(&runtime.MemoryAt(INT32_MIN), &runtime.MemoryRun(INT32_MIN, 1)[0]);
}

TEST(Memory, RunsStayInsideOneBlock) {
    TTestRuntime runtime;
    EXPECT_NE(runtime.MemoryRun(0, 65536), nullptr);
    EXPECT_EQ(runtime.MemoryRun(1, 65536), nullptr);
    EXPECT_EQ(runtime.MemoryRun(65530, 7), nullptr);
    EXPECT_NE(runtime.MemoryRun(65530, 6), nullptr);
    EXPECT_EQ(runtime.MemoryRun(100, 0), nullptr);
    EXPECT_EQ(runtime.MemoryRun(100, -4), nullptr);
    // Refused runs create nothing.
    EXPECT_EQ(runtime.MemoryBlockCount(), 1u);
}

TEST(Memory, ResetReleasesBlocksAndStrings) {
    TTestRuntime runtime;
    runtime.MemoryAt(3) = 9.0;
    runtime.StringAt(10000) = "text";
    runtime.UpdateStringCount();
    EXPECT_EQ(runtime.StringCount(), 1.0);
    runtime.OnReset();
    EXPECT_EQ(runtime.MemoryBlockCount(), 0u);
    EXPECT_EQ(runtime.MemoryAt(3), 0.0);
    EXPECT_EQ(runtime.FindString(10000), nullptr);
    EXPECT_EQ(runtime.StringCount(), 0.0);
}
