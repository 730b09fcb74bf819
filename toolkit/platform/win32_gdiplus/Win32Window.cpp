// SPDX-License-Identifier: MIT
// The frame's child window and the other Win32 services of the back end: the window class and
// its procedure, invalidation, capture, cursors, pointer and key polling, time and system facts.
//
// The window procedure finds the frame's message sink in the window's user data (a full
// pointer: SetWindowLongPtrW / GWLP_USERDATA), turns each message the toolkit handles into one
// `WindowMessage` and answers as the sink says. Messages that arrive before the sink is stored
// or after it is cleared go to DefWindowProcW.                                       [ui]
#include "Win32Backend.h"

#include <cwchar>
#include <string>

namespace VSTGUI::win32 {

namespace {

HMODULE g_resourceModule = nullptr;

HWND native(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
WindowHandle handleOf(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

WindowMessageSink* sinkOf(HWND window) {
    // The user data holds the pointer stored by createFrameWindow (or 0).
    return reinterpret_cast<WindowMessageSink*>( // NOLINT(performance-no-int-to-ptr)
        GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Signed 16-bit halves of a message's point word.
PointI pointOf(LPARAM value) {
    const auto word = static_cast<DWORD>(static_cast<DWORD_PTR>(value));
    return PointI{static_cast<std::int16_t>(LOWORD(word)), static_cast<std::int16_t>(HIWORD(word))};
}

std::uint32_t keyStateOf(WPARAM value) {
    return static_cast<std::uint32_t>(LOWORD(static_cast<DWORD>(value)));
}

MessageAnswer deliverPaint(HWND window, WindowMessageSink& sink) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = region != nullptr ? GetUpdateRgn(window, region, FALSE) : ERROR;
    if (region != nullptr) DeleteObject(region);
    if (kind == NULLREGION || kind == ERROR) return MessageAnswer{};
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    WindowMessage message;
    message.kind = MessageKind::paint;
    message.updateRect =
        RectI{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom};
    message.paintContext = reinterpret_cast<DeviceContextHandle>(dc);
    const MessageAnswer answer = sink.handleWindowMessage(message);
    EndPaint(window, &paint);
    return answer;
}

LRESULT CALLBACK frameWindowProcedure(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
    WindowMessageSink* sink = sinkOf(window);
    if (sink == nullptr) return DefWindowProcW(window, id, wParam, lParam);
    WindowMessage message;
    MessageAnswer answer;
    switch (id) {
    case WM_DESTROY:
        message.kind = MessageKind::destroy;
        break;
    case WM_PAINT:
        answer = deliverPaint(window, *sink);
        if (answer.forwardToDefault) return DefWindowProcW(window, id, wParam, lParam);
        return answer.result;
    case WM_ERASEBKGND:
        message.kind = MessageKind::eraseBackground;
        break;
    case WM_MOUSEMOVE:
        message.kind = MessageKind::mouseMove;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        message.kind = MessageKind::buttonDown;
        break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDBLCLK:
        message.kind = MessageKind::buttonDoubleClick;
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
        message.kind = MessageKind::buttonUp;
        break;
    case WM_MOUSEWHEEL:
        message.kind = MessageKind::wheel;
        // Screen coordinates: negative left of and above the primary screen.
        message.wheelDelta = GET_WHEEL_DELTA_WPARAM(wParam);
        break;
    case WM_MOUSELEAVE:
        message.kind = MessageKind::mouseLeave;
        break;
    default:
        return DefWindowProcW(window, id, wParam, lParam);
    }
    if (message.kind != MessageKind::destroy && message.kind != MessageKind::eraseBackground &&
        message.kind != MessageKind::mouseLeave) {
        message.point = pointOf(lParam);
        message.keyState = keyStateOf(wParam);
    }
    answer = sink->handleWindowMessage(message);
    if (answer.forwardToDefault) return DefWindowProcW(window, id, wParam, lParam);
    return answer.result;
}

LPCWSTR systemCursor(std::int32_t shape) {
    switch (shape) {
    case 1:
        return IDC_WAIT;
    case 2:
        return IDC_SIZEWE;
    case 3:
        return IDC_SIZENS;
    case 4:
        return IDC_SIZEALL;
    case 5:
        return IDC_SIZENESW;
    case 6:
        return IDC_SIZENWSE;
    case 8:
        return IDC_NO;
    case 9:
        return IDC_HAND;
    default:
        return nullptr;
    }
}

} // namespace

HMODULE ownModule() {
    static const HMODULE module = [] {
        HMODULE found = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&frameWindowProcedure), &found);
        return found;
    }();
    return module;
}

void setResourceModule(HMODULE module) {
    g_resourceModule = module;
}

HMODULE resourceModule() {
    return g_resourceModule != nullptr ? g_resourceModule : ownModule();
}

const wchar_t* frameWindowClassName() {
    static const std::wstring name = [] {
        wchar_t text[64] = {};
        wsprintfW(text, L"Plugin%p", static_cast<void*>(ownModule()));
        return std::wstring(text);
    }();
    return name.c_str();
}

DeviceContextHandle Win32Backend::getWindowDeviceContext(WindowHandle window) {
    return reinterpret_cast<DeviceContextHandle>(GetDC(native(window)));
}

void Win32Backend::releaseWindowDeviceContext(WindowHandle window, DeviceContextHandle dc) {
    ReleaseDC(native(window), reinterpret_cast<HDC>(dc));
}

bool Win32Backend::registerFrameWindowClass() {
    WNDCLASSW windowClass{};
    windowClass.style = CS_GLOBALCLASS | CS_DBLCLKS;
    windowClass.lpfnWndProc = frameWindowProcedure;
    windowClass.hInstance = ownModule();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = frameWindowClassName();
    return RegisterClassW(&windowClass) != 0;
}

void Win32Backend::unregisterFrameWindowClass() {
    UnregisterClassW(frameWindowClassName(), ownModule());
}

WindowHandle Win32Backend::createFrameWindow(WindowHandle parent, std::int32_t width,
                                             std::int32_t height, bool composited,
                                             WindowMessageSink* sink) {
    HWND window =
        CreateWindowExW(composited ? WS_EX_COMPOSITED : 0, frameWindowClassName(), L"Window",
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, width,
                        height, native(parent), nullptr, ownModule(), nullptr);
    if (window != nullptr)
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(sink));
    return handleOf(window);
}

void Win32Backend::clearWindowUserData(WindowHandle window) {
    SetWindowLongPtrW(native(window), GWLP_USERDATA, 0);
}

void Win32Backend::destroyWindow(WindowHandle window) {
    DestroyWindow(native(window));
}

void Win32Backend::invalidateRect(WindowHandle window, const RectI& rect, bool erase) {
    const RECT area{rect.left, rect.top, rect.right, rect.bottom};
    InvalidateRect(native(window), &area, erase ? TRUE : FALSE);
}

void Win32Backend::setCapture(WindowHandle window) {
    SetCapture(native(window));
}

void Win32Backend::releaseCapture() {
    ReleaseCapture();
}

bool Win32Backend::requestMouseLeaveNotice(WindowHandle window) {
    TRACKMOUSEEVENT request{};
    request.cbSize = sizeof(request);
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = native(window);
    request.dwHoverTime = 0;
    return TrackMouseEvent(&request) != FALSE;
}

WindowHandle Win32Backend::getParent(WindowHandle window) {
    return handleOf(GetParent(native(window)));
}

std::u16string Win32Backend::getClassName(WindowHandle window) {
    wchar_t name[1024] = {};
    const int length = GetClassNameW(native(window), name, 1024);
    std::u16string out;
    for (int i = 0; i < length; ++i)
        out.push_back(static_cast<char16_t>(name[i]));
    return out;
}

bool Win32Backend::getWindowRect(WindowHandle window, RectI& rect) {
    RECT area{};
    const bool ok = GetWindowRect(native(window), &area) != FALSE;
    rect = ok ? RectI{area.left, area.top, area.right, area.bottom} : RectI{};
    return ok;
}

bool Win32Backend::setWindowSize(WindowHandle window, std::int32_t width, std::int32_t height) {
    return SetWindowPos(native(window), nullptr, 0, 0, width, height,
                        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

void Win32Backend::mapWindowPoints(WindowHandle from, WindowHandle to, PointI* points,
                                   std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        POINT point{points[i].x, points[i].y};
        MapWindowPoints(native(from), native(to), &point, 1);
        points[i] = PointI{point.x, point.y};
    }
}

std::uint32_t Win32Backend::getWindowStyle(WindowHandle window) {
    return static_cast<std::uint32_t>(GetWindowLongPtrW(native(window), GWL_STYLE));
}

CursorHandle Win32Backend::getCursor() {
    return reinterpret_cast<CursorHandle>(GetCursor());
}

void Win32Backend::setCursor(CursorHandle cursor) {
    SetCursor(reinterpret_cast<HCURSOR>(cursor));
}

void Win32Backend::setSystemCursor(std::int32_t shape) {
    const LPCWSTR name = systemCursor(shape);
    if (name != nullptr) SetCursor(LoadCursorW(nullptr, name));
}

bool Win32Backend::getCursorPosition(PointI& point) {
    POINT position{};
    const bool ok = GetCursorPos(&position) != FALSE;
    point = ok ? PointI{position.x, position.y} : PointI{};
    return ok;
}

bool Win32Backend::isMessageKeyDown(MessageKey key) {
    int code = VK_SHIFT;
    if (key == MessageKey::control) code = VK_CONTROL;
    if (key == MessageKey::alt) code = VK_MENU;
    return GetKeyState(code) < 0;
}

bool Win32Backend::isKeyPressedNow(PolledKey key) {
    int code = VK_LBUTTON;
    switch (key) {
    case PolledKey::leftButton:
        code = VK_LBUTTON;
        break;
    case PolledKey::rightButton:
        code = VK_RBUTTON;
        break;
    case PolledKey::middleButton:
        code = VK_MBUTTON;
        break;
    case PolledKey::shift:
        code = VK_SHIFT;
        break;
    case PolledKey::control:
        code = VK_CONTROL;
        break;
    case PolledKey::alt:
        code = VK_MENU;
        break;
    }
    return GetAsyncKeyState(code) < 0;
}

bool Win32Backend::areMouseButtonsSwapped() {
    return GetSystemMetrics(SM_SWAPBUTTON) > 0;
}

std::int32_t Win32Backend::dialogFrameHeight() {
    return GetSystemMetrics(SM_CYDLGFRAME);
}

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the extended version record");

std::uint32_t Win32Backend::osMajorVersion() {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)) == FALSE) return 0;
    return version.dwMajorVersion;
}

std::uint32_t Win32Backend::tickCount() {
    return GetTickCount();
}

std::uint32_t Win32Backend::messageTime() {
    return static_cast<std::uint32_t>(GetMessageTime());
}

std::uint32_t Win32Backend::doubleClickTime() {
    return GetDoubleClickTime();
}

bool Win32Backend::takeLeftButtonDownMessage() {
    MSG message{};
    return PeekMessageW(&message, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN,
                        PM_REMOVE | PM_NOYIELD) != FALSE;
}

} // namespace VSTGUI::win32

namespace VSTGUI::platform {

ToolkitBackend& defaultBackend() {
    static win32::Win32Backend instance;
    return instance;
}

} // namespace VSTGUI::platform
