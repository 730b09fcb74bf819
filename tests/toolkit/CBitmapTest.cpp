// SPDX-License-Identifier: MIT
// Bitmaps: loading from "DATA" resources, copies, the constant-opacity blit with its
// truncation rules, and the start-up holder of the 2-D library.
#include "toolkit/CBitmap.h"
#include "RecordingBackend.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/GDIPlusGlobals.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace VSTGUI::test {
namespace {

using Calls = std::vector<std::string>;

std::vector<unsigned char> encodedImage(std::uint32_t width, std::uint32_t height) {
    std::vector<unsigned char> bytes(8);
    std::memcpy(bytes.data(), &width, 4);
    std::memcpy(bytes.data() + 4, &height, 4);
    return bytes;
}

TEST(Bitmap, LoadsADataResourceByName) {
    ScopedRecordingBackend backend;
    backend->dataResources["knob"] = encodedImage(32, 64);
    auto* bitmap = new CBitmap(CResourceDescription("knob"));
    EXPECT_EQ(bitmap->getWidth(), 32);
    EXPECT_EQ(bitmap->getHeight(), 64);
    EXPECT_FALSE(bitmap->getNoAlpha()); // dispose ran first
    EXPECT_EQ(backend->calls, (Calls{
                                  "startup()",
                                  "findDataResource(\"knob\")",
                                  "createBitmapFromEncodedBytes(8) -> image1",
                                  "getImageWidth(image1)",
                                  "getImageHeight(image1)",
                              }));
    backend->clearLog();
    bitmap->release();
    EXPECT_EQ(backend->calls, (Calls{"disposeImage(image1)", "shutdown(0x0000070c)"}));
}

TEST(Bitmap, MissingResourceLoadsEmptyAndAnswersTrue) {
    ScopedRecordingBackend backend;
    auto* bitmap = new CBitmap(CResourceDescription(0x12345));
    EXPECT_EQ(bitmap->getWidth(), 0);
    EXPECT_EQ(bitmap->getHeight(), 0);
    EXPECT_TRUE(bitmap->loadFromResource(CResourceDescription("absent")));
    EXPECT_EQ(bitmap->getWidth(), 0);
    EXPECT_EQ(backend->callsOf("findDataResource"),
              (Calls{"findDataResource(#9029)", "findDataResource(\"absent\")"}));
    EXPECT_EQ(backend->callsOf("createBitmapFromModuleResource"),
              (Calls{"createBitmapFromModuleResource(#9029) -> none",
                     "createBitmapFromModuleResource(\"absent\") -> none"}));
    bitmap->release();
}

TEST(Bitmap, UndecodableDataKeepsAnEmptyPlatformBitmapAndSkipsTheBitmapResource) {
    ScopedRecordingBackend backend;
    backend->dataResources["broken"] = {1, 2, 3};
    backend->resourceImages["broken"] = {5, 5};
    auto* bitmap = new CBitmap(CResourceDescription("broken"));
    EXPECT_EQ(bitmap->getWidth(), 0);
    EXPECT_EQ(backend->count("createBitmapFromModuleResource"), 0u);
    ASSERT_NE(bitmap->getPlatformBitmap(), nullptr);
    EXPECT_EQ(bitmap->getPlatformBitmap()->handle, nullptr);
    bitmap->release();
}

TEST(Bitmap, FallsBackToTheModuleBitmapResource) {
    ScopedRecordingBackend backend;
    backend->resourceImages["logo"] = {7, 9};
    auto* bitmap = new CBitmap(CResourceDescription("logo"));
    EXPECT_EQ(bitmap->getWidth(), 7);
    EXPECT_EQ(bitmap->getHeight(), 9);
    bitmap->release();
}

TEST(Bitmap, SizeFormAndCopyForm) {
    ScopedRecordingBackend backend;
    auto* empty = new CBitmap(nullptr, 20.9, 10.2);
    EXPECT_EQ(backend->callsOf("createBitmapFromScan0"),
              (Calls{"createBitmapFromScan0(20, 10, 0, 0x0026200a, none) -> image1"}));
    EXPECT_EQ(empty->getWidth(), 20.9); // stored as given
    auto* copy = new CBitmap(empty->getPlatformBitmap()->handle);
    EXPECT_EQ(backend->callsOf("cloneBitmapAreaI"),
              (Calls{"cloneBitmapAreaI(0, 0, 20, 10, 0x0026200a, image1) -> image2"}));
    EXPECT_EQ(copy->getWidth(), 20);
    EXPECT_EQ(copy->getHeight(), 10);
    auto* failed = new CBitmap(static_cast<platform::ImageHandle>(nullptr));
    EXPECT_EQ(failed->getWidth(), 0);
    EXPECT_EQ(failed->getPlatformBitmap(), nullptr);
    EXPECT_EQ(backend->startups, 1);
    failed->release();
    copy->release();
    empty->release();
    EXPECT_EQ(backend->shutdowns, 1);
    EXPECT_EQ(backend->live["image"], 0);
}

class BitmapDrawTest : public testing::Test {
protected:
    BitmapDrawTest() {
        backend->dataResources["pic"] = encodedImage(50, 50);
        bitmap = new CBitmap(CResourceDescription("pic"));
        context = new CDrawContext(nullptr, nullptr, backend->makeWindow({0, 0, 10, 10}));
        backend->clearLog();
    }
    ~BitmapDrawTest() override {
        context->release();
        bitmap->release();
    }
    ScopedRecordingBackend backend;
    CBitmap* bitmap = nullptr;
    CDrawContext* context = nullptr;
};

TEST_F(BitmapDrawTest, OpaqueDrawTruncatesEachPartSeparately) {
    context->setOffset(CCoordPoint(2.7, 3.7));
    bitmap->draw(context, CCoordRect(1.9, 1.9, 12.8, 12.8), CCoordPoint(4.9, 5.9));
    // w = trunc(10.9), dx = trunc(1.9) + trunc(2.7)
    EXPECT_EQ(backend->calls,
              (Calls{
                  "createImageAttributes() -> attributes1",
                  "drawImageRectRectI(g1, image1, 3, 4, 10, 10, 4, 5, 10, 10, none)",
                  "disposeImageAttributes(attributes1)",
              }));
    backend->clearLog();
    bitmap->drawTransparent(context, CCoordRect(0, 0, 10.9, 10.9));
    EXPECT_EQ(backend->callsOf("drawImageRectRectI"),
              (Calls{"drawImageRectRectI(g1, image1, 2, 3, 10, 10, 0, 0, 10, 10, none)"}));
}

TEST_F(BitmapDrawTest, AlphaBlendGoesThroughATemporaryBitmapWithAColourMatrix) {
    bitmap->drawAlphaBlend(context, CCoordRect(5, 6, 25, 16), CCoordPoint(1, 2), 51);
    EXPECT_EQ(backend->calls,
              (Calls{
                  "createImageAttributes() -> attributes1",
                  "setImageAttributesColorMatrix(attributes1, 1, on, [1 0 0 0 0 0 1 0 0 0 0 0 1 "
                  "0 0 0 0 0 0.2 0 0 0 0 0 0], 0)",
                  "createBitmapFromScan0(20, 10, 0, 0x0026200a, none) -> image2",
                  "createGraphicsOnImage(image2) -> g2",
                  "drawImageRectRectI(g2, image1, 0, 0, 20, 10, 1, 2, 20, 10, none)",
                  "drawImageRectRectI(g1, image2, 5, 6, 20, 10, 0, 0, 20, 10, attributes1)",
                  "deleteGraphics(g2)",
                  "disposeImage(image2)",
                  "disposeImageAttributes(attributes1)",
              }));
}

TEST_F(BitmapDrawTest, NothingWithoutGraphicsOrImage) {
    auto* bare = new CDrawContext(nullptr, nullptr, nullptr);
    backend->clearLog();
    bitmap->draw(bare, CCoordRect(0, 0, 5, 5));
    bitmap->dispose();
    bitmap->draw(context, CCoordRect(0, 0, 5, 5));
    EXPECT_EQ(backend->count("drawImageRectRectI"), 0u);
    EXPECT_EQ(backend->count("createImageAttributes"), 0u);
    bare->release();
}

TEST(GdiPlusGlobals, StartsOnceAndShutsDownAfterTheLastUserFreeingBuiltInFonts) {
    ScopedRecordingBackend backend;
    GDIPlusGlobals::enter();
    GDIPlusGlobals::enter();
    EXPECT_EQ(backend->startups, 1);
    kDefaultFont->getPlatformFont();
    GDIPlusGlobals::exit();
    EXPECT_EQ(backend->shutdowns, 0);
    EXPECT_TRUE(kDefaultFont->hasPlatformFont());
    backend->clearLog();
    GDIPlusGlobals::exit();
    EXPECT_EQ(GDIPlusGlobals::instance(), nullptr);
    EXPECT_FALSE(kDefaultFont->hasPlatformFont());
    EXPECT_EQ(backend->calls, (Calls{"deleteFont(font1)", "shutdown(0x0000070c)"}));
    GDIPlusGlobals::exit(); // one too many: nothing happens
    EXPECT_EQ(backend->shutdowns, 1);
}

TEST(GdiPlusGlobals, ALibraryThatDidNotStartIsNotShutDown) {
    ScopedRecordingBackend backend;
    backend->failNext("startup", 1);
    GDIPlusGlobals::enter();
    GDIPlusGlobals::exit();
    EXPECT_EQ(backend->startups, 1);
    EXPECT_EQ(backend->shutdowns, 0);
}

} // namespace
} // namespace VSTGUI::test
