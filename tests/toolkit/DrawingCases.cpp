// SPDX-License-Identifier: MIT
// Pixels drawn through the draw context into offscreen bitmaps, the same cases and the same
// expected pixels on every 2-D back end (GDI+ under wine, cairo under Xvfb), each reading its
// pixels back its own way (DrawingCases.h), and the reference scene that sets the back ends'
// pictures side by side.
#include "DrawingCases.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/GDIPlusGlobals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

using namespace VSTGUI;

namespace {

constexpr CRgbaColor kRed{255, 0, 0, 255};
constexpr CRgbaColor kBlue{0, 0, 255, 255};

// Pixel bounds of every pixel that differs from a reference colour.
struct Lit {
    int count = 0;
    int left = 1 << 20;
    int top = 1 << 20;
    int right = -1; // inclusive
    int bottom = -1;

    bool operator==(const Lit&) const = default;
};

void PrintTo(const Lit& lit, std::ostream* out) {
    *out << lit.count << " pixels in x " << lit.left << ".." << lit.right << ", y " << lit.top
         << ".." << lit.bottom;
}

class DrawingTest : public testing::Test {
protected:
    // The library stays up for the whole test, so that contexts made before any bitmap get
    // their pen and brushes.
    void SetUp() override { GDIPlusGlobals::enter(); }
    void TearDown() override { GDIPlusGlobals::exit(); }

    // A context whose pixels all start as `background`.
    static COffscreenContext* makeContext(int width, int height,
                                          const CRgbaColor& background = kWhiteCColor) {
        auto* context = new COffscreenContext(nullptr, width, height, background);
        context->setFillColor(background);
        context->drawRect(CCoordRect(0, 0, width, height), kDrawFilled);
        return context;
    }

    static std::uint32_t pixel(COffscreenContext* context, int x, int y) {
        return drawing_cases::readPixel(context, x, y);
    }

    static Lit lit(COffscreenContext* context, std::uint32_t background) {
        Lit found;
        const int width = static_cast<int>(context->getWidth());
        const int height = static_cast<int>(context->getHeight());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                if (pixel(context, x, y) == background) continue;
                ++found.count;
                found.left = std::min(found.left, x);
                found.top = std::min(found.top, y);
                found.right = std::max(found.right, x);
                found.bottom = std::max(found.bottom, y);
            }
        return found;
    }

    static constexpr std::uint32_t kWhite = 0xFFFFFFFFu;
};

TEST_F(DrawingTest, AFilledTenByTenRectangleCoversTenByTenPixels) {
    COffscreenContext* context = makeContext(30, 30);
    context->setFillColor(kRed);
    context->drawRect(CCoordRect(5, 5, 15, 15), kDrawFilled);
    EXPECT_EQ(lit(context, kWhite), (Lit{100, 5, 5, 14, 14}));
    EXPECT_EQ(pixel(context, 5, 5), 0xFFFF0000u);
    context->release();
}

TEST_F(DrawingTest, ItsOutlineRunsOnTheSameTenByTenPixels) {
    COffscreenContext* context = makeContext(30, 30);
    context->setFrameColor(kBlue);
    // Given reversed: ordered before drawing.
    context->drawRect(CCoordRect(15, 15, 5, 5), kDrawStroked);
    EXPECT_EQ(lit(context, kWhite), (Lit{36, 5, 5, 14, 14}))
        << "a one-pixel ring around a 9 x 9 path";
    EXPECT_EQ(pixel(context, 10, 10), kWhite);
    EXPECT_EQ(pixel(context, 14, 9), 0xFF0000FFu);
    context->release();
}

TEST_F(DrawingTest, LineEndsAreTruncatedTowardsZero) {
    COffscreenContext* context = makeContext(20, 5);
    context->setFrameColor(kRed);
    context->moveTo(CCoordPoint(0.9, 0.9));
    context->lineTo(CCoordPoint(10.7, 0.2));
    EXPECT_EQ(lit(context, kWhite), (Lit{11, 0, 0, 10, 0}));
    context->release();
}

TEST_F(DrawingTest, AFilledArcFromZeroToNinetyCoversOneQuadrant) {
    COffscreenContext* context = makeContext(40, 40);
    context->setFillColor(kRed);
    context->drawArc(CCoordRect(0, 0, 40, 40), 0.0f, 90.0f, kDrawFilled);
    // Clockwise from the positive x axis: the quadrant right of and below the centre. The path
    // holds the arc alone, so the fill closes it with the chord: the segment between chord and
    // arc is filled, not the pie slice.
    const Lit quadrant = lit(context, kWhite);
    EXPECT_GE(quadrant.left, 19);
    EXPECT_GE(quadrant.top, 19);
    EXPECT_LE(quadrant.right, 39);
    EXPECT_LE(quadrant.bottom, 39);
    EXPECT_EQ(pixel(context, 33, 33), 0xFFFF0000u);
    EXPECT_EQ(pixel(context, 36, 28), 0xFFFF0000u);
    EXPECT_EQ(pixel(context, 24, 24), kWhite) << "inside the chord";
    EXPECT_EQ(pixel(context, 38, 38), kWhite) << "outside the circle";
    // A quarter of a circle of radius 20 less the triangle under the chord: about 114 pixels.
    EXPECT_NEAR(quadrant.count, 114, 20);
    context->release();
}

TEST_F(DrawingTest, AlphaBlendAtHalfGivesHalfTheColourAndFullGivesTheColour) {
    COffscreenContext* source = makeContext(10, 10, kRed);
    COffscreenContext* context = makeContext(30, 10, kBlackCColor);
    source->getBitmap()->drawAlphaBlend(context, CCoordRect(0, 0, 10, 10), CCoordPoint(), 128);
    source->getBitmap()->drawAlphaBlend(context, CCoordRect(10, 0, 20, 10), CCoordPoint(), 255);
    const std::uint32_t half = pixel(context, 5, 5);
    EXPECT_NEAR(static_cast<int>((half >> 16) & 0xFF), 128, 2);
    EXPECT_EQ((half >> 8) & 0xFF, 0u);
    EXPECT_EQ(half & 0xFF, 0u);
    EXPECT_EQ(pixel(context, 15, 5), 0xFFFF0000u);
    EXPECT_EQ(pixel(context, 25, 5), 0xFF000000u) << "nothing beyond the destination";
    context->release();
    source->release();
}

TEST_F(DrawingTest, AFractionalDestinationIsTruncatedToWholePixels) {
    COffscreenContext* source = makeContext(20, 20, kRed);
    COffscreenContext* context = makeContext(20, 20);
    source->getBitmap()->draw(context, CCoordRect(2, 2, 12.9, 12.9));
    EXPECT_EQ(lit(context, kWhite), (Lit{100, 2, 2, 11, 11}));
    context->release();
    source->release();
}

TEST_F(DrawingTest, TextAppearsInsideItsRectangle) {
    COffscreenContext* context = makeContext(120, 40);
    context->setFont(kDefaultFont);
    context->setFontColor(kBlackCColor);
    EXPECT_GT(context->getStringWidth("Level"), 10.0) << "Arial or its metric twin must be found";
    context->drawString("Level", CCoordRect(10, 10, 110, 30), kAlignLeft, true);
    const Lit text = lit(context, kWhite);
    EXPECT_GT(text.count, 20);
    EXPECT_GE(text.left, 10);
    EXPECT_GE(text.top, 10);
    EXPECT_LT(text.right, 110);
    EXPECT_LT(text.bottom, 30);
    context->release();
}

TEST_F(DrawingTest, TextWiderThanItsRectangleIsCutByTheClip) {
    COffscreenContext* context = makeContext(120, 40);
    context->setFont(kDefaultFont);
    context->setFontColor(kBlackCColor);
    const char* text = "WWWWWWWWWWWW";
    ASSERT_GT(context->getStringWidth(text), 40.0);
    context->drawString(text, CCoordRect(40, 10, 60, 30), kAlignCenter, true);
    const Lit drawn = lit(context, kWhite);
    EXPECT_GT(drawn.count, 10);
    EXPECT_GE(drawn.left, 40);
    EXPECT_LT(drawn.right, 60);
    // The clip in force before the call is back: a fill reaches the whole context again.
    CCoordRect clip;
    context->getClipRect(clip);
    EXPECT_EQ(clip, CCoordRect(0, 0, 120, 40));
    context->setFillColor(kRed);
    context->drawRect(CCoordRect(0, 0, 120, 40), kDrawFilled);
    EXPECT_EQ(pixel(context, 1, 1), 0xFFFF0000u);
    context->release();
}

TEST_F(DrawingTest, AMissingFamilyMeasuresZeroAndDrawsNothing) {
    COffscreenContext* context = makeContext(100, 30);
    auto* missing = new CFontDesc("No Such Family Anywhere", 12);
    context->setFont(missing);
    context->setFontColor(kBlackCColor);
    EXPECT_EQ(context->getStringWidth("Level"), 0.0);
    context->drawString("Level", CCoordRect(0, 0, 100, 30), kAlignLeft, true);
    context->drawString("Level", CCoordPoint(5, 20), true);
    EXPECT_EQ(lit(context, kWhite).count, 0);
    context->release();
    missing->release();
}

TEST_F(DrawingTest, TextAtAPointStandsOnItsBaseLine) {
    COffscreenContext* context = makeContext(100, 60);
    context->setFont(kFontBig); // 14 pixels
    context->setFontColor(kBlackCColor);
    context->drawString("Hx", CCoordPoint(10, 40), false);
    const Lit text = lit(context, kWhite);
    EXPECT_GT(text.count, 10);
    EXPECT_GE(text.left, 10);
    // The layout box starts one font height (about 16 pixels for 14-pixel Arial) above the
    // base line + 1, so the glyphs lie within that band.
    EXPECT_LE(text.bottom, 41);
    EXPECT_GE(text.top, 40 + 1 - 18);
    EXPECT_LT(text.top, 40 - 5) << "capitals reach well above the base line";
    context->release();
}

TEST_F(DrawingTest, ADottedLineHasGapsAndAFilledEllipseStaysInsideItsBox) {
    COffscreenContext* context = makeContext(50, 30);
    context->setFrameColor(kBlackCColor);
    context->setLineStyle(kLineDotted);
    context->moveTo(CCoordPoint(0, 0));
    context->lineTo(CCoordPoint(40, 0));
    int dots = 0;
    for (int x = 0; x <= 40; ++x)
        dots += pixel(context, x, 0) != kWhite ? 1 : 0;
    EXPECT_GT(dots, 5);
    EXPECT_LT(dots, 35);
    context->setFillColor(kRed);
    context->drawEllipse(CCoordRect(10, 5, 30, 25), kDrawFilled);
    EXPECT_EQ(pixel(context, 20, 15), 0xFFFF0000u);
    EXPECT_EQ(pixel(context, 10, 5), kWhite) << "corners of the box stay empty";
    EXPECT_EQ(pixel(context, 29, 24), kWhite);
    EXPECT_EQ(pixel(context, 30, 15), kWhite) << "width is one less than the box";
    context->release();
}

TEST_F(DrawingTest, APointIsOnePixelWideAndTwoOfThemSpanTheirLine) {
    COffscreenContext* context = makeContext(10, 10);
    context->drawPoint(CCoordPoint(3, 4), kRed);
    EXPECT_EQ(pixel(context, 3, 4), 0xFFFF0000u);
    const Lit point = lit(context, kWhite);
    // The point is a line from x to x + 1: both end pixels, as the Windows library draws it.
    EXPECT_EQ(point.count, 2);
    EXPECT_EQ(point.top, 4);
    EXPECT_EQ(point.bottom, 4);
    context->release();
}

TEST_F(DrawingTest, TheClipReplacesThePreviousOne) {
    COffscreenContext* context = makeContext(20, 20);
    context->setClipRect(CCoordRect(0, 0, 5, 5));
    context->setClipRect(CCoordRect(10, 10, 20, 20));
    context->setFillColor(kRed);
    context->drawRect(CCoordRect(0, 0, 20, 20), kDrawFilled);
    EXPECT_EQ(pixel(context, 2, 2), kWhite);
    EXPECT_EQ(pixel(context, 15, 15), 0xFFFF0000u);
    EXPECT_EQ(lit(context, kWhite).count, 100);
    context->release();
}

TEST_F(DrawingTest, AFontTwiceAsLargeMeasuresAboutTwiceAsWide) {
    COffscreenContext* context = makeContext(10, 10);
    auto* small = new CFontDesc("Arial", 10);
    auto* large = new CFontDesc("Arial", 20);
    context->setFont(small);
    const double narrow = context->getStringWidth("Trim -6.0 dB");
    context->setFont(large);
    const double wide = context->getStringWidth("Trim -6.0 dB");
    EXPECT_NEAR(wide / narrow, 2.0, 0.1) << "sizes are in pixels, not points";
    context->release();
    small->release();
    large->release();
}

// A scene with every primitive, text and a bitmap: the back ends' pictures of it are set side
// by side.
TEST_F(DrawingTest, ReferenceScene) {
    COffscreenContext* context = makeContext(200, 120);
    context->setDrawMode(kDrawModeAntialias);
    context->setFillColor(CRgbaColor{40, 120, 200, 255});
    context->setFrameColor(CRgbaColor{10, 10, 10, 255});
    context->drawRect(CCoordRect(5, 5, 45, 35), kDrawFilledAndStroked);
    context->setFillColor(CRgbaColor{220, 60, 40, 255});
    context->drawEllipse(CCoordRect(50, 5, 90, 35), kDrawFilledAndStroked);
    context->setFillColor(CRgbaColor{60, 180, 60, 255});
    context->drawArc(CCoordRect(95, 5, 135, 45), 0.0f, 90.0f, kDrawFilled);
    context->drawArc(CCoordRect(95, 5, 135, 45), 180.0f, 300.0f, kDrawStroked);
    context->setLineWidth(2);
    context->moveTo(CCoordPoint(140, 5));
    context->lineTo(CCoordPoint(195, 35));
    context->setLineStyle(kLineDotted);
    context->moveTo(CCoordPoint(140, 35));
    context->lineTo(CCoordPoint(195, 5));
    context->setLineStyle(kLineSolid);
    context->setLineWidth(1);
    const CCoordPoint triangle[] = {{5, 75}, {25, 45}, {45, 75}};
    context->setFillColor(CRgbaColor{240, 200, 40, 255});
    context->drawPolygon(triangle, 3, kDrawFilledAndStroked);
    for (int i = 0; i < 10; ++i)
        context->drawPoint(CCoordPoint(50 + 2 * i, 60), kRed);
    context->setFont(kFontBig);
    context->setFontColor(kBlackCColor);
    context->drawString("Trim -6.0 dB", CCoordRect(80, 45, 195, 70), kAlignCenter, true);
    context->drawString("left", CCoordPoint(80, 95), false);
    CBitmap* image = drawing_cases::loadTestImage();
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->getWidth(), 7.0);
    image->draw(context, CCoordRect(150, 80, 185, 105));
    image->draw(context, CCoordRect(130, 80, 137, 85));
    image->drawAlphaBlend(context, CCoordRect(130, 90, 137, 95), CCoordPoint(), 100);
    EXPECT_EQ(pixel(context, 130, 80), 0xFFFF0000u);
    EXPECT_EQ(pixel(context, 136, 80), 0xFF0000FFu);
    EXPECT_EQ(pixel(context, 20, 20), 0xFF2878C8u);

    drawing_cases::checkReferenceScene(context);
    image->release();
    context->release();
}

} // namespace
