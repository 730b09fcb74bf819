// SPDX-License-Identifier: MIT
// How plughost treats the files it replaces: never one it reads, not a write-protected one
// unless forced, keeping permissions and symbolic links.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace plughost::testing {
namespace {

namespace fs = std::filesystem;
const std::string kTrimmer = TRIMMER_PLUGIN;

class FileSafety : public ::testing::Test {
protected:
    void SetUp() override {
        runPlughostOk({"gen", "-o", input, "--channels", "2", "--seconds", "0.05"});
        original = readBytes(input);
    }
    RunResult process(const std::string& out, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"process", kTrimmer, "-i",      input,
                                         "-o",      out,      "--param", "0=0.25"};
        args.insert(args.end(), extra.begin(), extra.end());
        return runPlughost(args);
    }

    ScratchFolder folder;
    std::string input = folder.path("in.wav");
    std::vector<unsigned char> original;
};

TEST_F(FileSafety, OutputThatIsTheInputIsRefusedByAnyName) {
    fs::create_symlink("in.wav", folder.path("link.wav"));
    fs::create_hard_link(input, folder.path("hard.wav"));
    fs::create_directory(folder.path("sub"));
    for (const std::string& name :
         {input, folder.path("sub/../in.wav"), folder.path("link.wav"), folder.path("hard.wav")}) {
        const RunResult run = process(name);
        EXPECT_EQ(run.exitCode, 2) << name;
        EXPECT_TRUE(
            contains(run.err, "it is the same file as '" + input + "', which this run reads"))
            << run.err;
        EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
        EXPECT_EQ(readBytes(input), original) << name;
    }
    // Nor may the state file land on the input.
    const RunResult state =
        process(folder.path("out.wav"), {"--save-state", folder.path("hard.wav")});
    EXPECT_EQ(state.exitCode, 2) << state.err;
    EXPECT_EQ(readBytes(input), original);
}

TEST_F(FileSafety, WriteProtectedOutputIsReplacedOnlyWhenForcedAndKeepsItsMode) {
    const std::string out = folder.path("out.wav");
    writeBytes(out, {'o', 'l', 'd'});
    fs::permissions(out, fs::perms::owner_read | fs::perms::group_read);
    const RunResult refused = process(out);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(contains(refused.err, "out.wav': the file is write-protected (give --force to "
                                      "replace it)"))
        << refused.err;
    EXPECT_EQ(readBytes(out), (std::vector<unsigned char>{'o', 'l', 'd'}));

    runPlughostOk({"process", kTrimmer, "-i", input, "-o", out, "--force"});
    EXPECT_EQ(readAudio(out).frames, readAudio(input).frames);
    EXPECT_EQ(fs::status(out).permissions(), fs::perms::owner_read | fs::perms::group_read);
}

TEST_F(FileSafety, ReplacedFileKeepsItsPermissions) {
    const std::string out = folder.path("out.wav");
    writeBytes(out, {'o', 'l', 'd'});
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read;
    fs::permissions(out, mode);
    runPlughostOk({"process", kTrimmer, "-i", input, "-o", out});
    EXPECT_EQ(fs::status(out).permissions(), mode);
    EXPECT_EQ(readAudio(out).channels, 8); // the trimmer's outputs
}

TEST_F(FileSafety, SymbolicLinkIsWrittenThrough) {
    fs::create_directory(folder.path("elsewhere"));
    fs::create_symlink("elsewhere/target.wav", folder.path("link.wav"));
    runPlughostOk({"process", kTrimmer, "-i", input, "-o", folder.path("link.wav")});
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder.path("link.wav"))));
    EXPECT_EQ(readAudio(folder.path("elsewhere/target.wav")).frames, readAudio(input).frames);
    // Written again through the link that now points at an existing file.
    runPlughostOk({"process", kTrimmer, "-i", input, "-o", folder.path("link.wav")});
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder.path("link.wav"))));
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"elsewhere", "in.wav", "link.wav"}));
}

} // namespace
} // namespace plughost::testing
