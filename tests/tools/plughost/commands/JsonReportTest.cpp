// SPDX-License-Identifier: MIT
// The JSON text plughost writes for scripts: `info --json` and `process --json FILE`.
#include "PlughostRunner.h"

#include <gtest/gtest.h>

namespace plughost::testing {
namespace {

TEST(JsonReports, InfoDescribesEveryParameterAtThreePoints) {
    const RunResult run = runPlughostOk({"info", LOOKAHEAD_PLUGIN, "--json"});
    for (const char* part :
         {"\"name\": \"plughost lookahead\"", "\"latency\": 240", "\"inputs\": 2",
          "\"name\": \"frequency\",\n      \"label\": \"Hz\",\n      \"display\": \"632.5\",\n"
          "      \"normalised\": 0.5,\n      \"displayAt\": {\n        \"0\": \"20.0\",\n"
          "        \"0.5\": \"632.5\",\n        \"1\": \"20000.0\"\n      }",
          "\"0\": \"Peak\",\n        \"0.5\": \"RMS\",\n        \"1\": \"RMS\""})
        EXPECT_TRUE(contains(run.out, part)) << part << "\n" << run.out;
    EXPECT_EQ(run.out.back(), '\n');
}

TEST(JsonReports, ProcessReportsSettingsLevelsClippingAndWarnings) {
    ScratchFolder folder;
    const std::string input = folder.path("in.wav");
    runPlughostOk({"gen", "-o", input, "--channels", "2", "--seconds", "0.1"});
    const std::string report = folder.path("report.json");
    runPlughostOk({"process", LOOKAHEAD_PLUGIN, "-i", input, "-o", folder.path("out.flac"),
                   "--param", "gain=8x", "--json", report});
    const std::string text = readText(report);
    for (const char* part :
         {"\"latency\": 240", "\"frames\": 4800", "\"format\": \"24-bit FLAC\"",
          "\"dither\": \"tpdf\"",
          // 8.00 shows from 0.999375 up: the middle of that stretch.
          "\"setting\": \"gain=8x\",\n        \"index\": 5,\n        \"normalised\": 0.9996",
          "\"output\": {\n        \"peakDb\": 0,", "\"warnings\": [\n    \"clipped ",
          "\"pluginSeconds\": "})
        EXPECT_TRUE(contains(text, part)) << part << "\n" << text;
    EXPECT_FALSE(contains(text, "\"clipped\": 0")) << text;
}

} // namespace
} // namespace plughost::testing
