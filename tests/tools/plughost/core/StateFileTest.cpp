// SPDX-License-Identifier: MIT
// State files and program files: layouts, round trips, and what they refuse.
#include "core/StateFile.h"
#include "core/Failure.h"

#include <gtest/gtest.h>

namespace plughost {
namespace {

PluginState sampleState() {
    PluginState state;
    state.identity = {0, 1, 4, "Qualtrevin_multi-channel_level_trimmer_4x_stereo"};
    state.chunk = {0x00, 0x00, 0x7A, 0xC4, 1, 2, 3, 4};
    return state;
}

PluginState sampleValues() {
    PluginState state;
    state.identity = {0x4C6F6F6B, 3, 3, "plughost lookahead"};
    state.kind = PluginState::Kind::Parameters;
    state.values = {0.0f, 0.123456789f, 1.0f};
    return state;
}

TEST(StateFile, RoundTripsIdentityAndChunk) {
    const std::vector<unsigned char> bytes = encodeState(sampleState());
    ASSERT_EQ(bytes.size(), kStateHeaderSize + 8);
    const PluginState decoded = decodeState(bytes, "s");
    EXPECT_EQ(decoded.identity, sampleState().identity);
    EXPECT_EQ(decoded.chunk, sampleState().chunk);
}

TEST(StateFile, ParameterValuesRoundTripBitForBit) {
    const std::vector<unsigned char> bytes = encodeState(sampleValues());
    ASSERT_EQ(bytes.size(), kStateHeaderSize + 12);
    EXPECT_EQ(bytes[96], 1); // the kind
    const PluginState decoded = decodeState(bytes, "s");
    EXPECT_EQ(decoded.kind, PluginState::Kind::Parameters);
    EXPECT_EQ(decoded.values, sampleValues().values);
    EXPECT_EQ(decoded.identity, sampleValues().identity);
    std::vector<unsigned char> wrongCount = bytes;
    wrongCount[20] = 4; // four parameters announced, three stored
    EXPECT_THROW(decodeState(wrongCount, "s"), Failure);
}

TEST(StateFile, VersionOneFilesStillReadAsChunks) {
    std::vector<unsigned char> bytes = encodeState(sampleState());
    bytes[8] = 1;
    bytes.erase(bytes.begin() + 96, bytes.begin() + 100); // version 1 has no kind field
    const PluginState decoded = decodeState(bytes, "s");
    EXPECT_EQ(decoded.kind, PluginState::Kind::Chunk);
    EXPECT_EQ(decoded.chunk, sampleState().chunk);
}

TEST(ProgramFile, BothFormsRoundTripAndAreBigEndian) {
    PluginState chunk = sampleState();
    chunk.programName = "a name of 24 characters.";
    const std::vector<unsigned char> chunkBytes = encodeProgram(chunk);
    ASSERT_EQ(chunkBytes.size(), kProgramHeaderSize + 4 + 8);
    EXPECT_EQ(std::string(chunkBytes.begin(), chunkBytes.begin() + 4), "CcnK");
    EXPECT_EQ(std::string(chunkBytes.begin() + 8, chunkBytes.begin() + 12), "FPCh");
    EXPECT_EQ(chunkBytes[7], chunkBytes.size() - 8);
    EXPECT_EQ(chunkBytes[59], 8); // the chunk length, big-endian
    const PluginState decodedChunk = decodeProgram(chunkBytes, "p.fxp");
    EXPECT_EQ(decodedChunk.chunk, chunk.chunk);
    EXPECT_EQ(decodedChunk.programName, chunk.programName);
    EXPECT_EQ(encodeProgram(decodedChunk), chunkBytes);

    const std::vector<unsigned char> valueBytes = encodeProgram(sampleValues());
    ASSERT_EQ(valueBytes.size(), kProgramHeaderSize + 12);
    EXPECT_EQ(std::string(valueBytes.begin() + 8, valueBytes.begin() + 12), "FxCk");
    // 1.0f is 0x3F800000, stored big-endian.
    EXPECT_EQ(std::vector<unsigned char>(valueBytes.end() - 4, valueBytes.end()),
              (std::vector<unsigned char>{0x3F, 0x80, 0x00, 0x00}));
    const PluginState decodedValues = decodeProgram(valueBytes, "p.fxp");
    EXPECT_EQ(decodedValues.values, sampleValues().values);
    EXPECT_EQ(decodedValues.identity.uniqueId, 0x4C6F6F6B);
    EXPECT_EQ(encodeProgram(decodedValues), valueBytes);

    for (const auto& bytes : {chunkBytes, valueBytes}) {
        for (std::size_t size = 0; size < bytes.size(); ++size)
            EXPECT_THROW(
                decodeProgram({bytes.begin(), bytes.begin() + static_cast<long>(size)}, "p"),
                Failure)
                << size << " bytes";
        std::vector<unsigned char> longer = bytes;
        longer.push_back(0);
        EXPECT_THROW(decodeProgram(longer, "p"), Failure);
    }
    EXPECT_TRUE(isProgramFileName("x/Preset.FXP"));
    EXPECT_FALSE(isProgramFileName("x.state"));
}

TEST(StateFile, EveryTruncationIsRejected) {
    const std::vector<unsigned char> bytes = encodeState(sampleState());
    for (std::size_t size = 0; size < bytes.size(); ++size)
        EXPECT_THROW(decodeState({bytes.begin(), bytes.begin() + static_cast<long>(size)}, "s"),
                     Failure)
            << size << " bytes";
}

TEST(StateFile, DamageAndTrailingBytesAreRejected) {
    std::vector<unsigned char> damaged = encodeState(sampleState());
    damaged.back() ^= 0x10;
    EXPECT_THROW(decodeState(damaged, "s"), Failure);
    std::vector<unsigned char> longer = encodeState(sampleState());
    longer.push_back(0);
    EXPECT_THROW(decodeState(longer, "s"), Failure);
}

TEST(StateFile, BelongsOnlyToThePluginThatSavedIt) {
    const PluginState state = sampleState();
    std::string warning;
    checkStateBelongsTo(state, state.identity, "s", warning);
    EXPECT_TRUE(warning.empty());
    PluginIdentity newer = state.identity;
    newer.version = 2;
    checkStateBelongsTo(state, newer, "s", warning);
    EXPECT_NE(warning.find("version 1"), std::string::npos) << warning;
    PluginIdentity other = state.identity;
    other.parameterCount = 5;
    EXPECT_THROW(checkStateBelongsTo(state, other, "s", warning), Failure);
    other = state.identity;
    other.name = "another";
    EXPECT_THROW(checkStateBelongsTo(state, other, "s", warning), Failure);
}

} // namespace
} // namespace plughost
