// SPDX-License-Identifier: MIT
// Shared pieces of the Windows toolkit tests: the test resource library, a GDI+ session for
// tests that use the back end without toolkit objects, and the folder for reference pictures.
#pragma once

#include "toolkit/platform/Drawing2D.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace toolkit_test {

// The library carrying the "DATA" resource TESTIMAGE (a 7 x 5 PNG), loaded once.
HMODULE testResources();

// A visible top-level window standing in for the host's editor window.
HWND makeHostWindow(int x, int y, int width, int height);

// GDI+ started through the back end for the lifetime of the object.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const noexcept { return m_ok; }

private:
    std::uintptr_t m_token = 0;
    bool m_ok = false;
};

// One pixel of a GDI+ bitmap as ARGB, read by GDI+ itself (GdipBitmapGetPixel).
VSTGUI::platform::Status pixelOf(VSTGUI::platform::ImageHandle image, int x, int y,
                                 std::uint32_t& argb);

// Saves a GDI+ image as PNG under "toolkit-pictures" next to the test program; answers the
// path written, or an empty text on failure.
std::wstring savePicture(VSTGUI::platform::ImageHandle image, const wchar_t* name);

// ARGB parts.
constexpr std::uint32_t alphaOf(std::uint32_t argb) {
    return argb >> 24;
}
constexpr std::uint32_t redOf(std::uint32_t argb) {
    return (argb >> 16) & 0xFFu;
}
constexpr std::uint32_t greenOf(std::uint32_t argb) {
    return (argb >> 8) & 0xFFu;
}
constexpr std::uint32_t blueOf(std::uint32_t argb) {
    return argb & 0xFFu;
}

} // namespace toolkit_test
