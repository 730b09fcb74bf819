// SPDX-License-Identifier: MIT
// A loaded plug-in library finds its data folder next to itself, wherever the host runs.
#include "TestHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

using namespace testhost;
namespace fs = std::filesystem;

namespace {

void touch(const fs::path& file) {
    std::ofstream(file) << "x";
}

} // namespace

// One test for both cases: they share the folder beside the library, and test programs may
// run in parallel.
TEST(DataFolder, FileSliderListsTheRegularFilesBesideTheLibrary) {
    const std::string library = pluginPath(QT_FILESLIDER_FILE_NAME);
    const fs::path folder = fs::path(library).parent_path() / "fileslider_data";
    const fs::path written = fs::path(library).parent_path() / "fileslider_out.dat";

    // Without the folder the slider offers one option.
    fs::remove_all(folder);
    {
        TestHost host(library);
        ASSERT_TRUE(host.loaded()) << host.loadError();
        AEffect* effect = host.create();
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(host.text(effect, effGetParamDisplay, 0), "(No Data Files)");
        EXPECT_EQ(effect->getParameter(effect, 0), 0.0f);
        effect->setParameter(effect, 0, 1.0f);
        EXPECT_EQ(host.text(effect, effGetParamDisplay, 0), "(No Data Files)");
    }

    fs::create_directories(folder / "subfolder");
    touch(folder / "first.txt");
    touch(folder / "second.bin");
    touch(folder / ".hidden");

    // Run from another folder, so that nothing is found relative to the working folder.
    const fs::path previous = fs::current_path();
    fs::current_path(fs::temp_directory_path());
    TestHost host(library);
    ASSERT_TRUE(host.loaded()) << host.loadError();
    AEffect* effect = host.create();
    ASSERT_NE(effect, nullptr);
    ASSERT_EQ(effect->numParams, 1);

    std::set<std::string> options;
    effect->setParameter(effect, 0, 0.0f);
    options.insert(host.text(effect, effGetParamDisplay, 0));
    EXPECT_EQ(effect->getParameter(effect, 0), 0.0f);
    effect->setParameter(effect, 0, 1.0f);
    options.insert(host.text(effect, effGetParamDisplay, 0));
    EXPECT_EQ(effect->getParameter(effect, 0), 1.0f);
    EXPECT_EQ(options, (std::set<std::string>{"first.txt", "second.bin"}));

    // On close the effect writes 1, 2, 255, 256, -1 as one byte each, next to the library.
    fs::remove(written);
    host.close(effect);
    fs::current_path(previous);
    std::vector<unsigned char> bytes;
    {
        std::ifstream in(written, std::ios::binary);
        ASSERT_TRUE(in.good()) << written;
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    EXPECT_EQ(bytes, (std::vector<unsigned char>{1, 2, 255, 0, 255}));
    fs::remove_all(folder);
    fs::remove(written);
}
