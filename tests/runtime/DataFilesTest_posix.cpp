// SPDX-License-Identifier: MIT
// Data folders holding what only POSIX systems put into folders: pipes, device links, links.
#include "TestHost.h"
#include "runtime/CTarvoDescription.h"
#include "runtime/DataPaths.h"
#include "runtime/platform/TarvoPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

TEST(DataFiles, OnlyRegularFilesBecomeOptionsLinksFollowed) {
    const fs::path folder = testhost::executableFolder() + "rt_special_data";
    fs::remove_all(folder);
    fs::create_directories(folder / "sub");
    std::ofstream(folder / "plain.txt") << "x";
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", folder / "device");
    fs::create_symlink(folder / "plain.txt", folder / "linked.txt");
    fs::create_symlink(folder / "missing.txt", folder / "dangling");
    fs::create_symlink(folder / "sub", folder / "linked_folder");

    using tarvo_platform::EntryKind;
    EXPECT_EQ(tarvo_platform::entryKind((folder / "pipe").string()), EntryKind::Other);
    EXPECT_EQ(tarvo_platform::entryKind((folder / "device").string()), EntryKind::Other);
    EXPECT_EQ(tarvo_platform::entryKind((folder / "linked.txt").string()), EntryKind::File);
    EXPECT_EQ(tarvo_platform::entryKind((folder / "dangling").string()), EntryKind::Unreadable);
    EXPECT_EQ(tarvo_platform::entryKind((folder / "linked_folder").string()), EntryKind::Directory);

    // Listing never opens an entry, so the pipe cannot block it.
    SliderRecord record;
    ListDataFiles(folder.string() + "/", record);
    std::sort(record.optionTexts.begin(), record.optionTexts.end());
    EXPECT_EQ(record.optionTexts, (std::vector<std::string>{"linked.txt", "plain.txt"}));
    fs::remove_all(folder);
}
