// SPDX-License-Identifier: MIT
// The progress bar on a terminal.
#include "report/Progress.h"

#include <cstdio>

#include <gtest/gtest.h>

namespace plughost {
namespace {

TEST(Progress, DrawsOnlyWhenEnabledAndAfterTheFirstSecond) {
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    const auto later = Progress::Clock::now() + std::chrono::seconds(2);
    {
        Progress quiet(sink, false, "work", 100);
        quiet.update(50, later);
        EXPECT_FALSE(quiet.drawn());
        Progress bar(sink, true, "work", 100);
        bar.update(50);
        EXPECT_FALSE(bar.drawn());
        bar.update(50, later);
        EXPECT_TRUE(bar.drawn());
        bar.finish();
        EXPECT_FALSE(bar.drawn());
    }
    std::rewind(sink);
    char text[256] = {};
    const std::size_t length = std::fread(text, 1, sizeof text - 1, sink);
    std::fclose(sink);
    EXPECT_NE(std::string(text, length).find("work [###############...............]  50%"),
              std::string::npos);
}

} // namespace
} // namespace plughost
