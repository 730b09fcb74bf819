// SPDX-License-Identifier: MIT
#include "CountingEffect.h"
#include "LoadedTrimmer.h"
#include "host/PluginFactory.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

using namespace testhost;

namespace {

class Parameters : public LoadedTrimmer {
protected:
    void set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float get(VstInt32 index) { return effect->getParameter(effect, index); }
    std::string display(VstInt32 index) { return host.text(effect, effGetParamDisplay, index); }
};

// Restores the C locale after a test switched it.
struct LocaleGuard {
    ~LocaleGuard() { std::setlocale(LC_ALL, "C"); }
};

} // namespace

TEST_F(Parameters, FourLevelSlidersAtZeroDecibels) {
    for (VstInt32 i = 0; i < 4; ++i) {
        EXPECT_EQ(host.text(effect, effGetParamName, i), "level stereo " + std::to_string(i + 1));
        EXPECT_EQ(host.text(effect, effGetParamLabel, i), "");
        EXPECT_EQ(display(i), "0.00");
        EXPECT_FLOAT_EQ(get(i), 0.5f);
    }
}

TEST_F(Parameters, HostValuesMapOntoTheDecibelGrid) {
    set(0, 0.5f);
    EXPECT_EQ(display(0), "0.00");
    EXPECT_EQ(get(0), 0.5f);
    set(0, 0.0f);
    EXPECT_EQ(display(0), "-12.00");
    EXPECT_EQ(get(0), 0.0f);
    set(0, 1.0f);
    EXPECT_EQ(display(0), "12.00");
    EXPECT_EQ(get(0), 1.0f);
    set(1, 0.75f);
    EXPECT_EQ(display(1), "6.00");
    EXPECT_EQ(get(1), 0.75f);

    // 0.502 is 0.048 dB and snaps down to 0.0; 0.503 is 0.072 dB and snaps up to 0.1.
    set(2, 0.502f);
    EXPECT_EQ(display(2), "0.00");
    set(2, 0.503f);
    EXPECT_EQ(display(2), "0.10");
    EXPECT_FLOAT_EQ(get(2), static_cast<float>((0.1 + 12.0) / 24.0));

    // Values beyond 0..1 are not clamped.
    set(3, 1.25f);
    EXPECT_EQ(display(3), "18.00");
    EXPECT_FLOAT_EQ(get(3), 1.25f);
}

TEST_F(Parameters, OutOfRangeIndicesReadZeroAndChangeNothing) {
    set(0, 0.25f);
    for (VstInt32 index : {-1, 4, 1000, -2147483647 - 1}) {
        EXPECT_EQ(get(index), 0.0f) << index;
        set(index, 1.0f);
        EXPECT_EQ(host.text(effect, effGetParamName, index), "") << index;
        EXPECT_EQ(host.text(effect, effGetParamLabel, index), "") << index;
        EXPECT_EQ(display(index), "") << index;
    }
    EXPECT_EQ(get(0), 0.25f);
    for (VstInt32 i = 1; i < 4; ++i)
        EXPECT_EQ(get(i), 0.5f);
}

TEST_F(Parameters, NonFiniteHostValuesAreStoredAsZero) {
    set(0, 1.0f);
    set(0, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(display(0), "0.00");
    EXPECT_EQ(get(0), 0.5f);
    set(1, std::numeric_limits<float>::infinity());
    EXPECT_EQ(display(1), "0.00");
}

TEST_F(Parameters, DisplayUsesAPointInEveryLocale) {
    LocaleGuard guard;
    const char* commaLocale = std::setlocale(LC_ALL, "de_DE.UTF-8");
#ifdef _WIN32
    if (commaLocale == nullptr) commaLocale = std::setlocale(LC_ALL, "German");
#endif
    ASSERT_NE(commaLocale, nullptr) << "no locale with a decimal comma is installed";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", -12.0);
    ASSERT_STREQ(probe, "-12,00") << "the locale does not use a decimal comma";

    set(0, 0.0f);
    EXPECT_EQ(display(0), "-12.00");
    set(1, 0.503f);
    EXPECT_EQ(display(1), "0.10");
}

TEST_F(Parameters, LongProgramNamesAreKeptButHandedBackCut) {
    const std::string longName(100, 'n');
    host.dispatch(effect, effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
    char buffer[128];
    std::memset(buffer, 'G', sizeof buffer);
    host.dispatch(effect, effGetProgramName, 0, 0, buffer);
    EXPECT_EQ(std::strlen(buffer), 63u);
    EXPECT_EQ(std::string(buffer), longName.substr(0, 63));
    for (std::size_t i = 64; i < sizeof buffer; ++i)
        EXPECT_EQ(buffer[i], 'G') << i;

    host.dispatch(effect, effSetProgramName, 0, 0, const_cast<char*>("short"));
    EXPECT_EQ(host.text(effect, effGetProgramName), "short");
}

TEST(ParameterHooks, OnlyARealChangeReachesTheEffect) {
    TestHost host;
    AEffect* effect = createPlugin<TCountingEffect>(&TestHost::callback);
    ASSERT_NE(effect, nullptr);
    auto& counting = static_cast<TCountingEffect&>(*static_cast<CVeST*>(effect->object)->effect());

    effect->setParameter(effect, 0, 0.5f); // 0.0 dB, as it already is
    EXPECT_EQ(counting.sliderChanges, 0);
    effect->setParameter(effect, 0, 0.502f); // snaps to 0.0 again
    EXPECT_EQ(counting.sliderChanges, 0);
    effect->setParameter(effect, 0, 0.503f); // 0.1 dB
    EXPECT_EQ(counting.sliderChanges, 1);
    EXPECT_DOUBLE_EQ(counting.mirror, 0.1);
    effect->setParameter(effect, 0, 0.503f);
    EXPECT_EQ(counting.sliderChanges, 1);
    effect->setParameter(effect, 0, 1.0f);
    EXPECT_EQ(counting.sliderChanges, 2);
    EXPECT_EQ(counting.mirror, 12.0);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

TEST_F(Parameters, SettingParametersAndClosingCallNoHost) {
    host.start(effect);
    host.clearCalls();
    for (VstInt32 p = 0; p < 4; ++p) {
        effect->setParameter(effect, p, 0.1f * static_cast<float>(p + 1));
        effect->getParameter(effect, p);
    }
    host.dispatch(effect, effMainsChanged, 0, 0);
    host.close(effect);
    EXPECT_EQ(host.calls.size(), 0u);
}
