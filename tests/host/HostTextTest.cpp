// SPDX-License-Identifier: MIT
#include "host/HostText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(HostText, CopiesAreBoundedAndAlwaysTerminated) {
    constexpr std::size_t kGuard = 32;
    for (std::size_t capacity : {1u, 2u, 8u, 24u, 64u}) {
        for (std::size_t length : {0u, 1u, 7u, 8u, 9u, 48u, 63u, 64u, 65u, 200u}) {
            const std::string text(length, 'a');
            char buffer[64 + kGuard];
            std::memset(buffer, 'G', sizeof buffer);
            copyHostText(buffer, text, capacity);
            const std::size_t written = std::min(length, capacity - 1);
            EXPECT_EQ(std::strlen(buffer), written) << capacity << "/" << length;
            EXPECT_EQ(std::string(buffer), text.substr(0, written));
            for (std::size_t i = written + 1; i < sizeof buffer; ++i)
                ASSERT_EQ(buffer[i], 'G') << "capacity " << capacity << " length " << length;
        }
    }
}

TEST(HostText, DefaultCapacityHoldsTheEffectNameWhole) {
    const std::string name = "Qualtrevin_multi-channel_level_trimmer_4x_stereo";
    char buffer[kVstMaxHostTextLength + 8];
    std::memset(buffer, 'G', sizeof buffer);
    copyHostText(buffer, name);
    EXPECT_EQ(std::string(buffer), name);

    const std::string tooLong(100, 'z');
    copyHostText(buffer, tooLong);
    EXPECT_EQ(std::strlen(buffer), kVstMaxHostTextLength - 1);
    for (std::size_t i = kVstMaxHostTextLength; i < sizeof buffer; ++i)
        EXPECT_EQ(buffer[i], 'G');

    char untouched = 'G';
    copyHostText(&untouched, "abc", 0);
    EXPECT_EQ(untouched, 'G');
    copyHostText(nullptr, "abc"); // nothing to write to
}
