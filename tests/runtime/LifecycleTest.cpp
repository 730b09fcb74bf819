// SPDX-License-Identifier: MIT
#include "TestRuntime.h"
#include "runtime/platform/TarvoPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(Lifecycle, ANewRuntimeHasItsInitialState) {
    TTestRuntime runtime;
    EXPECT_EQ(runtime.Shell(), nullptr);
    for (std::int32_t n = 0; n < CTarvoSliders::kSliderCount; ++n)
        EXPECT_EQ(runtime.SliderValue(n), 0.0);
    for (std::int32_t c = 0; c < CTarvoSamples::kSamplePlaces; ++c)
        EXPECT_EQ(runtime.Samples()[c], 0.0);
    EXPECT_EQ(runtime.SliderRecordCount(), 0);
    EXPECT_EQ(runtime.FileSlotCount(), 1);
    EXPECT_EQ(runtime.FileSlot(0)->mode, kFileClosed);
    EXPECT_EQ(runtime.StringCount(), 0.0);
    EXPECT_EQ(runtime.FontCount(), 0u);
    EXPECT_EQ(runtime.ImageCount(), 0u);
    EXPECT_EQ(runtime.RedrawRate(), 0.0);
    EXPECT_EQ(runtime.MouseButtons(), 0.0);
    EXPECT_EQ(runtime.InitCount(), 0);
    EXPECT_EQ(runtime.LastRedrawTick(), 0);
    EXPECT_TRUE(runtime.EffectName().empty());
}

TEST(Lifecycle, ResumeAlwaysInitialisesAndTheFirstLoadOnlyOnce) {
    TTestRuntime runtime;
    runtime.OnResume();
    runtime.OnResume();
    EXPECT_EQ(runtime.inits, 2);
    EXPECT_EQ(runtime.sliderChanges, 2);
    EXPECT_EQ(runtime.InitCount(), 0);

    const float chunk[] = {-1000.0f};
    runtime.LoadState(chunk, 4, false);
    EXPECT_EQ(runtime.inits, 3); // the first load initialises even after resumes
    runtime.LoadState(chunk, 4, false);
    EXPECT_EQ(runtime.inits, 3);
    EXPECT_EQ(runtime.InitCount(), 2);
    EXPECT_EQ(runtime.sliderChanges, 4);
}

TEST(Lifecycle, RedrawTickFollowsTheRate) {
    TTestRuntime runtime;
    runtime.OnRedrawTick();
    EXPECT_EQ(runtime.LastRedrawTick(), 0); // rate 0: never

    runtime.SetRedrawRate(30.0);
    // The clock may count from the start of the program (it does on Windows): let more than
    // 1000 / 30 ticks pass since tick 0.
    while (tarvo_platform::clockTicks() <= 40)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::int32_t before = tarvo_platform::clockTicks();
    runtime.OnRedrawTick();
    const std::int32_t first = runtime.LastRedrawTick();
    EXPECT_GE(first, before);
    EXPECT_LE(first, tarvo_platform::clockTicks());

    // More than 1000 / 30 ticks must pass before the next redraw.
    runtime.OnRedrawTick();
    if (tarvo_platform::clockTicks() - first <= 33) {
        EXPECT_EQ(runtime.LastRedrawTick(), first);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    runtime.OnRedrawTick();
    EXPECT_GT(runtime.LastRedrawTick(), first + 33);

    runtime.OnReset();
    EXPECT_EQ(runtime.LastRedrawTick(), 0);
}
