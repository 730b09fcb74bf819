// SPDX-License-Identifier: MIT
// The LV2 bundle read and run through lilv, against the VST 2.4 library's 32-bit processing.
// lilv reports problems with a bundle's data on the standard error, where the test's run looks
// for them (tests/lv2/CMakeLists.txt).
#include "Lv2Trimmer.h"
#include "TestHost.h"

#include <gtest/gtest.h>
#include <lv2/port-groups/port-groups.h>
#include <lv2/units/units.h>

#include <cmath>
#include <cstring>

using namespace testhost;

TEST(Lv2Plugin, DescribesEightChannelsAsFourStereoPairsWithLevelsInDecibels) {
    const Lv2Bundle& b = Lv2Bundle::get();
    ASSERT_NE(b.plugin, nullptr);
    const auto text = [](LilvNode* node) {
        return node != nullptr ? std::string(lilv_node_as_string(Lv2Bundle::own(node).get())) : "";
    };
    const auto is = [&](const std::string& subject, const char* type) {
        return lilv_world_ask(b.world, b.uri(subject).get(), b.uri(LILV_NS_RDF "type").get(),
                              b.uri(type).get());
    };
    EXPECT_TRUE(lilv_plugin_verify(b.plugin));
    EXPECT_EQ(text(lilv_plugin_get_name(b.plugin)),
              "Qualtrevin_multi-channel_level_trimmer_4x_stereo");
    EXPECT_EQ(text(lilv_plugin_get_author_name(b.plugin)), "Qualtrevin");
    EXPECT_TRUE(is(QT_LV2_URI, LV2_CORE__AmplifierPlugin));
    ASSERT_EQ(lilv_plugin_get_num_ports(b.plugin), 20u);
    float minimum[20], maximum[20], defaults[20];
    lilv_plugin_get_port_ranges_float(b.plugin, minimum, maximum, defaults);
    for (std::uint32_t i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        const LilvPort* port = lilv_plugin_get_port_by_index(b.plugin, i);
        const auto value = [&](const char* key) {
            return text(lilv_port_get(b.plugin, port, b.uri(key).get()));
        };
        const bool audio = i < 16, output = i >= 8 && i < 16;
        for (const char* type : {audio ? LV2_CORE__AudioPort : LV2_CORE__ControlPort,
                                 output ? LV2_CORE__OutputPort : LV2_CORE__InputPort})
            EXPECT_TRUE(lilv_port_is_a(b.plugin, port, b.uri(type).get())) << type;
        const std::string pair = std::to_string((audio ? i % 8 / 2 : i - 16) + 1);
        const std::string group = value(LV2_PORT_GROUPS__group);
        EXPECT_EQ(group, QT_LV2_URI "#" + std::string(output ? "out" : "in") + pair);
        EXPECT_TRUE(is(group, LV2_PORT_GROUPS__StereoGroup));
        EXPECT_TRUE(is(group, output ? LV2_PORT_GROUPS__OutputGroup : LV2_PORT_GROUPS__InputGroup));
        if (audio) {
            EXPECT_EQ(value(LV2_CORE__designation),
                      i % 2 == 0 ? LV2_PORT_GROUPS__left : LV2_PORT_GROUPS__right);
        } else {
            EXPECT_EQ(value(LV2_CORE__name), "level stereo " + pair);
            EXPECT_EQ(value(LV2_UNITS__unit), LV2_UNITS__db);
            EXPECT_EQ(std::vector<float>({minimum[i], maximum[i], defaults[i]}),
                      std::vector<float>({-12.0f, 12.0f, 0.0f}));
        }
    }
}

// Two settings in turn. The LV2 levels of the second are out of range or not finite: they act
// as the level clamped and as the level before, which is what the VST 2.4 library is given.
TEST(Lv2Plugin, RendersWhatTheVstLibraryRendersBitForBit) {
    constexpr std::uint32_t kFrames = 2 * 8192 + 5;
    const float lv2Levels[2][4] = {{-12.0f, 12.0f, 0.0f, 3.04f}, {40.0f, -40.0f, NAN, INFINITY}};
    const float vstLevels[2][4] = {{-12.0f, 12.0f, 0.0f, 3.04f}, {12.0f, -12.0f, 0.0f, 3.04f}};
    ChannelBuffers<float> input(8, kFrames), expected[2] = {{8, kFrames}, {8, kFrames}};
    for (std::uint32_t c = 0; c < 8; ++c)
        for (std::uint32_t j = 0; j < kFrames; ++j)
            input.data[c][j] = std::sin(0.01f * static_cast<float>(j * (c + 1))) * 0.9f;
    TestHost host;
    AEffect* vst = host.create();
    ASSERT_NE(vst, nullptr) << host.loadError();
    host.start(vst);
    for (int s = 0; s < 2; ++s) {
        for (VstInt32 k = 0; k < 4; ++k) // 3.04 lies between two steps
            vst->setParameter(vst, k, static_cast<float>((vstLevels[s][k] + 12.0) / 24.0));
        vst->processReplacing(vst, input.channels(), expected[s].channels(), kFrames);
    }
    for (const std::uint32_t block : {1u, 7u, 512u, 8192u}) {
        for (const bool inPlace : {false, true}) {
            Lv2Trimmer lv2;
            for (int s = 0; s < 2; ++s) {
                SCOPED_TRACE(testing::Message() << block << (inPlace ? " in place " : " ") << s);
                std::copy(lv2Levels[s], lv2Levels[s] + 4, lv2.levels);
                ChannelBuffers<float> output(8, kFrames);
                for (std::uint32_t c = 0; inPlace && c < 8; ++c)
                    std::copy(input.data[c].begin(), input.data[c].end(), output.data[c].begin());
                float* const* from = inPlace ? output.channels() : input.channels();
                for (std::uint32_t start = 0; start < kFrames; start += block)
                    lv2.run(from, output.channels(), start, std::min(block, kFrames - start));
                for (std::uint32_t c = 0; c < 8; ++c) {
                    const float* want = expected[s].data[c].data();
                    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): the bits are meant
                    EXPECT_EQ(std::memcmp(output.data[c].data(), want, kFrames * 4), 0) << c;
                }
            }
        }
    }
}

TEST(Lv2Plugin, RefusesBadSampleRatesAndLeavesOutputsAloneWithoutFramesOrBuffers) {
    for (const double rate : {0.0, -48000.0, 1e300, double(NAN), double(INFINITY)})
        EXPECT_EQ(lilv_plugin_instantiate(Lv2Bundle::get().plugin, rate, nullptr), nullptr) << rate;
    Lv2Trimmer lv2;
    ChannelBuffers<float> in(8, 64), out(8, 64);
    std::fill(in.data[0].begin(), in.data[0].end(), 0.5f);
    lv2.run(in.channels(), out.channels(), 0, 0);
    lilv_instance_connect_port(lv2.instance.get(), 3, nullptr);
    lilv_instance_run(lv2.instance.get(), 64);
    EXPECT_EQ(out.data, ChannelBuffers<float>(8, 64).data);
}
