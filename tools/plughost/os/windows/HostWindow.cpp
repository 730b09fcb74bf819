// SPDX-License-Identifier: MIT
// The host window on Windows: a top-level window whose client area has the editor's size, its
// handle given to the plug-in's effEditOpen, and the picture of the client area (child windows
// included) copied from the window's device context and saved through GDI+'s PNG encoder.
#include "os/HostWindow.h"

#include "core/Failure.h"

#include <windows.h>
// After windows.h, which it needs.
#include <gdiplus.h>

#include <algorithm>

namespace plughost {
namespace {

constexpr wchar_t kWindowClass[] = L"PlughostHostWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Text in the program's code page (as its arguments come) for the wide Windows functions.
std::wstring widen(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 1)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    return wide;
}

// The close box only marks the window as closed: the editor is closed first, then the window
// destroyed.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 1);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The frame's size for a client area of width x height.
SIZE frameSize(int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

class GdiplusSession {
public:
    GdiplusSession() {
        const Gdiplus::GdiplusStartupInput input;
        m_ok = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (m_ok) Gdiplus::GdiplusShutdown(m_token);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const { return m_ok; }

private:
    ULONG_PTR m_token = 0;
    bool m_ok = false;
};

// Saves a top-row-first 32-bit picture through GDI+; answers its status.
Gdiplus::GpStatus savePng(void* pixels, int width, int height, const std::string& path) {
    namespace flat = Gdiplus::DllExports;
    const GdiplusSession session;
    if (!session.ok()) return Gdiplus::GenericError;
    Gdiplus::GpBitmap* image = nullptr;
    Gdiplus::GpStatus status = flat::GdipCreateBitmapFromScan0(
        width, height, width * 4, PixelFormat32bppRGB, static_cast<BYTE*>(pixels), &image);
    if (status != Gdiplus::Ok) return status;
    // The PNG encoder of GDI+.
    const CLSID png = {
        0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    status = flat::GdipSaveImageToFile(image, widen(path).c_str(), &png, nullptr);
    flat::GdipDisposeImage(image);
    return status;
}

class Win32Window final : public HostWindow {
public:
    Win32Window(HWND window, int width, int height)
        : m_window(window), m_width(width), m_height(height) {}
    ~Win32Window() override {
        if (IsWindow(m_window)) DestroyWindow(m_window);
        pump();
    }
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    void* handle() const override { return m_window; }

    bool pump() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return IsWindow(m_window) && GetWindowLongPtrW(m_window, GWLP_USERDATA) == 0;
    }

    void resize(int width, int height) override {
        m_width = width;
        m_height = height;
        const SIZE frame = frameSize(width, height);
        SetWindowPos(m_window, nullptr, 0, 0, frame.cx, frame.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    int width() const override { return m_width; }
    int height() const override { return m_height; }

    int childWindows() override {
        int count = 0;
        for (HWND child = GetWindow(m_window, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT))
            ++count;
        return count;
    }

    void savePicture(const std::string& path) override;

private:
    HWND m_window;
    int m_width;
    int m_height;
};

void Win32Window::savePicture(const std::string& path) {
    RedrawWindow(m_window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    pump();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = m_width;
    info.bmiHeader.biHeight = -m_height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    const HDC windowContext = GetDC(m_window);
    const HDC memory = CreateCompatibleDC(windowContext);
    const HBITMAP bitmap =
        CreateDIBSection(windowContext, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bool copied = false;
    if (memory && bitmap) {
        const HGDIOBJ previous = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, m_width, m_height, windowContext, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, previous);
    }
    if (memory) DeleteDC(memory);
    ReleaseDC(m_window, windowContext);
    const Gdiplus::GpStatus status =
        copied ? savePng(pixels, m_width, m_height, path) : Gdiplus::GenericError;
    if (bitmap) DeleteObject(bitmap);
    if (!copied) throw Failure("cannot read the editor window's pixels");
    if (status != Gdiplus::Ok)
        throw Failure("cannot write " + quote(path) + " (GDI+ status " +
                      std::to_string(static_cast<int>(status)) + ")");
}

} // namespace

std::unique_ptr<HostWindow> HostWindow::open(int width, int height, const std::string& title,
                                             std::string& reason) {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = windowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    const SIZE frame = frameSize(width, height);
    const HWND window = registered
                            ? CreateWindowExW(0, kWindowClass, widen(title).c_str(), kStyle,
                                              CW_USEDEFAULT, CW_USEDEFAULT, frame.cx, frame.cy,
                                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)
                            : nullptr;
    if (window == nullptr) {
        reason = "no window can be made (no display)";
        return nullptr;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return std::make_unique<Win32Window>(window, width, height);
}

} // namespace plughost
