// SPDX-License-Identifier: MIT
// Batches: many inputs into an output folder, several at a time, one line per file, and a
// broken file that fails alone.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace plughost::testing {
namespace {

const std::string kTrimmer = TRIMMER_PLUGIN;

TEST(Batch, TwentyFilesWithABrokenOneInTheMiddle) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder.path("takes"));
    const auto take = [&](int i) {
        return folder.path("takes/take" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    };
    for (int i = 0; i < 20; ++i) {
        if (i == 10)
            writeBytes(take(i) + ".wav", {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'});
        else
            runPlughostOk({"gen", "-o", take(i) + ".wav", "--channels", "2", "--seconds", "0.05"});
    }
    const RunResult run =
        runPlughost({"process", kTrimmer, "-i", folder.path("takes/*.wav"), "--out-dir",
                     folder.path("trimmed"), "--param", "0=0.25", "--jobs", "2"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "plughost: 1 of 20 files failed\n");
    const std::vector<std::string> report = lines(run.out);
    ASSERT_EQ(report.size(), 21u) << run.out;
    EXPECT_EQ(std::count_if(report.begin(), report.end(),
                            [](const std::string& line) { return line.rfind("done    ", 0) == 0; }),
              19);
    EXPECT_TRUE(contains(run.out, "FAILED  " + take(10) + ".wav: cannot read input")) << run.out;
    EXPECT_TRUE(contains(report.back(), "total   20 files, 19 done, 1 failed")) << run.out;
    EXPECT_TRUE(contains(report.back(), "with 2 jobs")) << run.out;
    for (int i = 0; i < 20; ++i) {
        const std::string out = folder.path("trimmed/take" + std::string(i < 10 ? "0" : "") +
                                            std::to_string(i) + ".wav");
        if (i == 10) {
            EXPECT_FALSE(std::filesystem::exists(out));
            continue;
        }
        const Audio in = readAudio(take(i) + ".wav");
        const Audio written = readAudio(out);
        ASSERT_EQ(written.frames, in.frames) << out;
        EXPECT_NEAR(toDb(written.rms(0) / in.rms(0)), -6.0, 0.01) << out;
    }
    // Only the outputs: no temporary files left behind.
    EXPECT_EQ(std::filesystem::directory_iterator(folder.path("trimmed")) ==
                  std::filesystem::directory_iterator(),
              false);
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path("trimmed"))) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
        ++count;
    }
    EXPECT_EQ(count, 19u);
}

TEST(Batch, SeveralInputsTakeTheFormatAskedForAndRefuseClashingNames) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder.path("a"));
    std::filesystem::create_directory(folder.path("b"));
    for (const char* name : {"a/x.wav", "b/y.aiff", "b/x.wav"})
        runPlughostOk({"gen", "-o", folder.path(name), "--channels", "2", "--seconds", "0.05"});
    const RunResult run = runPlughostOk({"process", kTrimmer, "-i", folder.path("a/x.wav"), "-i",
                                         folder.path("b/y.aiff"), "--out-dir", folder.path("out"),
                                         "--format", "flac", "--jobs", "1"});
    EXPECT_EQ(readAudio(folder.path("out/x.flac")).channels, 8);
    EXPECT_EQ(readAudio(folder.path("out/y.flac")).channels, 8);
    const RunResult clash = runPlughost({"process", kTrimmer, "-i", folder.path("a/x.wav"), "-i",
                                         folder.path("b/x.wav"), "--out-dir", folder.path("out2")});
    EXPECT_EQ(clash.exitCode, 2);
    EXPECT_TRUE(contains(clash.err, "would both be written to")) << clash.err;
}

// Every file clips: each line is followed by its warning, the JSON report holds a record per
// file with the run's own report in it, and with --strict every file fails.
TEST(Batch, WarningsOfEveryFileAreShownAndReported) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder.path("takes"));
    for (const char* name : {"a", "b", "c"})
        runPlughostOk({"gen", "-o", folder.path("takes/") + name + ".wav", "--channels", "2",
                       "--seconds", "0.05"});
    std::vector<std::string> args{"process",   LOOKAHEAD_PLUGIN,
                                  "-i",        folder.path("takes/*.wav"),
                                  "--out-dir", folder.path("out"),
                                  "--param",   "gain=8x",
                                  "--format",  "flac",
                                  "--json",    folder.path("batch.json")};
    const RunResult run = runPlughostOk(args);
    const std::vector<std::string> report = lines(run.out);
    ASSERT_EQ(report.size(), 7u) << run.out;
    for (std::size_t file = 0; file < 3; ++file) {
        EXPECT_EQ(report[2 * file].rfind("done    ", 0), 0u) << run.out;
        EXPECT_EQ(report[2 * file + 1].rfind("        warning: clipped ", 0), 0u) << run.out;
    }
    const std::string json = readText(folder.path("batch.json"));
    for (const char* name : {"a", "b", "c"})
        EXPECT_TRUE(contains(json, std::string("takes/") + name + ".wav\",\n      \"output\": \"" +
                                       folder.path("out/") + name +
                                       ".flac\",\n      \"status\": "
                                       "\"done\""))
            << json;
    // Each run's own report, with its warning.
    std::size_t clipped = 0;
    for (auto at = json.find("\"warnings\": [\n          \"clipped "); at != std::string::npos;
         at = json.find("\"warnings\": [\n          \"clipped ", at + 1))
        ++clipped;
    EXPECT_EQ(clipped, 3u) << json;
    EXPECT_TRUE(contains(json, "\"done\": 3,\n  \"failed\": 0\n}")) << json;

    args.insert(args.end(), {"--strict", "--force"});
    const RunResult strict = runPlughost(args);
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_TRUE(contains(strict.out, "FAILED  " + folder.path("takes/c.wav") +
                                         ": 1 warning and --strict: the run counts as failed"))
        << strict.out;
    EXPECT_TRUE(contains(strict.out, "total   3 files, 0 done, 3 failed")) << strict.out;
}

} // namespace
} // namespace plughost::testing
