// SPDX-License-Identifier: MIT
// The Linux back end's part of the drawing cases (DrawingCases.cpp): pixels read back from the
// cairo image surface, the test picture decoded from its PNG file, and the reference scene set
// beside the Windows library's picture of it. Then what only cairo does: blended edges in
// anti-alias mode, images from PNG bytes and no module resources.
#include "DrawingCases.h"
#include "toolkit/GDIPlusGlobals.h"

#include "X11TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace VSTGUI;

namespace drawing_cases {

std::uint32_t readPixel(COffscreenContext* context, int x, int y) {
    std::uint32_t argb = 0;
    EXPECT_EQ(x11::pixelOf(context->getBitmap()->getPlatformBitmap()->handle, x, y, argb),
              platform::kOk);
    return argb;
}

CBitmap* loadTestImage() {
    // Linux has no module resources: the picture comes from its file.
    const std::string bytes = x11_test::readFile(QT_TEST_IMAGE_FILE);
    return CBitmap::decode(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

// The reference scene, set beside the Windows library's picture of it. The scene draws in
// anti-alias mode, which the Windows picture (made by wine's library) does not blend while cairo
// does, and the texts come from different rasterisers: over the whole picture at most 4 % of the
// pixels may differ by more than 64 levels in a channel and the mean difference must stay under 6
// levels (seen: 2.5 % and 3.0). Whole-pixel shapes and images must be identical. The three pictures
// are written side by side to the build folder.
void checkReferenceScene(COffscreenContext* context) {
    const x11_test::Picture ours =
        x11_test::pictureOf(context->getBitmap()->getPlatformBitmap()->handle);
    const x11_test::Picture windows = x11_test::loadPng(QT_GDIPLUS_REFERENCE_SCENE);
    ASSERT_EQ(windows.width, 200);
    ASSERT_EQ(windows.height, 120);
    const x11_test::Comparison result = x11_test::compare(windows, ours);
    const std::string written =
        x11_test::saveSideBySide(windows, ours, "reference-scene-gdiplus-cairo-difference.png");
    EXPECT_FALSE(written.empty());
    std::printf("reference scene: %d of %d pixels differ by more than 64, mean difference "
                "%.2f, largest %d (%s)\n",
                result.farOff, result.pixels, result.meanDifference, result.largest,
                written.c_str());
    EXPECT_LE(result.farOff, result.pixels * 4 / 100);
    // Whole-pixel shapes are the same pixel for pixel: the filled and outlined rectangle, the
    // row of points and the two opaque image blits; the blended one within a level.
    const auto sameIn = [&](int left, int top, int right, int bottom) {
        int differing = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (windows.argb[static_cast<std::size_t>(y) * 200 + static_cast<std::size_t>(x)] !=
                    ours.argb[static_cast<std::size_t>(y) * 200 + static_cast<std::size_t>(x)])
                    ++differing;
        return differing;
    };
    EXPECT_EQ(sameIn(0, 0, 48, 40), 0) << "rectangle";
    EXPECT_EQ(sameIn(48, 58, 72, 63), 0) << "points";
    EXPECT_EQ(sameIn(125, 76, 190, 88), 0) << "opaque images";
    EXPECT_EQ(sameIn(125, 96, 190, 110), 0) << "opaque images";
    const x11_test::Comparison blend = x11_test::compare(x11_test::crop(windows, 130, 90, 137, 95),
                                                         x11_test::crop(ours, 130, 90, 137, 95));
    EXPECT_LE(blend.largest, 1) << "the alpha blend rounds within one level";
    EXPECT_LT(result.meanDifference, 6.0);
}

} // namespace drawing_cases

namespace {

using drawing_cases::readPixel;

class CairoDrawingTest : public testing::Test {
protected:
    void SetUp() override { GDIPlusGlobals::enter(); }
    void TearDown() override { GDIPlusGlobals::exit(); }

    static COffscreenContext* makeContext(int width, int height) {
        auto* context = new COffscreenContext(nullptr, width, height, kWhiteCColor);
        context->setFillColor(kWhiteCColor);
        context->drawRect(CCoordRect(0, 0, width, height), kDrawFilled);
        return context;
    }
};

TEST_F(CairoDrawingTest, ShapesAreSharpUnlessTheDrawModeIsAntiAlias) {
    COffscreenContext* plain = makeContext(40, 40);
    plain->setFillColor(kBlackCColor);
    plain->drawEllipse(CCoordRect(2, 2, 38, 38), kDrawFilled);
    COffscreenContext* smooth = makeContext(40, 40);
    smooth->setDrawMode(kDrawModeAntialias);
    smooth->setFillColor(kBlackCColor);
    smooth->drawEllipse(CCoordRect(2, 2, 38, 38), kDrawFilled);
    int greyPlain = 0;
    int greySmooth = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const auto isGrey = [](std::uint32_t p) {
                return p != 0xFFFFFFFFu && p != 0xFF000000u;
            };
            greyPlain += isGrey(readPixel(plain, x, y)) ? 1 : 0;
            greySmooth += isGrey(readPixel(smooth, x, y)) ? 1 : 0;
        }
    EXPECT_EQ(greyPlain, 0) << "without anti-aliasing every pixel is in or out";
    EXPECT_GT(greySmooth, 20) << "the edge of a smooth circle is blended";
    plain->release();
    smooth->release();
}

TEST_F(CairoDrawingTest, ImagesAreDecodedFromPngBytesAndNotFromModuleResources) {
    const std::string bytes = x11_test::readFile(QT_TEST_IMAGE_FILE);
    ASSERT_FALSE(bytes.empty());
    namespace b = VSTGUI::platform::drawing2d;
    platform::ImageHandle image = nullptr;
    ASSERT_EQ(b::createBitmapFromEncodedBytes(bytes.data(),
                                              static_cast<std::uint32_t>(bytes.size()), image),
              platform::kOk);
    std::uint32_t width = 0;
    ASSERT_EQ(b::getImageWidth(image, width), platform::kOk);
    EXPECT_EQ(width, 7u);
    std::uint32_t argb = 0;
    ASSERT_EQ(VSTGUI::x11::pixelOf(image, 0, 0, argb), platform::kOk);
    EXPECT_EQ(argb, 0xFFFF0000u);
    b::disposeImage(image);

    const char notAnImage[] = "GIF89a and some more bytes";
    EXPECT_NE(b::createBitmapFromEncodedBytes(notAnImage, sizeof notAnImage, image), platform::kOk);

    auto* resource = new CBitmap(CResourceDescription("TESTIMAGE"));
    EXPECT_EQ(resource->getWidth(), 0.0) << "a shared object has no resources";
    EXPECT_EQ(resource->getHeight(), 0.0);
    resource->release();
}

} // namespace
