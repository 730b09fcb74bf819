// SPDX-License-Identifier: MIT
#include "LoadedTrimmer.h"
#include "effect/TTarvoEffect.h"
#include "host/PluginFactory.h"
#include "host/ProcessBridge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

using namespace testhost;

namespace {

constexpr int kChannels = 8;
// 10^(-12/20): the gain of a pair at -12 dB.
constexpr double kMinus12dB = 0.25118864315095801;

template <class Sample>
void fillNoise(ChannelBuffers<Sample>& buffers, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    for (auto& channel : buffers.data)
        for (Sample& sample : channel)
            sample = static_cast<Sample>(level(random));
}

template <class Sample>
void process(AEffect* effect, ChannelBuffers<Sample>& in, ChannelBuffers<Sample>& out, int frames) {
    if constexpr (sizeof(Sample) == sizeof(float))
        effect->processReplacing(effect, in.channels(), out.channels(), frames);
    else
        effect->processDoubleReplacing(effect, in.channels(), out.channels(), frames);
}

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class Processing : public LoadedTrimmer {};

} // namespace

TEST_F(Processing, UnityGainIsBitExactOnBothPaths) {
    host.start(effect);
    ChannelBuffers<float> in(kChannels, 257), out(kChannels, 257);
    fillNoise(in, 1);
    // Subnormals, signed zeros and extremes pass unchanged too.
    in.data[3][0] = std::numeric_limits<float>::denorm_min();
    in.data[3][1] = -0.0f;
    in.data[3][2] = std::numeric_limits<float>::max();
    in.data[3][3] = -std::numeric_limits<float>::min() / 3.0f;
    process(effect, in, out, 257);
    for (int c = 0; c < kChannels; ++c)
        for (int j = 0; j < 257; ++j)
            ASSERT_TRUE(sameBits(in.data[c][j], out.data[c][j])) << c << "/" << j;

    ChannelBuffers<double> din(kChannels, 100), dout(kChannels, 100);
    fillNoise(din, 2);
    process(effect, din, dout, 100);
    EXPECT_EQ(din.data, dout.data);
}

TEST_F(Processing, EachPairHasItsOwnGain) {
    host.start(effect);
    effect->setParameter(effect, 0, 0.0f); // pair 1 at -12 dB
    effect->setParameter(effect, 3, 1.0f); // pair 4 at +12 dB
    ChannelBuffers<double> in(kChannels, 64), out(kChannels, 64);
    fillNoise(in, 3);
    process(effect, in, out, 64);
    const double plus12dB = std::pow(10.0, 12.0 / 20.0);
    for (int j = 0; j < 64; ++j) {
        EXPECT_EQ(out.data[0][j], in.data[0][j] * kMinus12dB);
        EXPECT_EQ(out.data[1][j], in.data[1][j] * kMinus12dB);
        for (int c = 2; c < 6; ++c)
            EXPECT_EQ(out.data[c][j], in.data[c][j]);
        EXPECT_EQ(out.data[6][j], in.data[6][j] * plus12dB);
        EXPECT_EQ(out.data[7][j], in.data[7][j] * plus12dB);
    }

    ChannelBuffers<float> fin(kChannels, 64), fout(kChannels, 64);
    fillNoise(fin, 4);
    process(effect, fin, fout, 64);
    for (int j = 0; j < 64; ++j)
        EXPECT_EQ(fout.data[1][j],
                  static_cast<float>(static_cast<double>(fin.data[1][j]) * kMinus12dB));
}

TEST_F(Processing, NonFiniteSamplesComeOutAsZeroOnTheirChannelOnly) {
    host.start(effect);
    ChannelBuffers<float> in(kChannels, 4), out(kChannels, 4);
    fillNoise(in, 5);
    in.data[5][1] = std::numeric_limits<float>::infinity();
    in.data[2][2] = std::numeric_limits<float>::quiet_NaN();
    in.data[7][3] = -std::numeric_limits<float>::infinity();
    process(effect, in, out, 4);
    EXPECT_EQ(out.data[5][1], 0.0f);
    EXPECT_FALSE(std::signbit(out.data[5][1]));
    EXPECT_EQ(out.data[2][2], 0.0f);
    EXPECT_EQ(out.data[7][3], 0.0f);
    EXPECT_EQ(out.data[4][1], in.data[4][1]);
    EXPECT_EQ(out.data[5][0], in.data[5][0]);
    EXPECT_EQ(out.data[5][2], in.data[5][2]);

    // A gain times a huge sample overflows to infinity in doubles and is zeroed the same way.
    effect->setParameter(effect, 0, 1.0f);
    ChannelBuffers<double> din(kChannels, 1), dout(kChannels, 1);
    din.data[0][0] = 1e308;
    process(effect, din, dout, 1);
    EXPECT_EQ(dout.data[0][0], 0.0);
}

TEST_F(Processing, SilenceAfterOpenUntilTheFirstResume) {
    host.dispatch(effect, effOpen);
    ChannelBuffers<float> in(kChannels, 16), out(kChannels, 16);
    fillNoise(in, 6);
    process(effect, in, out, 16);
    for (const auto& channel : out.data)
        for (float sample : channel)
            EXPECT_EQ(sample, 0.0f);
    host.dispatch(effect, effMainsChanged, 0, 1);
    process(effect, in, out, 16);
    EXPECT_EQ(out.data, in.data);
}

TEST_F(Processing, InPlaceGivesTheSameResultAsSeparateBuffers) {
    host.start(effect);
    effect->setParameter(effect, 1, 0.3f);
    ChannelBuffers<float> in(kChannels, 300), out(kChannels, 300);
    fillNoise(in, 7);
    ChannelBuffers<float> inPlace = in;
    inPlace.pointers.clear();
    for (auto& channel : inPlace.data)
        inPlace.pointers.push_back(channel.data());
    process(effect, in, out, 300);
    process(effect, inPlace, inPlace, 300);
    EXPECT_EQ(inPlace.data, out.data);
}

TEST_F(Processing, BlockHookRunsOncePerCallEvenWithoutFrames) {
    host.start(effect);
    ChannelBuffers<float> in(kChannels, 8), out(kChannels, 8);
    ChannelBuffers<double> din(kChannels, 8), dout(kChannels, 8);
    host.clearCalls();
    // Every block asks the host four time questions, in this order.
    process(effect, in, out, 8);
    ASSERT_EQ(host.calls.size(), 4u);
    EXPECT_EQ(host.calls[0].value, kVstTempoValid | kVstTimeSigValid);
    EXPECT_EQ(host.calls[1].value, kVstTransportPlaying);
    EXPECT_EQ(host.calls[2].value, kVstTransportRecording);
    EXPECT_EQ(host.calls[3].value, kVstPpqPosValid);
    process(effect, in, out, 0);
    process(effect, din, dout, -5);
    process(effect, din, dout, 8);
    EXPECT_EQ(host.count(audioMasterGetTime), 16);
    // The display request is never set by this effect, so it is never passed on.
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), 0);
    EXPECT_EQ(effect->initialDelay, 0);
}

TEST_F(Processing, MissingBuffersDoNothing) {
    host.start(effect);
    ChannelBuffers<float> in(kChannels, 8), out(kChannels, 8);
    for (auto& channel : out.data)
        std::fill(channel.begin(), channel.end(), 7.0f);
    host.clearCalls();
    effect->processReplacing(effect, nullptr, out.channels(), 8);
    effect->processReplacing(effect, in.channels(), nullptr, 8);
    in.pointers[6] = nullptr;
    effect->processReplacing(effect, in.channels(), out.channels(), 8);
    effect->processDoubleReplacing(effect, nullptr, nullptr, 8);
    EXPECT_EQ(host.calls.size(), 0u);
    for (const auto& channel : out.data)
        for (float sample : channel)
            EXPECT_EQ(sample, 7.0f);
    // Without frames there is nothing to touch: the block hook still runs.
    effect->processReplacing(effect, nullptr, nullptr, 0);
    EXPECT_EQ(host.count(audioMasterGetTime), 4);
    // The accumulating entry of older hosts does nothing.
    effect->process(effect, in.channels(), out.channels(), 8);
    EXPECT_EQ(out.data[0][0], 7.0f);
}

TEST_F(Processing, BothPrecisionsAlternateOnOneInstance) {
    host.start(effect);
    effect->setParameter(effect, 2, 0.25f); // -6 dB on pair 3
    ChannelBuffers<float> fin(kChannels, 32), fout(kChannels, 32);
    ChannelBuffers<double> din(kChannels, 32), dout(kChannels, 32);
    fillNoise(fin, 8);
    for (int c = 0; c < kChannels; ++c)
        for (int j = 0; j < 32; ++j)
            din.data[c][j] = fin.data[c][j];
    for (int round = 0; round < 3; ++round) {
        process(effect, fin, fout, 32);
        process(effect, din, dout, 32);
        for (int c = 0; c < kChannels; ++c)
            for (int j = 0; j < 32; ++j)
                EXPECT_EQ(fout.data[c][j], static_cast<float>(dout.data[c][j]));
    }
}

TEST(RememberedChannels, FirstReaderWinsAndTheCountIsBounded) {
    TestHost host;
    AEffect* effect = createPlugin<TTarvoEffect>(&TestHost::callback);
    ASSERT_NE(effect, nullptr);
    auto& shell = *static_cast<CVeST*>(effect->object);

    std::atomic<std::int32_t> slot{-1};
    EXPECT_EQ(process_bridge::rememberedChannels(slot, shell), 8);
    shell.setNumInputs(3);
    EXPECT_EQ(process_bridge::rememberedChannels(slot, shell), 8);

    std::atomic<std::int32_t> wide{-1};
    shell.setNumInputs(200);
    EXPECT_EQ(process_bridge::rememberedChannels(wide, shell), 64);
    std::atomic<std::int32_t> negative{-1};
    shell.setNumInputs(-4);
    EXPECT_EQ(process_bridge::rememberedChannels(negative, shell), 0);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

#if QT_WIDE_PROCESSING
TEST(WideEntries, GiveTheBaselineResultsBitForBit) {
    TestHost host;
    AEffect* effect = createPlugin<TTarvoEffect>(&TestHost::callback);
    ASSERT_NE(effect, nullptr);
    CVeST* shell = static_cast<CVeST*>(effect->object);
    host.start(effect);
    for (VstInt32 p = 0; p < 4; ++p)
        effect->setParameter(effect, p, 0.1f + 0.27f * static_cast<float>(p));

    using Entry = process_bridge::ProcessEntry<float>;
    std::vector<std::pair<const char*, Entry>> entries = {
        {"baseline", process_bridge::processEntry<TTarvoEffect, float>}};
    if (__builtin_cpu_supports("avx2"))
        entries.emplace_back("avx2", process_bridge::processEntryAvx2<TTarvoEffect, float>);
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq"))
        entries.emplace_back("avx512", process_bridge::processEntryAvx512<TTarvoEffect, float>);
    if (entries.size() == 1) GTEST_SKIP() << "this processor has no wider vector unit";

    constexpr int kFrames = 203; // not a multiple of any vector width
    ChannelBuffers<float> in(kChannels, kFrames);
    fillNoise(in, 9);
    const float specials[] = {std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::denorm_min(),
                              -0.0f,
                              std::numeric_limits<float>::max(),
                              -std::numeric_limits<float>::max()};
    for (int j = 0; j < kFrames; j += 3)
        in.data[j % kChannels][j] = specials[j % 7];

    std::vector<std::vector<std::vector<float>>> results;
    for (const auto& [name, entry] : entries) {
        ChannelBuffers<float> out(kChannels, kFrames);
        entry(shell, in.channels(), out.channels(), kFrames);
        results.push_back(out.data);
    }
    for (std::size_t e = 1; e < results.size(); ++e)
        for (int c = 0; c < kChannels; ++c)
            for (int j = 0; j < kFrames; ++j)
                ASSERT_TRUE(sameBits(results[e][c][j], results[0][c][j]))
                    << entries[e].first << " channel " << c << " frame " << j;
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}
#endif
