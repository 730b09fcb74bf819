// SPDX-License-Identifier: MIT
#include "GuardedProcessing.h"
#include "LoadedTrimmer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using namespace testhost;

namespace {

std::vector<float> floatsOf(const void* data, VstIntPtr bytes) {
    std::vector<float> values(static_cast<std::size_t>(bytes) / sizeof(float));
    std::memcpy(values.data(), data, values.size() * sizeof(float));
    return values;
}

class Chunks : public LoadedTrimmer {
protected:
    std::vector<float> save(AEffect* from, void** where = nullptr) {
        void* data = nullptr;
        const VstIntPtr size = host.dispatch(from, effGetChunk, 0, 0, &data);
        if (where != nullptr) *where = data;
        return size > 0 ? floatsOf(data, size) : std::vector<float>();
    }
    VstIntPtr restore(AEffect* into, const void* bytes, VstIntPtr size) {
        return host.dispatch(into, effSetChunk, 0, size, const_cast<void*>(bytes));
    }
};

} // namespace

TEST_F(Chunks, AFreshPluginSavesTheMarkerAndSixtyFourZeros) {
    void* data = nullptr;
    EXPECT_EQ(host.dispatch(effect, effGetChunk, 0, 0, &data), 260);
    ASSERT_NE(data, nullptr);
    const unsigned char marker[] = {0x00, 0x00, 0x7A, 0xC4};
    EXPECT_EQ(std::memcmp(data, marker, 4), 0);
    const std::vector<float> values = floatsOf(data, 260);
    for (std::size_t k = 1; k < values.size(); ++k)
        EXPECT_EQ(values[k], 0.0f) << k;
    // A preset and a project save are the same bytes.
    void* preset = nullptr;
    EXPECT_EQ(host.dispatch(effect, effGetChunk, 1, 0, &preset), 260);
    EXPECT_EQ(floatsOf(preset, 260), values);
}

TEST_F(Chunks, SavedSlidersRestoreIntoAFreshPlugin) {
    host.start(effect);
    effect->setParameter(effect, 0, 1.0f);
    effect->setParameter(effect, 2, 0.25f);
    const std::vector<float> saved = save(effect);
    ASSERT_EQ(saved.size(), 65u);
    EXPECT_EQ(saved[0], -1000.0f);
    EXPECT_EQ(saved[1], 12.0f);
    EXPECT_EQ(saved[2], 0.0f);
    EXPECT_EQ(saved[3], -6.0f);
    for (std::size_t k = 4; k < saved.size(); ++k)
        EXPECT_EQ(saved[k], 0.0f);

    AEffect* fresh = host.create();
    ASSERT_NE(fresh, nullptr);
    host.clearCalls();
    EXPECT_EQ(restore(fresh, saved.data(), 260), 260);
    EXPECT_EQ(fresh->getParameter(fresh, 0), 1.0f);
    EXPECT_EQ(fresh->getParameter(fresh, 2), 0.25f);
    EXPECT_EQ(host.text(fresh, effGetParamDisplay, 2), "-6.00");
    // The first restore initialises the effect (its init asks for the tempo); the second not.
    EXPECT_EQ(host.count(audioMasterGetTime, kVstTempoValid), 1);
    restore(fresh, saved.data(), 260);
    EXPECT_EQ(host.count(audioMasterGetTime, kVstTempoValid), 1);

    // The restored gains are live without a resume: -6 dB on pair 3.
    float left = 1.0f;
    float* channels[8];
    float* outputs[8];
    float out[8];
    for (int c = 0; c < 8; ++c) {
        channels[c] = &left;
        outputs[c] = &out[c];
    }
    process(fresh, channels, outputs, 1);
    EXPECT_FLOAT_EQ(out[4], static_cast<float>(std::pow(10.0, -6.0 / 20.0)));
    EXPECT_FLOAT_EQ(out[0], static_cast<float>(std::pow(10.0, 12.0 / 20.0)));
}

TEST_F(Chunks, ForeignOrShortBlocksAreAcceptedAndIgnored) {
    effect->setParameter(effect, 1, 0.75f);
    std::vector<float> foreign(65, 1.0f);
    foreign[0] = 0.0f;
    EXPECT_EQ(restore(effect, foreign.data(), 260), 260);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(restore(effect, &nan, 4), 4);
    const char three[3] = {0, 0, 0x7A};
    EXPECT_EQ(restore(effect, three, 3), 3);
    EXPECT_EQ(restore(effect, three, 0), 0);
    EXPECT_EQ(effect->getParameter(effect, 1), 0.75f);

    // A null block or a negative size is refused with 0.
    EXPECT_EQ(restore(effect, nullptr, 260), 0);
    EXPECT_EQ(restore(effect, foreign.data(), -8), 0);
    EXPECT_EQ(effect->getParameter(effect, 1), 0.75f);
}

TEST_F(Chunks, PartialLongAndUncheckedValues) {
    effect->setParameter(effect, 3, 0.0f);
    // Marker plus two values: sliders 1 and 2 change, 3 and 4 keep theirs.
    const float two[] = {-1000.0f, 3.14159f, -20.0f};
    EXPECT_EQ(restore(effect, two, sizeof two), static_cast<VstIntPtr>(sizeof two));
    EXPECT_EQ(host.text(effect, effGetParamDisplay, 0), "3.14");
    // Restored values are neither snapped nor clamped.
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 0),
                    static_cast<float>((static_cast<double>(3.14159f) + 12.0) / 24.0));
    EXPECT_EQ(host.text(effect, effGetParamDisplay, 1), "-20.00");
    EXPECT_EQ(host.text(effect, effGetParamDisplay, 2), "0.00");
    EXPECT_EQ(host.text(effect, effGetParamDisplay, 3), "-12.00");

    // 262 bytes: 65 floats are used, the last two bytes ignored.
    std::vector<unsigned char> bytes(262, 0xFF);
    std::vector<float> values(65, 0.0f);
    values[0] = -1000.0f;
    values[4] = 2.5f;
    std::memcpy(bytes.data(), values.data(), 260);
    EXPECT_EQ(restore(effect, bytes.data(), 262), 262);
    EXPECT_EQ(host.text(effect, effGetParamDisplay, 3), "2.50");
    EXPECT_EQ(host.text(effect, effGetParamDisplay, 0), "0.00");

    // Non-finite values are stored as 0.0.
    values[1] = std::numeric_limits<float>::infinity();
    values[2] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(restore(effect, values.data(), 260), 260);
    EXPECT_EQ(effect->getParameter(effect, 0), 0.5f);
    EXPECT_EQ(effect->getParameter(effect, 1), 0.5f);
}

TEST_F(Chunks, TheHandedOutBlockIsReusedByTheNextSave) {
    void* first = nullptr;
    void* second = nullptr;
    const std::vector<float> a = save(effect, &first);
    effect->setParameter(effect, 0, 0.0f);
    const std::vector<float> b = save(effect, &second);
    EXPECT_EQ(a.size(), b.size());
    EXPECT_EQ(first, second);
    EXPECT_EQ(b[1], -12.0f);
    EXPECT_EQ(static_cast<const float*>(first)[1], -12.0f);
}

TEST_F(Chunks, PresetRestoreIsTheSameAsProjectRestoreAndCallsNoHost) {
    host.start(effect);
    effect->setParameter(effect, 1, 0.75f);
    effect->setParameter(effect, 3, 0.0f);
    const std::vector<float> saved = save(effect);
    ASSERT_EQ(saved.size(), 65u);

    for (VstInt32 index : {0, 1}) {
        AEffect* other = host.create();
        ASSERT_NE(other, nullptr);
        host.start(other);
        host.clearCalls();
        const auto length = static_cast<VstIntPtr>(saved.size() * sizeof(float));
        EXPECT_EQ(
            host.dispatch(other, effSetChunk, index, length, const_cast<float*>(saved.data())),
            length)
            << index;
        // A restore neither automates parameters nor asks for a display update: the only host
        // calls are the tempo question of the effect's first initialisation.
        for (const HostCall& call : host.calls)
            EXPECT_EQ(call.opcode, audioMasterGetTime) << index;
        EXPECT_LE(host.calls.size(), 1u) << index;
        EXPECT_EQ(save(other), saved) << index;
        EXPECT_FLOAT_EQ(other->getParameter(other, 1), 0.75f) << index;
        EXPECT_FLOAT_EQ(other->getParameter(other, 3), 0.0f) << index;
        // The restored gains are in effect at once.
        ChannelBuffers<double> in(8, 1), out(8, 1);
        for (auto& channel : in.data)
            channel[0] = 1.0;
        process(other, in, out, 1);
        EXPECT_NEAR(out.data[2][0], std::pow(10.0, 6.0 / 20.0), 1e-12) << index;
        EXPECT_NEAR(out.data[6][0], std::pow(10.0, -12.0 / 20.0), 1e-12) << index;
        host.close(other);
    }
}
