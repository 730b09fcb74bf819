// SPDX-License-Identifier: MIT
// The transport the host answers time requests from.
#include "core/Transport.h"

#include <gtest/gtest.h>

namespace plughost {
namespace {

TEST(Transport, PositionsFollowTheFrameAtOneHundredTwentyBeatsAMinute) {
    Transport transport(48000.0);
    transport.moveTo(0);
    EXPECT_NE(transport.info()->flags & kVstTransportChanged, 0);
    transport.moveTo(48000 * 5 / 2); // 2.5 s: five quarter notes, in the second bar
    const VstTimeInfo& info = *transport.info();
    EXPECT_EQ(info.samplePos, 120000.0);
    EXPECT_DOUBLE_EQ(info.ppqPos, 5.0);
    EXPECT_EQ(info.barStartPos, 4.0);
    EXPECT_EQ(info.tempo, 120.0);
    EXPECT_EQ(info.timeSigNumerator, 4);
    EXPECT_EQ(info.timeSigDenominator, 4);
    EXPECT_DOUBLE_EQ(info.nanoSeconds, 2.5e9);
    const VstInt32 valid = kVstTransportPlaying | kVstNanosValid | kVstPpqPosValid |
                           kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    EXPECT_EQ(info.flags, valid);
}

} // namespace
} // namespace plughost
