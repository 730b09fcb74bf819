// SPDX-License-Identifier: MIT
#include "GuardedProcessing.h"
#include "LoadedTrimmer.h"
#include "effect/TTarvoEffect.h"
#include "host/PluginFactory.h"
#include "host/ProcessBridge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <thread>

using namespace testhost;

namespace {

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

// The same through a processing entry of the bridge, called directly.
template <class Sample>
void process(process_bridge::ProcessEntry<Sample> entry, CVeST* shell, ChannelBuffers<Sample>& in,
             ChannelBuffers<Sample>& out, int frames) {
    callGuarded(in.channels(), out.channels(), frames,
                [&](Sample** inputs, Sample** outputs) { entry(shell, inputs, outputs, frames); });
}

// The same buffers used for input and output.
template <class Sample>
ChannelBuffers<Sample> inPlaceCopy(const ChannelBuffers<Sample>& source) {
    ChannelBuffers<Sample> copy = source;
    copy.pointers.clear();
    for (auto& channel : copy.data)
        copy.pointers.push_back(channel.data());
    return copy;
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
    // Four different gains, so that any two pairs swapped show.
    const float settings[] = {0.0f, 0.25f, 0.75f, 1.0f}; // -12, -6, +6, +12 dB
    const double decibels[] = {-12.0, -6.0, 6.0, 12.0};
    for (VstInt32 p = 0; p < 4; ++p)
        effect->setParameter(effect, p, settings[p]);
    double gains[4];
    for (int k = 0; k < 4; ++k)
        gains[k] = std::pow(10.0, decibels[k] / 20.0);
    ASSERT_EQ(gains[0], kMinus12dB);

    ChannelBuffers<double> in(kChannels, 64), out(kChannels, 64);
    fillNoise(in, 3);
    for (int c = 0; c < kChannels; ++c)
        in.data[c][0] = 1.0; // frame 0 shows each channel's gain exactly
    process(effect, in, out, 64);
    ChannelBuffers<float> fin(kChannels, 64), fout(kChannels, 64);
    fillNoise(fin, 4);
    process(effect, fin, fout, 64);
    for (int c = 0; c < kChannels; ++c) {
        const double gain = out.data[c][0];
        EXPECT_NEAR(gain, gains[c / 2], 1e-14) << c;
        EXPECT_EQ(gain, out.data[c ^ 1][0]) << c; // both channels of a pair
        for (int j = 1; j < 64; ++j) {
            EXPECT_EQ(out.data[c][j], in.data[c][j] * gain) << c << "/" << j;
            EXPECT_EQ(fout.data[c][j],
                      static_cast<float>(static_cast<double>(fin.data[c][j]) * gain))
                << c << "/" << j;
        }
    }
}

// NaN and both infinities on every channel, each in a frame of its own: each comes out as +0.0
// in its own place only.
template <class Sample>
void checkNonFiniteOnEveryChannel(AEffect* effect) {
    const Sample specials[] = {std::numeric_limits<Sample>::quiet_NaN(),
                               std::numeric_limits<Sample>::infinity(),
                               -std::numeric_limits<Sample>::infinity()};
    ChannelBuffers<Sample> in(kChannels, 3 * kChannels), out(kChannels, 3 * kChannels);
    fillNoise(in, 5);
    for (int c = 0; c < kChannels; ++c)
        for (int k = 0; k < 3; ++k)
            in.data[c][3 * c + k] = specials[k];
    process(effect, in, out, 3 * kChannels);
    for (int c = 0; c < kChannels; ++c)
        for (int j = 0; j < 3 * kChannels; ++j)
            EXPECT_TRUE(sameBits(out.data[c][j], j / 3 == c ? Sample(0) : in.data[c][j]))
                << sizeof(Sample) << "-byte samples, channel " << c << " frame " << j;
}

TEST_F(Processing, NonFiniteSamplesComeOutAsZeroOnTheirChannelOnly) {
    host.start(effect);
    checkNonFiniteOnEveryChannel<float>(effect);
    checkNonFiniteOnEveryChannel<double>(effect);

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

template <class Sample>
void checkInPlace(AEffect* effect, int frames) {
    ChannelBuffers<Sample> in(kChannels, frames), out(kChannels, frames);
    fillNoise(in, 7);
    process(effect, in, out, frames);
    ChannelBuffers<Sample> inPlace = inPlaceCopy(in);
    process(effect, inPlace, inPlace, frames);
    EXPECT_EQ(inPlace.data, out.data);
    // Some channels in place and some not.
    ChannelBuffers<Sample> mixed = inPlaceCopy(in);
    ChannelBuffers<Sample> mixedOut(kChannels, frames);
    for (int c = 0; c < kChannels; c += 3)
        mixedOut.pointers[c] = mixed.pointers[c];
    process(effect, mixed, mixedOut, frames);
    for (int c = 0; c < kChannels; ++c)
        EXPECT_EQ(c % 3 == 0 ? mixed.data[c] : mixedOut.data[c], out.data[c]) << c;
}

TEST_F(Processing, InPlaceGivesTheSameResultAsSeparateBuffers) {
    host.start(effect);
    effect->setParameter(effect, 1, 0.3f);
    effect->setParameter(effect, 3, 0.8f);
    checkInPlace<float>(effect, 300);
    checkInPlace<double>(effect, 300);
    checkInPlace<double>(effect, 1);
}

namespace {

// An effect that passes its eight channels through and notes which loop took each chunk.
class TLoopProbe final : public TTarvo {
public:
    TLoopProbe() { m_channelCount = kChannels; }
    void OnSample() override {
        for (int c = 0; c < kChannels; ++c)
            Samples()[c] = Sanitize(Samples()[c]);
    }
    void ChunkRan(process_bridge::FrameLoop loop, std::int32_t frames) {
        chunks.emplace_back(static_cast<int>(loop), frames);
    }
    std::vector<std::pair<int, std::int32_t>> chunks; // loop and frames of every chunk
};

// Separate buffers, all in place, and channels 0, 3 and 6 in place with the others separate:
// each layout goes through its own loop, 64 frames at a time.
template <class Sample>
void checkFrameLoops(CVeST* shell, TLoopProbe& probe) {
    using process_bridge::FrameLoop;
    const std::pair<unsigned, FrameLoop> layouts[] = {
        {0x00u, FrameLoop::Forward}, {0xFFu, FrameLoop::InPlace}, {0x49u, FrameLoop::General}};
    for (const auto& [inPlace, loop] : layouts) {
        ChannelBuffers<Sample> in(kChannels, 203), out(kChannels, 203);
        for (int c = 0; c < kChannels; ++c)
            if ((inPlace >> c & 1u) != 0) out.pointers[c] = in.pointers[c];
        probe.chunks.clear();
        process(process_bridge::processEntry<TLoopProbe, Sample>, shell, in, out, 203);
        const int l = static_cast<int>(loop);
        const std::vector<std::pair<int, std::int32_t>> expected = {
            {l, 64}, {l, 64}, {l, 64}, {l, 11}};
        EXPECT_EQ(probe.chunks, expected)
            << sizeof(Sample) << "-byte samples, channels in place 0x" << std::hex << inPlace;
    }
}

} // namespace

TEST(FrameLoops, EachBufferLayoutTakesItsOwnLoopInChunksOf64Frames) {
    TestHost host;
    AEffect* effect = createPlugin<TLoopProbe>(&TestHost::callback);
    ASSERT_NE(effect, nullptr);
    auto* shell = static_cast<CVeST*>(effect->object);
    auto& probe = static_cast<TLoopProbe&>(*shell->effect());
    checkFrameLoops<float>(shell, probe);
    checkFrameLoops<double>(shell, probe);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
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

TEST_F(Processing, InstancesShareOneChannelCountPerPath) {
    // Instance A processes first on both paths, with the eight channels its record announces.
    host.start(effect);
    ChannelBuffers<float> in(kChannels, 16), out(kChannels, 16);
    ChannelBuffers<double> din(kChannels, 16), dout(kChannels, 16);
    fillNoise(in, 11);
    fillNoise(din, 12);
    process(effect, in, out, 16);
    process(effect, din, dout, 16);
    // Instance B's record announces two inputs from before its first processing call; both
    // paths still use the count they remembered, so all eight channels are processed.
    AEffect* second = host.create();
    ASSERT_NE(second, nullptr);
    host.start(second);
    second->numInputs = 2;
    ChannelBuffers<float> out2(kChannels, 16);
    ChannelBuffers<double> dout2(kChannels, 16);
    process(second, in, out2, 16);
    process(second, din, dout2, 16);
    EXPECT_EQ(out2.data, in.data);
    EXPECT_EQ(dout2.data, din.data);
    // And A keeps it too after B's record changed.
    effect->numInputs = 3;
    ChannelBuffers<float> out3(kChannels, 16);
    process(effect, in, out3, 16);
    EXPECT_EQ(out3.data, in.data);
    effect->numInputs = 8;
    host.close(second);
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

TEST(ProcessEntryChoice, FollowsTheProcessorFeatures) {
    using process_bridge::CpuFeatures;
    using process_bridge::selectProcessEntry;
    const CpuFeatures none{}, avx2{true, false}, avx512{true, true};
#if QT_WIDE_PROCESSING
    EXPECT_EQ((selectProcessEntry<TTarvoEffect, float>(none)),
              (process_bridge::processEntry<TTarvoEffect, float>));
    EXPECT_EQ((selectProcessEntry<TTarvoEffect, float>(avx2)),
              (process_bridge::processEntryAvx2<TTarvoEffect, float>));
    EXPECT_EQ((selectProcessEntry<TTarvoEffect, float>(avx512)),
              (process_bridge::processEntryAvx512<TTarvoEffect, float>));
    EXPECT_EQ((selectProcessEntry<TTarvoEffect, double>(none)),
              (process_bridge::processEntry<TTarvoEffect, double>));
    EXPECT_EQ((selectProcessEntry<TTarvoEffect, double>(avx2)),
              (process_bridge::processEntryAvx2<TTarvoEffect, double>));
    EXPECT_EQ((selectProcessEntry<TTarvoEffect, double>(avx512)),
              (process_bridge::processEntryAvx512<TTarvoEffect, double>));
#else
    // Without wider entries every processor gets the baseline ones.
    for (const CpuFeatures& cpu : {none, avx2, avx512}) {
        EXPECT_EQ((selectProcessEntry<TTarvoEffect, float>(cpu)),
                  (process_bridge::processEntry<TTarvoEffect, float>));
        EXPECT_EQ((selectProcessEntry<TTarvoEffect, double>(cpu)),
                  (process_bridge::processEntry<TTarvoEffect, double>));
    }
#endif
    // A new instance's table holds the entries chosen for this processor.
    TestHost host;
    AEffect* effect = createPlugin<TTarvoEffect>(&TestHost::callback);
    ASSERT_NE(effect, nullptr);
    const HostBridgeTable& table = static_cast<CVeST*>(effect->object)->bridge();
    const CpuFeatures here = process_bridge::detectCpuFeatures();
    EXPECT_EQ(table.processReplacing, (selectProcessEntry<TTarvoEffect, float>(here)));
    EXPECT_EQ(table.processDoubleReplacing, (selectProcessEntry<TTarvoEffect, double>(here)));
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

#if QT_WIDE_PROCESSING
template <class Sample>
void checkWideEntries(CVeST* shell) {
    using Entry = process_bridge::ProcessEntry<Sample>;
    std::vector<std::pair<const char*, Entry>> entries = {
        {"baseline", process_bridge::processEntry<TTarvoEffect, Sample>}};
    const process_bridge::CpuFeatures cpu = process_bridge::detectCpuFeatures();
    if (cpu.avx2)
        entries.emplace_back("avx2", process_bridge::processEntryAvx2<TTarvoEffect, Sample>);
    if (cpu.avx512)
        entries.emplace_back("avx512", process_bridge::processEntryAvx512<TTarvoEffect, Sample>);
    ASSERT_GT(entries.size(), 1u);

    constexpr int kFrames = 203; // not a multiple of any vector width or of the chunk
    ChannelBuffers<Sample> in(kChannels, kFrames);
    fillNoise(in, 9);
    const Sample specials[] = {std::numeric_limits<Sample>::infinity(),
                               -std::numeric_limits<Sample>::infinity(),
                               std::numeric_limits<Sample>::quiet_NaN(),
                               std::numeric_limits<Sample>::denorm_min(),
                               -Sample(0),
                               std::numeric_limits<Sample>::max(),
                               -std::numeric_limits<Sample>::max()};
    for (int j = 0; j < kFrames; j += 3)
        in.data[j % kChannels][j] = specials[j % 7];

    std::vector<std::vector<std::vector<Sample>>> results;
    for (const auto& [name, entry] : entries) {
        ChannelBuffers<Sample> out(kChannels, kFrames);
        process(entry, shell, in, out, kFrames);
        results.push_back(out.data);
        ChannelBuffers<Sample> inPlace = inPlaceCopy(in);
        process(entry, shell, inPlace, inPlace, kFrames);
        results.push_back(inPlace.data);
    }
    for (std::size_t r = 1; r < results.size(); ++r)
        for (int c = 0; c < kChannels; ++c)
            for (int j = 0; j < kFrames; ++j)
                ASSERT_TRUE(sameBits(results[r][c][j], results[0][c][j]))
                    << entries[r / 2].first << (r % 2 == 1 ? " in place" : "") << " channel " << c
                    << " frame " << j;
}

namespace {

// Sixteen channels of one block, each on a 4 KiB page of its own: the inputs start `inStart`
// + 16 c bytes into their pages, the outputs `outStart` + 16 c bytes. The rest of the block is
// guard, NaN.
template <class Sample>
struct PlacedChannels {
    PlacedChannels(std::size_t inStart, std::size_t outStart)
        : block(17 * 4096 / sizeof(Sample), std::numeric_limits<Sample>::quiet_NaN()) {
        const auto address = reinterpret_cast<std::uintptr_t>(block.data());
        Sample* first = block.data() + (4096 - address % 4096) % 4096 / sizeof(Sample);
        constexpr auto kCount = static_cast<std::size_t>(kChannels);
        for (std::size_t c = 0; c < kCount; ++c) {
            in.push_back(first + (c * 4096 + inStart + 16 * c) / sizeof(Sample));
            out.push_back(first + ((kCount + c) * 4096 + outStart + 16 * c) / sizeof(Sample));
        }
    }
    // Whether the wide entries would go through these channels' chunks backward.
    bool backward() const {
        return process_bridge::backwardAvoidsAliasing(in.data(), out.data(), kChannels);
    }
    // Runs `entry` on these channels: nothing in the block but the outputs' frames may change.
    void process(process_bridge::ProcessEntry<Sample> entry, CVeST* shell, int frames) {
        const std::vector<Sample> before = block;
        entry(shell, in.data(), out.data(), frames);
        expectOnlyOutputsWritten(before, block, out.data(), frames);
    }
    std::vector<Sample> block;
    std::vector<Sample*> in, out;
};

} // namespace

TEST(ProcessOrder, BackwardOnlyWhenOutputsLieJustAboveTheInputsWithinA4KiBPage) {
    // Each output 128 bytes above its input, as separate allocations made one after the other
    // lie: going forward, loads would meet recent stores. Up to 256 bytes counts, beyond not
    // (a block with a cache line between channels puts outputs 512 bytes above).
    EXPECT_TRUE((PlacedChannels<double>(0, 128).backward()));
    EXPECT_TRUE((PlacedChannels<double>(0, 256).backward()));
    EXPECT_FALSE((PlacedChannels<double>(0, 264).backward()));
    // Some outputs above their inputs, some below (only the addresses are looked at): the
    // more numerous kind decides.
    PlacedChannels<double> mixed(0, 128);
    for (int c = 0; c < 3; ++c)
        mixed.out[c] -= 32; // 128 bytes below
    EXPECT_TRUE(mixed.backward());
    for (int c = 3; c < 5; ++c)
        mixed.out[c] -= 32;
    EXPECT_FALSE(mixed.backward());
    // Below: going backward would meet them.
    EXPECT_FALSE((PlacedChannels<double>(128, 0).backward()));
    // Half a page apart, or at the same place in every page: nothing to avoid.
    EXPECT_FALSE((PlacedChannels<double>(0, 2048).backward()));
    EXPECT_FALSE((PlacedChannels<float>(0, 0).backward()));
    // Distances count modulo 4 KiB: 4000 bytes down is 96 up.
    EXPECT_TRUE((PlacedChannels<float>(4000, 0).backward()));
}

namespace {

// Each wide entry, with the outputs placed so that it goes through the frames backward and so
// that it goes forward, gives the baseline entry's results bit for bit.
template <class Sample>
void checkWideEntriesBothOrders(CVeST* shell) {
    using Entry = process_bridge::ProcessEntry<Sample>;
    std::vector<std::pair<const char*, Entry>> entries;
    const process_bridge::CpuFeatures cpu = process_bridge::detectCpuFeatures();
    if (cpu.avx2)
        entries.emplace_back("avx2", process_bridge::processEntryAvx2<TTarvoEffect, Sample>);
    if (cpu.avx512)
        entries.emplace_back("avx512", process_bridge::processEntryAvx512<TTarvoEffect, Sample>);
    constexpr int kFrames = 203; // three chunks and a part, not a multiple of a vector width
    std::mt19937 random(5);
    std::uniform_real_distribution<double> level(-4.0, 4.0);
    for (const auto& [inStart, outStart] : {std::pair<std::size_t, std::size_t>{0, 128},
                                            std::pair<std::size_t, std::size_t>{128, 0}}) {
        PlacedChannels<Sample> reference(inStart, outStart);
        for (Sample* channel : reference.in)
            for (int j = 0; j < kFrames; ++j)
                channel[j] = static_cast<Sample>(level(random));
        reference.in[3][7] = std::numeric_limits<Sample>::infinity();
        reference.in[6][150] = std::numeric_limits<Sample>::quiet_NaN();
        reference.process(process_bridge::processEntry<TTarvoEffect, Sample>, shell, kFrames);
        for (const auto& [name, entry] : entries) {
            PlacedChannels<Sample> placed(inStart, outStart);
            for (int c = 0; c < kChannels; ++c)
                std::copy_n(reference.in[c], kFrames, placed.in[c]);
            placed.process(entry, shell, kFrames);
            for (int c = 0; c < kChannels; ++c)
                for (int j = 0; j < kFrames; ++j)
                    ASSERT_TRUE(sameBits(placed.out[c][j], reference.out[c][j]))
                        << name << " outputs at " << outStart << " channel " << c << " frame " << j;
        }
    }
}

} // namespace

TEST(WideEntries, GiveTheBaselineResultsGoingForwardOrBackward) {
    if (!process_bridge::detectCpuFeatures().avx2)
        GTEST_SKIP() << "this processor has no wider vector unit";
    TestHost host;
    AEffect* effect = createPlugin<TTarvoEffect>(&TestHost::callback);
    ASSERT_NE(effect, nullptr);
    host.start(effect);
    for (VstInt32 p = 0; p < 4; ++p)
        effect->setParameter(effect, p, 0.15f + 0.23f * static_cast<float>(p));
    checkWideEntriesBothOrders<float>(static_cast<CVeST*>(effect->object));
    checkWideEntriesBothOrders<double>(static_cast<CVeST*>(effect->object));
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

TEST(WideEntries, GiveTheBaselineResultsBitForBit) {
    if (!process_bridge::detectCpuFeatures().avx2)
        GTEST_SKIP() << "this processor has no wider vector unit";
    TestHost host;
    AEffect* effect = createPlugin<TTarvoEffect>(&TestHost::callback);
    ASSERT_NE(effect, nullptr);
    CVeST* shell = static_cast<CVeST*>(effect->object);
    host.start(effect);
    for (VstInt32 p = 0; p < 4; ++p)
        effect->setParameter(effect, p, 0.1f + 0.27f * static_cast<float>(p));
    checkWideEntries<float>(shell);
    checkWideEntries<double>(shell);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}
#endif

namespace {

// A host thread moves pair 1 from -6 to +6 dB while the audio thread processes one long block
// of ones. The thread waits until the block is under way, makes the change, and then looks how
// far the block has got: every frame from one chunk after that point on (the chunk in progress
// may have read the gain before the change) must carry the new gain, every frame before the
// change the old one. Answers false when the change came too late to see it inside the block.
template <class Sample>
bool changeDuringOneLongBlock(AEffect* effect) {
    constexpr int kChunk = 64; // frames between two readings of the gains
    constexpr int kFrames = 1 << 21;
    constexpr int kWatched = kFrames / 16;
    effect->setParameter(effect, 0, 0.25f);
    const std::vector<Sample> ones(kFrames, Sample(1));
    std::vector<Sample*> inputs(kChannels, const_cast<Sample*>(ones.data()));
    ChannelBuffers<Sample> out(kChannels, kFrames); // zero: not yet written
    Sample* watched = out.data[0].data();
    auto written = [&](int frame) {
        return std::atomic_ref<Sample>(watched[frame]).load(std::memory_order_acquire) != Sample(0);
    };

    int reached = kFrames; // first frame not yet written after the change
    std::thread automation([&] {
        while (!written(kWatched))
            std::this_thread::yield();
        effect->setParameter(effect, 0, 0.75f);
        int low = kWatched, high = kFrames; // written below low, unknown up to high
        while (low < high) {
            const int middle = low + (high - low) / 2;
            if (written(middle))
                low = middle + 1;
            else
                high = middle;
        }
        reached = low;
    });
    if constexpr (sizeof(Sample) == sizeof(float))
        effect->processReplacing(effect, inputs.data(), out.channels(), kFrames);
    else
        effect->processDoubleReplacing(effect, inputs.data(), out.channels(), kFrames);
    automation.join();
    if (reached > kFrames - 4 * kChunk) return false;

    const Sample before = out.data[0][0];
    const Sample after = out.data[0][kFrames - 1];
    EXPECT_NEAR(static_cast<double>(before), std::pow(10.0, -6.0 / 20.0), 1e-6);
    EXPECT_NEAR(static_cast<double>(after), std::pow(10.0, 6.0 / 20.0), 1e-6);
    int firstNew = 0;
    while (firstNew < kFrames && out.data[0][firstNew] == before)
        ++firstNew;
    EXPECT_GT(firstNew, kWatched);
    EXPECT_LE(firstNew, reached + 2 * kChunk);
    for (int c = 0; c < 2; ++c)
        for (int j = 0; j < kFrames; ++j)
            if (out.data[c][j] != (j < firstNew ? before : after)) {
                ADD_FAILURE() << "channel " << c << " frame " << j << " of " << firstNew;
                return true;
            }
    // The other pairs stay at 0 dB.
    for (int c = 2; c < kChannels; ++c)
        EXPECT_EQ(out.data[c], ones) << c;
    return true;
}

} // namespace

TEST_F(Processing, ChangesDuringALongBlockApplyWithinIt) {
    host.start(effect);
    // A busy machine may stall the changing thread past the block's end; try again then.
    bool seen = false;
    for (int attempt = 0; attempt < 20 && !seen; ++attempt)
        seen = changeDuringOneLongBlock<float>(effect);
    EXPECT_TRUE(seen) << "the change never arrived during a 32-bit block";
    seen = false;
    for (int attempt = 0; attempt < 20 && !seen; ++attempt)
        seen = changeDuringOneLongBlock<double>(effect);
    EXPECT_TRUE(seen) << "the change never arrived during a 64-bit block";
}
