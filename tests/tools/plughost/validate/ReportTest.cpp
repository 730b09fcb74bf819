// SPDX-License-Identifier: MIT
// Reading a check's report lines and the way its process ended into one outcome.
#include "validate/CheckReport.h"

#include "report/JsonWriter.h"

#include <gtest/gtest.h>

#include <csignal>

namespace plughost::validate {
namespace {

// A child that ended as given, having written report.
ChildResult ended(const std::string& report, ChildResult::End end = ChildResult::End::Exited,
                  int code = 0) {
    ChildResult child;
    child.end = end;
    child.code = code;
    child.output = report;
    return child;
}

TEST(CheckReport, FinishedChecksTakeTheirStatusFromTheWorstMessage) {
    EXPECT_EQ(readOutcome("a", ended("N measured\nD\n"), 10).status, Status::Pass);
    EXPECT_EQ(readOutcome("a", ended("W odd\nN measured\nD\n"), 10).status, Status::Warning);
    EXPECT_EQ(readOutcome("a", ended("W odd\nF broken\nS n/a\nD\n"), 10).status, Status::Fail);
    EXPECT_EQ(readOutcome("a", ended("W odd\nS n/a\nD\n"), 10).status, Status::Skipped);

    const CheckOutcome outcome = readOutcome("state", ended("P working\nW odd\nF broken\nD\n"), 10);
    EXPECT_EQ(outcome.name, "state");
    ASSERT_EQ(outcome.messages.size(), 2u);
    EXPECT_EQ(outcome.messages[0].kind, 'W');
    EXPECT_EQ(outcome.messages[0].text, "odd");
    EXPECT_EQ(outcome.messages[1].kind, 'F');
    EXPECT_EQ(outcome.messages[1].text, "broken");
}

TEST(CheckReport, AbnormalEndsFailAndNameTheLastStage) {
    const CheckOutcome crashed = readOutcome(
        "lifecycle",
        ended("N a\nP opening\nP closing the plug-in\n", ChildResult::End::Crashed, SIGSEGV), 10);
    EXPECT_EQ(crashed.status, Status::Fail);
    EXPECT_EQ(crashed.messages.back().text,
              "the plug-in crashed (invalid memory access, SIGSEGV) while closing the plug-in");

    const CheckOutcome hung =
        readOutcome("threads", ended("P processing\n", ChildResult::End::TimedOut), 50);
    EXPECT_EQ(hung.status, Status::Fail);
    EXPECT_EQ(hung.messages.back().text, "timed out after 50 s while processing");

    // Ended with status 0 but never said it finished: still a failure.
    const CheckOutcome vanished = readOutcome("state", ended("N a\n"), 10);
    EXPECT_EQ(vanished.status, Status::Fail);
    const CheckOutcome failedExit =
        readOutcome("state", ended("D\n", ChildResult::End::Exited, 3), 10);
    EXPECT_EQ(failedExit.status, Status::Fail);
    EXPECT_NE(failedExit.messages.back().text.find("status 3"), std::string::npos);
}

TEST(CheckReport, FindingsWriteOneLinePerMessage) {
    std::string written;
    Findings findings([&](const std::string& text) { written += text; });
    findings.note("two\nlines");
    findings.stage("here");
    findings.fail("bad");
    findings.done();
    EXPECT_EQ(written, "N two lines\nP here\nF bad\nD\n");
    const CheckOutcome outcome = readOutcome("x", ended(written), 10);
    EXPECT_EQ(outcome.status, Status::Fail);
    EXPECT_EQ(outcome.messages.size(), 2u);
}

// The same finding in several cases: one message with a count, the first case's text and
// fields; a crash takes the fields of the stage it happened in.
TEST(CheckReport, FindingsOfOneSummaryAreGroupedWithTheFirstCase) {
    std::string written;
    Findings findings([&](const std::string& text) { written += text; });
    Case where;
    where.precision = 32;
    where.sampleRate = 44100.0;
    where.blockSize = 8192;
    where.input = "NaN";
    where.frame = 12;
    findings.fail("NaN or infinite output", "3 samples", where);
    where.sampleRate = 48000.0;
    findings.fail("NaN or infinite output", "5 samples", where);
    findings.stage("processing", where);
    const CheckOutcome outcome =
        readOutcome("processing", ended(written, ChildResult::End::Crashed, SIGSEGV), 10);
    ASSERT_EQ(outcome.messages.size(), 2u);
    EXPECT_EQ(outcome.messages[0].shown(),
              "NaN or infinite output: 3 samples (32-bit, 44.1 kHz, blocks of 8192 frames, NaN "
              "input, frame 12); the same in 1 more case");
    EXPECT_EQ(outcome.messages[1].where.sampleRate, 48000.0);
    JsonWriter json;
    writeMessage(json, outcome.messages[0]);
    EXPECT_EQ(json.text(), "{\n  \"kind\": \"failure\",\n  \"text\": \"" +
                               outcome.messages[0].shown() +
                               "\",\n  \"summary\": \"NaN or infinite output\",\n  \"count\": "
                               "2,\n  \"call\": \"processReplacing\",\n  \"sampleRate\": "
                               "44100,\n  \"blockSize\": 8192,\n  \"precision\": 32,\n  "
                               "\"input\": \"NaN\",\n  \"frame\": 12\n}\n");
}

} // namespace
} // namespace plughost::validate
