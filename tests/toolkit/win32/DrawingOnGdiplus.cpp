// SPDX-License-Identifier: MIT
// The Windows back end's part of the drawing cases (DrawingCases.cpp): pixels read back by
// GDI+ itself, the test picture from the test library's resources, and the reference scene
// saved as the PNG picture that the other back ends are compared with.
#include "DrawingCases.h"
#include "toolkit/platform/win32_gdiplus/Win32Backend.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace VSTGUI;

namespace drawing_cases {

std::uint32_t readPixel(COffscreenContext* context, int x, int y) {
    std::uint32_t argb = 0;
    EXPECT_EQ(toolkit_test::pixelOf(context->getBitmap()->getPlatformBitmap()->handle, x, y, argb),
              platform::kOk);
    return argb;
}

CBitmap* loadTestImage() {
    win32::setResourceModule(toolkit_test::testResources());
    auto* image = new CBitmap(CResourceDescription("TESTIMAGE"));
    win32::setResourceModule(nullptr);
    return image;
}

// Saved for people to look at, and copied into the Linux tests' data as the picture the cairo
// back end is compared with.
void checkReferenceScene(COffscreenContext* context) {
    const std::wstring written = toolkit_test::savePicture(
        context->getBitmap()->getPlatformBitmap()->handle, L"reference-scene");
    EXPECT_FALSE(written.empty());
    EXPECT_NE(GetFileAttributesW(written.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace drawing_cases
