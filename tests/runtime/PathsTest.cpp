// SPDX-License-Identifier: MIT
#include "TestHost.h"
#include "runtime/DataPaths.h"

#include <gtest/gtest.h>

TEST(DataPath, JoinsTheLibraryFolderAndTheName) {
    const std::string library = "C:\\plugins\\fx.dll";
    EXPECT_EQ(DataPathFor(library, "presets\\"), "C:\\plugins\\presets\\");
    EXPECT_EQ(DataPathFor(library, "\\presets\\"), "C:\\plugins\\presets\\");
    EXPECT_EQ(DataPathFor(library, "/presets/"), "C:\\plugins\\presets/");
    // Only one leading separator goes.
    EXPECT_EQ(DataPathFor(library, "\\\\twice"), "C:\\plugins\\\\twice");
    EXPECT_EQ(DataPathFor("/usr/lib/vst/fx.so", "data/a.bin"), "/usr/lib/vst/data/a.bin");
    EXPECT_EQ(DataPathFor("C:/mixed\\dir/fx.dll", "x"), "C:/mixed\\dir/x");
    EXPECT_EQ(DataPathFor("fx.dll", "x"), "x");
    EXPECT_EQ(DataPathFor("", "/x"), "x");
    EXPECT_EQ(DataPathFor(library, ""), "C:\\plugins\\");
}

TEST(DataPath, LongPathsAreKeptWhole) {
    const std::string folder = "/" + std::string(300, 'd') + "/" + std::string(300, 'e') + "/";
    const std::string path = DataPathFor(folder + "fx.so", std::string(400, 'n'));
    EXPECT_EQ(path, folder + std::string(400, 'n'));
}

TEST(DataPath, ResolvesNextToTheProgramHoldingTheRuntime) {
    // Linked into this test program, the runtime's module is the program itself.
    EXPECT_EQ(DataPath("data/x.bin"), testhost::executableFolder() + "data/x.bin");
}
