// SPDX-License-Identifier: MIT
// The trimmer's drawing pass, against a canvas interface that records what it is asked.
#include "TestHost.h"
#include "effect/TTarvoEffect.h"
#include "host/PluginFactory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testhost;

namespace {

struct Fill {
    int red, green, blue, alpha;
};
struct Rect {
    double left, top, right, bottom;
    int style;
};
struct FontCall {
    std::string face;
    int size, style;
};

// What the recording canvas was asked, and what it answers.
struct CanvasLog {
    int editorSizeAnswer = 1;
    int width = 400;
    int height = 300;
    std::vector<int> fontAnswers; // answers of successive font calls; 1 once they run out
    std::vector<Fill> fills;
    std::vector<int> drawModes;
    std::vector<Rect> rects;
    std::vector<FontCall> fonts;
    int calls = 0;
};
CanvasLog* g_log = nullptr;

int editorSize(CVeST*, int* width, int* height) {
    ++g_log->calls;
    if (g_log->editorSizeAnswer == 0) return 0;
    *width = g_log->width;
    *height = g_log->height;
    return 1;
}
int setFillColor(CVeST*, int red, int green, int blue, int alpha) {
    ++g_log->calls;
    g_log->fills.push_back({red, green, blue, alpha});
    return 1;
}
int setDrawMode(CVeST*, int mode) {
    ++g_log->calls;
    g_log->drawModes.push_back(mode);
    return 1;
}
int rect(CVeST*, double left, double top, double right, double bottom, int style) {
    ++g_log->calls;
    g_log->rects.push_back({left, top, right, bottom, style});
    return 1;
}
int setFont(CVeST*, const char* face, int size, int style) {
    ++g_log->calls;
    const std::size_t index = g_log->fonts.size();
    g_log->fonts.push_back({face, size, style});
    return index < g_log->fontAnswers.size() ? g_log->fontAnswers[index] : 1;
}

CanvasInterface recordingCanvas() {
    CanvasInterface canvas{};
    canvas.canvasEditorSize = editorSize;
    canvas.canvasSetFillColor = setFillColor;
    canvas.canvasSetDrawMode = setDrawMode;
    canvas.canvasRect = rect;
    canvas.canvasSetFont = setFont;
    return canvas;
}

class DrawPass : public testing::Test {
protected:
    void SetUp() override {
        g_log = &log;
        PluginConfiguration<TTarvoEffect> configuration;
        configuration.canvas = &canvas;
        record = createPlugin<TTarvoEffect>(&TestHost::callback, configuration);
        ASSERT_NE(record, nullptr);
        record->dispatcher(record, effOpen, 0, 0, nullptr, 0.0f);
        effect = static_cast<TTarvoEffect*>(static_cast<CVeST*>(record->object)->effect());
    }
    void TearDown() override {
        if (record != nullptr) record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
        g_log = nullptr;
    }
    // One pass with the background colour set as the effect's own code would set it.
    void drawWith(double background) {
        effect->SetBackgroundColor(background);
        effect->OnDraw();
    }

    CanvasLog log;
    CanvasInterface canvas = recordingCanvas();
    TestHost host; // answers the plug-in's host calls
    AEffect* record = nullptr;
    TTarvoEffect* effect = nullptr;
};

} // namespace

TEST_F(DrawPass, WithoutBackgroundOnlySelectsTheFont) {
    drawWith(0.0);
    EXPECT_TRUE(log.fills.empty());
    EXPECT_TRUE(log.rects.empty());
    EXPECT_TRUE(log.drawModes.empty());
    ASSERT_EQ(log.fonts.size(), 1u);
    EXPECT_EQ(log.fonts[0].face, "Courier New");
    EXPECT_EQ(log.fonts[0].size, 11);
    EXPECT_EQ(log.fonts[0].style, 0);
    EXPECT_EQ(log.calls, 2); // the size query and the font
}

TEST_F(DrawPass, BackgroundColourIsPackedBlueGreenRed) {
    drawWith(16711680.0); // 0xFF0000
    ASSERT_EQ(log.fills.size(), 1u);
    EXPECT_EQ(log.fills[0].red, 0);
    EXPECT_EQ(log.fills[0].green, 0);
    EXPECT_EQ(log.fills[0].blue, 255);
    EXPECT_EQ(log.fills[0].alpha, 255);
    drawWith(255.0);
    ASSERT_EQ(log.fills.size(), 2u);
    EXPECT_EQ(log.fills[1].red, 255);
    EXPECT_EQ(log.fills[1].green, 0);
    EXPECT_EQ(log.fills[1].blue, 0);
    drawWith(3112767.0); // 0x2F7F3F
    ASSERT_EQ(log.fills.size(), 3u);
    EXPECT_EQ(log.fills[2].red, 0x3F);
    EXPECT_EQ(log.fills[2].green, 0x7F);
    EXPECT_EQ(log.fills[2].blue, 0x2F);
    EXPECT_EQ(log.fills[2].alpha, 255);
}

TEST_F(DrawPass, TinyBackgroundSkipsTheFillAndNegativeHalfFillsBlack) {
    drawWith(0.000001);
    drawWith(-0.000001);
    EXPECT_TRUE(log.fills.empty());
    drawWith(-0.5);
    ASSERT_EQ(log.fills.size(), 1u);
    EXPECT_EQ(log.fills[0].red, 0);
    EXPECT_EQ(log.fills[0].green, 0);
    EXPECT_EQ(log.fills[0].blue, 0);
    EXPECT_EQ(log.fills[0].alpha, 255);
    // Far beyond the 64-bit range: saturates, low 32 bits 0xFFFFFFFF.
    drawWith(1e300);
    ASSERT_EQ(log.fills.size(), 2u);
    EXPECT_EQ(log.fills[1].red, 255);
    EXPECT_EQ(log.fills[1].blue, 255);
}

TEST_F(DrawPass, FillCoversTheAreaPlainAndLeavesThePositionAtTheOrigin) {
    drawWith(255.0);
    ASSERT_EQ(log.rects.size(), 1u);
    EXPECT_EQ(log.rects[0].left, 0.0);
    EXPECT_EQ(log.rects[0].top, 0.0);
    EXPECT_EQ(log.rects[0].right, 400.0);
    EXPECT_EQ(log.rects[0].bottom, 300.0);
    EXPECT_EQ(log.rects[0].style, 1);
    ASSERT_EQ(log.drawModes.size(), 1u);
    EXPECT_EQ(log.drawModes[0], 0);
    EXPECT_EQ(effect->DrawX(), 0.0);
    EXPECT_EQ(effect->DrawY(), 0.0);
    EXPECT_EQ(effect->AreaWidth(), 400.0);
    EXPECT_EQ(effect->AreaHeight(), 300.0);
    EXPECT_EQ(effect->PaintAlpha(), 1.0);
}

TEST_F(DrawPass, FontRecordZeroHoldsTheScaledSize) {
    drawWith(0.0);
    const FontRecord& font = effect->FontAt(0);
    EXPECT_EQ(font.name, "Courier New");
    EXPECT_EQ(font.size, 11.049999999999999);
    EXPECT_EQ(font.size, 13.0 * 0.85);
    EXPECT_EQ(font.style, 0);
    EXPECT_EQ(effect->FontBaseSize(), 12.999999999999998);
    EXPECT_EQ(effect->FontCount(), 1u);
}

TEST_F(DrawPass, FallsBackToVerdanaOnlyWhenTheFirstFontFails) {
    log.fontAnswers = {0};
    drawWith(0.0);
    ASSERT_EQ(log.fonts.size(), 2u);
    EXPECT_EQ(log.fonts[1].face, "verdana");
    EXPECT_EQ(log.fonts[1].size, 11);
    EXPECT_EQ(log.fonts[1].style, 0);
    drawWith(0.0); // answers 1 now
    EXPECT_EQ(log.fonts.size(), 3u);
}

TEST_F(DrawPass, KeepsTheAreaWhenThereIsNoEditorAndCopiesTheMouse) {
    log.editorSizeAnswer = 0;
    effect->SetMouse(9.0, -5.5, 1000.25);
    drawWith(255.0);
    EXPECT_EQ(effect->AreaWidth(), 0.0);
    EXPECT_EQ(effect->AreaHeight(), 0.0);
    ASSERT_EQ(log.rects.size(), 1u);
    EXPECT_EQ(log.rects[0].right, 0.0);
    EXPECT_EQ(effect->ViewMouseButtons(), 9.0);
}

TEST(DrawPassShipped, WithoutCanvasEveryCallAnswersZeroAndBothFontsAreTried) {
    // The shipped library gives no canvas interface: the pass still updates its variables.
    TestHost host;
    AEffect* record = createPlugin<TTarvoEffect>(&TestHost::callback);
    ASSERT_NE(record, nullptr);
    record->dispatcher(record, effOpen, 0, 0, nullptr, 0.0f);
    auto* effect = static_cast<TTarvoEffect*>(static_cast<CVeST*>(record->object)->effect());
    EXPECT_EQ(effect->BackgroundColor(), 0.0);
    effect->SetBackgroundColor(255.0);
    effect->OnDraw();
    EXPECT_EQ(effect->AreaWidth(), 0.0);
    EXPECT_EQ(effect->FontAt(0).name, "Courier New");
    EXPECT_EQ(effect->PaintAlpha(), 1.0);
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
}

TEST(DrawPassConfigured, EveryResetGivesTheConfiguredBackground) {
    PluginConfiguration<TTarvoEffect> configuration;
    configuration.prepareEffect = [](TTarvoEffect& effect) {
        effect.SetResetBackgroundColor(3112767.0);
    };
    TestHost host;
    AEffect* record = createPlugin<TTarvoEffect>(&TestHost::callback, configuration);
    ASSERT_NE(record, nullptr);
    auto* effect = static_cast<TTarvoEffect*>(static_cast<CVeST*>(record->object)->effect());
    record->dispatcher(record, effOpen, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(effect->BackgroundColor(), 3112767.0);
    effect->SetBackgroundColor(0.0);
    record->dispatcher(record, effOpen, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(effect->BackgroundColor(), 3112767.0);
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
}
