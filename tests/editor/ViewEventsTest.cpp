// SPDX-License-Identifier: MIT
// The runtime's view entries: mouse state, button bits and the redraw rate.
#include "TestHost.h"
#include "editor/TarvoViewEvents.h"
#include "effect/TTarvoEffect.h"
#include "host/PluginFactory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace testhost;

namespace {

class MouseBridge : public testing::Test {
protected:
    void SetUp() override {
        record = createPlugin<TTarvoEffect>(&TestHost::callback);
        ASSERT_NE(record, nullptr);
        record->dispatcher(record, effOpen, 0, 0, nullptr, 0.0f);
        shell = static_cast<CVeST*>(record->object);
        effect = shell->effect();
    }
    void TearDown() override {
        if (record != nullptr) record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    }
    double buttonsAfterDown(int flags) {
        tarvo_view::mouseDown(shell, 1.0, 2.0, flags);
        return effect->MouseButtons();
    }

    TestHost host; // answers the plug-in's host calls
    AEffect* record = nullptr;
    CVeST* shell = nullptr;
    TTarvo* effect = nullptr;
};

} // namespace

TEST_F(MouseBridge, TranslatesButtonsAndModifiers) {
    EXPECT_EQ(buttonsAfterDown(0x12), 9.0);  // left + shift
    EXPECT_EQ(buttonsAfterDown(0x68), 22.0); // right + control + alt
    EXPECT_EQ(buttonsAfterDown(0x4), 64.0);  // middle
    EXPECT_EQ(buttonsAfterDown(0x402), 1.0); // double click drops its flag
    EXPECT_EQ(buttonsAfterDown(0x300), 0.0); // extra buttons are dropped
    EXPECT_EQ(buttonsAfterDown(0x80), 0.0);
    EXPECT_EQ(buttonsAfterDown(-1), 95.0); // every bit: the largest value
}

TEST_F(MouseBridge, UpClearsButtonsAndMovesKeepThem) {
    tarvo_view::mouseDown(shell, 3.0, 4.0, 0x2);
    tarvo_view::mouseMoved(shell, 5.0, 6.0, 0);
    EXPECT_EQ(effect->MouseButtons(), 1.0); // a drag keeps the buttons of its mouse-down
    EXPECT_EQ(effect->MouseX(), 5.0);
    tarvo_view::mouseUp(shell, 7.0, 8.0, 0x2);
    EXPECT_EQ(effect->MouseButtons(), 0.0);
    EXPECT_EQ(effect->MouseY(), 8.0);
    tarvo_view::mouseMoved(shell, 9.0, 10.0, 0x2);
    EXPECT_EQ(effect->MouseButtons(), 0.0);
}

TEST_F(MouseBridge, StoresPositionsExactly) {
    tarvo_view::mouseDown(shell, -5.5, 1000.25, 0x2);
    EXPECT_EQ(effect->MouseX(), -5.5);
    EXPECT_EQ(effect->MouseY(), 1000.25);
    tarvo_view::mouseMoved(shell, 1e-300, -0.0, 0);
    EXPECT_EQ(effect->MouseX(), 1e-300);
    EXPECT_TRUE(std::signbit(effect->MouseY()));
}

TEST_F(MouseBridge, RaisesTheRedrawRateButNeverLowersIt) {
    effect->SetRedrawRate(0.0);
    tarvo_view::mouseDown(shell, 0.0, 0.0, 0);
    EXPECT_EQ(effect->RedrawRate(), 30.0);
    effect->SetRedrawRate(60.0);
    tarvo_view::mouseUp(shell, 0.0, 0.0, 0);
    EXPECT_EQ(effect->RedrawRate(), 60.0);
    effect->SetRedrawRate(-4.0);
    tarvo_view::mouseMoved(shell, 0.0, 0.0, 0);
    EXPECT_EQ(effect->RedrawRate(), 30.0);
    effect->SetRedrawRate(std::numeric_limits<double>::quiet_NaN());
    tarvo_view::mouseMoved(shell, 0.0, 0.0, 0);
    EXPECT_TRUE(std::isnan(effect->RedrawRate()));
}

TEST_F(MouseBridge, DrawEntryRunsTheDrawingPass) {
    auto* trimmer = static_cast<TTarvoEffect*>(effect);
    tarvo_view::mouseDown(shell, 0.0, 0.0, 0x8);
    EXPECT_EQ(trimmer->ViewMouseButtons(), 0.0);
    tarvo_view::draw(shell, 10.0, 20.0);
    EXPECT_EQ(trimmer->ViewMouseButtons(), 2.0);
    EXPECT_EQ(trimmer->AreaWidth(), 0.0); // the size comes from the editor, not the arguments
    EXPECT_EQ(trimmer->FontAt(0).name, "Courier New");
}
