// SPDX-License-Identifier: MIT
// A plain top-level Win32 window for a plug-in editor to open into.
#include "EditorWindow.h"

#include <windows.h>

namespace plughost::validate {
namespace {

constexpr wchar_t kWindowClass[] = L"PlughostValidateEditor";

class Win32EditorWindow final : public EditorWindow {
public:
    explicit Win32EditorWindow(HWND window) : m_window(window) {}
    ~Win32EditorWindow() override {
        DestroyWindow(m_window);
        pump();
    }
    Win32EditorWindow(const Win32EditorWindow&) = delete;
    Win32EditorWindow& operator=(const Win32EditorWindow&) = delete;

    void* handle() const override { return m_window; }
    void pump() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

private:
    HWND m_window;
};

} // namespace

std::unique_ptr<EditorWindow> EditorWindow::open(int width, int height, std::string& reason) {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    const HWND window = registered
                            ? CreateWindowExW(0, kWindowClass, L"plughost validate",
                                              kStyle | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                              frame.right - frame.left, frame.bottom - frame.top,
                                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)
                            : nullptr;
    if (window == nullptr) {
        reason = "no window can be made (no display)";
        return nullptr;
    }
    return std::make_unique<Win32EditorWindow>(window);
}

} // namespace plughost::validate
