// SPDX-License-Identifier: MIT
// The JSON text plughost writes for scripts: the writer on its own, `info --json` and
// `process --json FILE`.
#include "JsonWriter.h"
#include "PlughostRunner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace plughost {
namespace {

TEST(JsonWriter, NestsEscapesAndWritesNullForWhatJsonCannotHold) {
    JsonWriter json;
    json.beginObject();
    json.key("name").value("a \"quoted\"\\ name\n\x01");
    json.key("list").beginArray().value(1).value(0.25).value(true).null().endArray();
    json.key("empty").beginObject().endObject();
    json.key("level").value(-std::numeric_limits<double>::infinity());
    json.key("nan").value(std::nan(""));
    json.endObject();
    EXPECT_EQ(json.text(), "{\n"
                           "  \"name\": \"a \\\"quoted\\\"\\\\ name\\n\\u0001\",\n"
                           "  \"list\": [\n"
                           "    1,\n"
                           "    0.25,\n"
                           "    true,\n"
                           "    null\n"
                           "  ],\n"
                           "  \"empty\": {},\n"
                           "  \"level\": null,\n"
                           "  \"nan\": null\n"
                           "}\n");
}

} // namespace
} // namespace plughost

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
          "\"output\": {\n        \"peakDb\": 0,", "warning: clipped ", "\"pluginSeconds\": "})
        EXPECT_TRUE(contains(text, part)) << part << "\n" << text;
    EXPECT_FALSE(contains(text, "\"clipped\": 0")) << text;
}

} // namespace
} // namespace plughost::testing
