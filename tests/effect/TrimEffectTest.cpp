// SPDX-License-Identifier: MIT
#include "TestHost.h"
#include "effect/TTarvoEffect.h"
#include "host/PluginFactory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace testhost;

TEST(TrimEffect, DescribesItselfAndItsFourSliders) {
    TTarvoEffect effect;
    EXPECT_EQ(effect.EffectName(), "Qualtrevin_multi-channel_level_trimmer_4x_stereo");
    EXPECT_EQ(effect.EffectName().size(), 48u);
    EXPECT_EQ(effect.ProductString(), effect.EffectName());
    EXPECT_EQ(effect.ProgramName(), effect.EffectName());
    EXPECT_EQ(effect.VendorString(), "Qualtrevin");
    EXPECT_EQ(effect.VendorVersion(), 1000);
    EXPECT_EQ(effect.UniqueId(), 0);
    EXPECT_EQ(effect.ChannelCount(), 8);
    ASSERT_EQ(effect.SliderRecordCount(), 4);
    for (std::int32_t p = 0; p < 4; ++p) {
        const SliderRecord& record = *effect.SliderRecordAt(p);
        EXPECT_EQ(record.sliderNumber, p + 1);
        EXPECT_EQ(record.name, "level stereo " + std::to_string(p + 1));
        EXPECT_TRUE(record.label.empty());
        EXPECT_TRUE(record.folder.empty());
        EXPECT_TRUE(record.optionTexts.empty());
        EXPECT_TRUE(record.optionsLoaded);
        EXPECT_EQ(record.mirror, nullptr);
        EXPECT_EQ(record.minimum, -12.0);
        EXPECT_EQ(record.maximum, 12.0);
        EXPECT_EQ(record.step, 0.1);
        EXPECT_EQ(record.defaultValue, 0.0);
        EXPECT_EQ(effect.ParameterValue(p), 0.5);
    }
}

TEST(TrimEffect, GainsFollowTheSlidersInDecibels) {
    TTarvoEffect effect;
    effect.SliderValue(1) = -12.0;
    effect.SliderValue(2) = 0.0;
    effect.SliderValue(3) = 12.0;
    effect.SliderValue(4) = -6.0;
    effect.OnSliderChange();
    EXPECT_DOUBLE_EQ(effect.Gain(1), 0.25118864315095801);
    EXPECT_EQ(effect.Gain(2), 1.0);
    EXPECT_DOUBLE_EQ(effect.Gain(3), 3.9810717055349722);
    EXPECT_DOUBLE_EQ(effect.Gain(4), 0.50118723362727224);

    double* s = effect.Samples();
    for (int c = 0; c < 8; ++c)
        s[c] = 1.0 + c;
    s[5] = std::numeric_limits<double>::infinity();
    effect.OnSample();
    EXPECT_EQ(s[0], 1.0 * effect.Gain(1));
    EXPECT_EQ(s[1], 2.0 * effect.Gain(1));
    EXPECT_EQ(s[2], 3.0);
    EXPECT_EQ(s[3], 4.0);
    EXPECT_EQ(s[4], 5.0 * effect.Gain(3));
    EXPECT_EQ(s[5], 0.0);
    EXPECT_EQ(s[6], 7.0 * effect.Gain(4));
    EXPECT_EQ(s[7], 8.0 * effect.Gain(4));
}

TEST(TrimEffect, ResetClearsEverythingAndEntersTheFontName) {
    TTarvoEffect effect;
    effect.SliderValue(1) = 6.0;
    effect.OnSliderChange();
    effect.MemoryAt(5) = 1.0;
    effect.OnReset();
    for (int pair = 1; pair <= 4; ++pair)
        EXPECT_EQ(effect.Gain(pair), 0.0);
    EXPECT_EQ(effect.MemoryBlockCount(), 0u);
    ASSERT_NE(effect.FindString(10000), nullptr);
    EXPECT_EQ(*effect.FindString(10000), "Courier New");
    EXPECT_EQ(effect.StringCount(), 1.0);
    // Sliders are the host's state and survive a reset.
    EXPECT_EQ(effect.SliderValue(1), 6.0);

    // Without a shell the host-derived values are 0 and nothing breaks.
    effect.OnInit();
    EXPECT_EQ(effect.RedrawRate(), 30.0);
    effect.OnBlock();
}

TEST(TrimEffect, SerializesSlidersOneToSixtyFour) {
    TTarvoEffect source;
    for (std::int32_t n = 0; n < 128; ++n)
        source.SliderValue(n) = n * 0.5;
    void* data = nullptr;
    ASSERT_EQ(source.SaveState(&data, false), 260);
    const float* values = static_cast<const float*>(data);
    EXPECT_EQ(values[0], -1000.0f);
    for (int k = 1; k <= 64; ++k)
        EXPECT_EQ(values[k], static_cast<float>(k) * 0.5f) << k;

    TTarvoEffect target;
    target.SliderValue(0) = -1.0;
    target.SliderValue(65) = -1.0;
    std::vector<float> chunk(values, values + 65);
    EXPECT_EQ(target.LoadState(chunk.data(), 260, false), 260);
    for (int k = 1; k <= 64; ++k)
        EXPECT_EQ(target.SliderValue(k), k * 0.5) << k;
    EXPECT_EQ(target.SliderValue(0), -1.0);
    EXPECT_EQ(target.SliderValue(65), -1.0);
    EXPECT_DOUBLE_EQ(target.Gain(1), std::pow(10.0, 0.5 / 20.0));
}

TEST(TrimEffect, InitReadsTheHostAndResumeReInitialises) {
    TestHost host;
    AEffect* record = createPlugin<TTarvoEffect>(&TestHost::callback);
    ASSERT_NE(record, nullptr);
    host.start(record, 96000.0f, 64);
    // Open, then resume: init asks the tempo once; sample rate and block size are read from
    // the shell, so the host sees exactly one time request and one MIDI request.
    EXPECT_EQ(host.count(audioMasterWantMidi), 1);
    EXPECT_EQ(host.count(audioMasterGetTime, kVstTempoValid), 1);
    auto& effect = static_cast<TTarvoEffect&>(*static_cast<CVeST*>(record->object)->effect());
    EXPECT_EQ(effect.RedrawRate(), 30.0);
    EXPECT_EQ(effect.Gain(1), 1.0);

    record->dispatcher(record, effMainsChanged, 0, 0, nullptr, 0.0f);
    record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);
    EXPECT_EQ(host.count(audioMasterGetTime, kVstTempoValid), 2);
    EXPECT_EQ(host.count(audioMasterWantMidi), 2);
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
}
