// SPDX-License-Identifier: MIT
#include "TestHost.h"
#include "TestRuntime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>

namespace fs = std::filesystem;

namespace {

std::vector<unsigned char> readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

fs::path besideProgram(const std::string& name) {
    return testhost::executableFolder() + name;
}

} // namespace

TEST(FileSlots, FileVarWritesAndReadsSinglePrecisionValues) {
    TTestRuntime runtime;
    const std::int32_t slot = runtime.OpenFileForWriting("");
    double a = 0.1, b = -3.0, c = 1e40;
    runtime.FileVar(slot, a);
    runtime.FileVar(slot, b);
    runtime.FileVar(slot, c);
    const FileRecord& file = *runtime.FileSlot(slot);
    ASSERT_EQ(file.data.size(), 3u);
    EXPECT_EQ(file.position, 3);
    EXPECT_EQ(file.data[0], 0.1f);
    EXPECT_TRUE(std::isinf(file.data[2]));

    // Writing at a position past the end grows the data with zeros.
    runtime.FileSlot(slot)->position = 5;
    runtime.FileVar(slot, a);
    EXPECT_EQ(file.data.size(), 6u);
    EXPECT_EQ(file.data[4], 0.0f);

    FileRecord& reading = *runtime.FileSlot(slot);
    reading.mode = kFileReading;
    reading.position = 0;
    double value = 5.0;
    runtime.FileVar(slot, value);
    EXPECT_EQ(value, static_cast<double>(0.1f));
    EXPECT_NE(value, 0.1);
    runtime.FileVar(slot, value);
    EXPECT_EQ(value, -3.0);
    runtime.FileVar(slot, value); // infinity reads as 0.0
    EXPECT_EQ(value, 0.0);
    reading.position = 6;
    value = 8.0;
    runtime.FileVar(slot, value); // nothing left: unchanged
    EXPECT_EQ(value, 8.0);
    EXPECT_EQ(reading.position, 6);

    reading.mode = kFileClosed;
    reading.position = 0;
    runtime.FileVar(slot, value);
    EXPECT_EQ(value, 8.0);
    runtime.FileVar(99, value);
    runtime.FileVar(-1, value);
    EXPECT_EQ(value, 8.0);
}

TEST(FileSlots, ClosingWritesOneBytePerValueNextToTheLibrary) {
    const fs::path target = besideProgram("rt_close.dat");
    fs::remove(target);
    TTestRuntime runtime;
    const std::int32_t slot = runtime.OpenFileForWriting("rt_close.dat");
    for (double value : {1.0, 2.0, 255.0, 256.0, -1.0, 3.7, -2.99995, 0.99995})
        runtime.FileVar(slot, value);
    runtime.CloseFile(slot);
    EXPECT_EQ(readBytes(target), (std::vector<unsigned char>{1, 2, 255, 0, 255, 3, 0xFD, 1}));
    const FileRecord& closed = *runtime.FileSlot(slot);
    EXPECT_EQ(closed.mode, kFileClosed);
    EXPECT_TRUE(closed.name.empty());
    EXPECT_TRUE(closed.data.empty());
    fs::remove(target);
}

TEST(FileSlots, OpenWritingSlotsAreWrittenWhenTheRuntimeGoes) {
    const fs::path target = besideProgram("rt_destroy.dat");
    fs::remove(target);
    {
        auto runtime = std::make_unique<TTestRuntime>();
        const std::int32_t slot = runtime->OpenFileForWriting("/rt_destroy.dat");
        double value = 65.0;
        runtime->FileVar(slot, value);
        // Unwritable places drop their data without a word.
        runtime->OpenFileForWriting("rt_no_such_folder/x.dat");
    }
    EXPECT_EQ(readBytes(target), (std::vector<unsigned char>{65}));
    EXPECT_FALSE(fs::exists(besideProgram("rt_no_such_folder")));
    fs::remove(target);
}

TEST(SerializeStream, SaveHandsOutTheStreamAndLoadRunsTheHooks) {
    TTestRuntime runtime;
    void* data = &runtime;
    EXPECT_EQ(runtime.SaveState(&data, false), 0); // nothing serialized: no chunk
    EXPECT_EQ(data, &runtime);
    EXPECT_EQ(runtime.FileSlot(0)->mode, kFileWriting);

    double x = 1.5, y = -2.0;
    runtime.serialized = {&x, &y};
    EXPECT_EQ(runtime.SaveState(&data, true), 12);
    const float expected[] = {-1000.0f, 1.5f, -2.0f};
    EXPECT_EQ(std::memcmp(data, expected, sizeof expected), 0);

    x = 0.0;
    y = 0.0;
    EXPECT_EQ(runtime.LoadState(expected, 12, false), 12);
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(y, -2.0);
    EXPECT_EQ(runtime.inits, 1);
    EXPECT_EQ(runtime.sliderChanges, 1);
    EXPECT_EQ(runtime.FileSlot(0)->mode, kFileReading);
    EXPECT_EQ(runtime.FileSlot(0)->position, 3);

    // Without the marker nothing runs; without data nothing either.
    const float foreign[] = {0.0f, 9.0f, 9.0f};
    EXPECT_EQ(runtime.LoadState(foreign, 12, false), 12);
    EXPECT_EQ(runtime.LoadState(foreign, 3, false), 3);
    EXPECT_EQ(runtime.LoadState(nullptr, 12, false), 0);
    EXPECT_EQ(runtime.LoadState(foreign, -4, false), 0);
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(runtime.sliderChanges, 1);
}
