// SPDX-License-Identifier: MIT
// Bitmaps loaded from a module's "DATA" resources.
#include "toolkit/CBitmap.h"
#include "toolkit/platform/win32_gdiplus/Win32Backend.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace VSTGUI;

// Toolkit objects are reference counted: release() deletes them, which the static analyzer
// cannot follow through the virtual call.
// NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
namespace {

class BitmapResourceTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(toolkit_test::testResources(), nullptr);
        win32::setResourceModule(toolkit_test::testResources());
    }
    void TearDown() override { win32::setResourceModule(nullptr); }
};

TEST_F(BitmapResourceTest, APngResourceLoadsWithItsSize) {
    auto* bitmap = new CBitmap(CResourceDescription("TESTIMAGE"));
    EXPECT_EQ(bitmap->getWidth(), 7.0);
    EXPECT_EQ(bitmap->getHeight(), 5.0);
    ASSERT_NE(bitmap->getPlatformBitmap(), nullptr);
    std::uint32_t argb = 0;
    EXPECT_EQ(toolkit_test::pixelOf(bitmap->getPlatformBitmap()->handle, 6, 4, argb),
              platform::kOk);
    EXPECT_EQ(argb, 0xFF00FF00u);
    // Names are found whatever their case, as the system looks them up.
    EXPECT_TRUE(bitmap->loadFromResource(CResourceDescription("testimage")));
    EXPECT_EQ(bitmap->getWidth(), 7.0);
    bitmap->release();
}

TEST_F(BitmapResourceTest, AMissingNameOrNumberGivesAnEmptyBitmap) {
    auto* bitmap = new CBitmap(CResourceDescription("NOSUCHIMAGE"));
    EXPECT_EQ(bitmap->getWidth(), 0.0);
    EXPECT_EQ(bitmap->getHeight(), 0.0);
    EXPECT_TRUE(bitmap->loadFromResource(CResourceDescription(1234)));
    EXPECT_EQ(bitmap->getWidth(), 0.0);
    EXPECT_EQ(bitmap->getHeight(), 0.0);
    bitmap->release();
}

TEST_F(BitmapResourceTest, TheProgramItselfCarriesNoImages) {
    win32::setResourceModule(nullptr);
    EXPECT_EQ(win32::resourceModule(), GetModuleHandleW(nullptr));
    auto* bitmap = new CBitmap(CResourceDescription("TESTIMAGE"));
    EXPECT_EQ(bitmap->getWidth(), 0.0);
    bitmap->release();
}

} // namespace
// NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
