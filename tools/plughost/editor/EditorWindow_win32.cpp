// SPDX-License-Identifier: MIT
// The editor window on Windows: a top-level window whose client area has the editor's size, its
// handle given to the plug-in's effEditOpen, a message loop that sends effEditIdle about 60
// times a second, and the picture of the client area (child windows included) copied from the
// window's device context and saved through GDI+'s PNG encoder.
#include "EditorCommand.h"

#include "Failure.h"
#include "host/VstInterface.h"

#include <windows.h>
// After windows.h, which it needs.
#include <gdiplus.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace plughost {

namespace {

constexpr auto kIdleInterval = std::chrono::microseconds(16667);
// Time the plug-in gets to have its last paint done before the picture.
constexpr auto kSettleTime = std::chrono::milliseconds(50);
constexpr wchar_t kWindowClass[] = L"PlughostEditorWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

bool g_closeRequested = false;

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
    return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
}

// Text in the program's code page (as its arguments come) for the wide Windows functions.
std::wstring widen(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 1)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    return wide;
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) { // the editor is closed first, then the window destroyed
        g_closeRequested = true;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeWindow(int width, int height, const std::string& title) {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = windowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    if (!registered) return nullptr;
    // The frame's size for a client area of the editor's size.
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    return CreateWindowExW(0, kWindowClass, widen(title).c_str(), kStyle, CW_USEDEFAULT,
                           CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Handles every waiting message; answers false once WM_QUIT has come.
bool pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
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

void savePicture(HWND window, int width, int height, const std::string& path) {
    namespace flat = Gdiplus::DllExports;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    const HDC windowContext = GetDC(window);
    const HDC memory = CreateCompatibleDC(windowContext);
    const HBITMAP bitmap =
        CreateDIBSection(windowContext, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bool copied = false;
    if (memory && bitmap) {
        const HGDIOBJ previous = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, width, height, windowContext, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, previous);
    }
    if (memory) DeleteDC(memory);
    ReleaseDC(window, windowContext);
    if (!copied) {
        if (bitmap) DeleteObject(bitmap);
        throw Failure("cannot read the editor window's pixels");
    }

    const GdiplusSession session;
    Gdiplus::GpStatus status = Gdiplus::GenericError;
    if (session.ok()) {
        Gdiplus::GpBitmap* image = nullptr;
        status = flat::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppRGB,
                                                 static_cast<BYTE*>(pixels), &image);
        if (status == Gdiplus::Ok) {
            // The PNG encoder of GDI+.
            const CLSID png = {
                0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
            status = flat::GdipSaveImageToFile(image, widen(path).c_str(), &png, nullptr);
            flat::GdipDisposeImage(image);
        }
    }
    DeleteObject(bitmap);
    if (status != Gdiplus::Ok)
        throw Failure("cannot write " + path + " (GDI+ status " +
                      std::to_string(static_cast<int>(status)) + ")");
}

} // namespace

void showEditor(void* record, const EditorOptions& options) {
    auto* effect = static_cast<AEffect*>(record);
    ERect* rect = nullptr;
    dispatch(effect, effEditGetRect, 0, &rect);
    const int width = rect ? rect->right - rect->left : 0;
    const int height = rect ? rect->bottom - rect->top : 0;
    if (width <= 0 || height <= 0)
        throw Failure(options.plugin + ": the editor gives no size (effEditGetRect)");

    const HWND window = makeWindow(width, height, "plughost editor: " + options.plugin);
    if (!window) throw Failure("cannot create a window for the editor");
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    g_closeRequested = false;

    // The host hands the editor its window's handle in the pointer argument.
    if (dispatch(effect, effEditOpen, 0, window) == 0) {
        DestroyWindow(window);
        throw Failure(options.plugin + ": the editor did not open (effEditOpen)");
    }
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::duration<double>(options.seconds);
    bool quit = false;
    auto next = start;
    while (!g_closeRequested && !quit) {
        quit = !pumpMessages();
        dispatch(effect, effEditIdle);
        if (options.seconds > 0 && std::chrono::steady_clock::now() - start >= limit) break;
        next += kIdleInterval;
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            next - std::chrono::steady_clock::now());
        if (wait.count() > 0)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait.count()),
                                      QS_ALLINPUT);
    }
    std::string failure;
    if (!options.screenshot.empty() && !g_closeRequested && IsWindow(window)) {
        std::this_thread::sleep_for(kSettleTime);
        dispatch(effect, effEditIdle);
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        pumpMessages();
        try {
            savePicture(window, width, height, options.screenshot);
        } catch (const Failure& error) {
            failure = error.what();
        }
    }
    dispatch(effect, effEditClose);
    if (IsWindow(window)) DestroyWindow(window);
    pumpMessages();
    if (!failure.empty()) throw Failure(failure);
}

} // namespace plughost
