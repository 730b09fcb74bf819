// SPDX-License-Identifier: MIT
#include "TestSupport.h"

#include <gdiplus.h>

namespace toolkit_test {

HMODULE testResources() {
    static const HMODULE module = [] {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring file(path, length);
        file.erase(file.find_last_of(L"\\/") + 1);
        file += QT_TEST_RESOURCES_FILE_NAME;
        return LoadLibraryW(file.c_str());
    }();
    return module;
}

HWND makeHostWindow(int x, int y, int width, int height) {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QtToolkitTestHost";
        return RegisterClassW(&windowClass) != 0;
    }();
    if (!registered) return nullptr;
    return CreateWindowExW(0, L"QtToolkitTestHost", L"host",
                           WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

GdiplusSession::GdiplusSession() {
    m_ok = VSTGUI::platform::drawing2d::startup(m_token) == VSTGUI::platform::kOk;
}

GdiplusSession::~GdiplusSession() {
    if (m_ok) VSTGUI::platform::drawing2d::shutdown(m_token);
}

VSTGUI::platform::Status pixelOf(VSTGUI::platform::ImageHandle image, int x, int y,
                                 std::uint32_t& argb) {
    Gdiplus::ARGB value = 0;
    const auto status = Gdiplus::DllExports::GdipBitmapGetPixel(
        static_cast<Gdiplus::GpBitmap*>(reinterpret_cast<Gdiplus::GpImage*>(image)), x, y, &value);
    if (status == Gdiplus::Ok) argb = value;
    return static_cast<VSTGUI::platform::Status>(status);
}

std::wstring savePicture(VSTGUI::platform::ImageHandle image, const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    folder += L"toolkit-pictures";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = folder + L"\\" + name + L".png";
    // The PNG encoder of GDI+.
    const CLSID png = {
        0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    const auto status = Gdiplus::DllExports::GdipSaveImageToFile(
        reinterpret_cast<Gdiplus::GpImage*>(image), file.c_str(), &png, nullptr);
    return status == Gdiplus::Ok ? file : std::wstring();
}

} // namespace toolkit_test
