// SPDX-License-Identifier: MIT
// The frame's child window and the other Win32 services of the back end: the window class and
// its procedure, the host's window chain, invalidation, capture, cursors, pointer and key
// polling, time, system facts and module resources.
//
// The window procedure finds the frame's message sink in the window's user data (a full
// pointer: SetWindowLongPtrW / GWLP_USERDATA), turns each message the toolkit handles into one
// `WindowMessage` and answers as the sink says. Messages that arrive before the sink is stored
// or after it is cleared go to DefWindowProcW.                                       [ui]
#include "ResourceStream.h"
#include "Win32Backend.h"
#include "toolkit/platform/WindowSystem.h"

#include <cwchar>
#include <string>

namespace VSTGUI::win32 {

using namespace VSTGUI::platform;

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

// Windows Vista (6.0) and later compose every window from its own picture.
bool systemComposes() {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)) == FALSE) return false;
    return version.dwMajorVersion >= 6;
}
static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the extended version record");

bool isMdiClient(HWND window) {
    wchar_t name[1024] = {};
    GetClassNameW(window, name, 1024);
    return std::wcscmp(name, L"MDIClient") == 0;
}

SIZE sizeOf(HWND window) {
    RECT area{};
    GetWindowRect(window, &area);
    return SIZE{area.right - area.left, area.bottom - area.top};
}

void resize(HWND window, int width, int height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Beyond this growth of the window chain the parent is not the host's editor window.
constexpr LONG kMaxChainGrowth = 80;

// Grows the frame's window and, a window at a time, its parents by what each was larger than
// the one inside, until the growth reaches the host's frame border (twice the dialog frame
// metric), a parent is an MDI client or there is none. False when a parent was far larger:
// that chain is not the host's editor window.
bool resizeWindowChain(HWND frame, int width, int height) {
    const LONG border = 2 * GetSystemMetrics(SM_CYDLGFRAME);
    LONG dx = 0;
    LONG dy = 0;
    HWND current = frame;
    if (border != 0) {
        do {
            HWND parent = GetParent(current);
            if (parent == nullptr || isMdiClient(parent)) break;
            const SIZE inner = sizeOf(current);
            const SIZE outer = sizeOf(parent);
            resize(current, width + dx, height + dy);
            dx += outer.cx - inner.cx;
            dy += outer.cy - inner.cy;
            if (dx > kMaxChainGrowth || dy > kMaxChainGrowth) return false;
            if (dx < 0) dx = 0;
            if (dy < 0) dy = 0;
            current = parent;
        } while (dx != border);
    }
    resize(current, width + dx, height + dy);
    return true;
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

} // namespace VSTGUI::win32

namespace VSTGUI::platform::window_system {

using namespace VSTGUI::win32;

DeviceContextHandle getWindowDeviceContext(WindowHandle window) {
    return reinterpret_cast<DeviceContextHandle>(GetDC(native(window)));
}

void releaseWindowDeviceContext(WindowHandle window, DeviceContextHandle dc) {
    ReleaseDC(native(window), reinterpret_cast<HDC>(dc));
}

bool registerFrameWindowClass() {
    WNDCLASSW windowClass{};
    windowClass.style = CS_GLOBALCLASS | CS_DBLCLKS;
    windowClass.lpfnWndProc = frameWindowProcedure;
    windowClass.hInstance = ownModule();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = frameWindowClassName();
    return RegisterClassW(&windowClass) != 0;
}

void unregisterFrameWindowClass() {
    UnregisterClassW(frameWindowClassName(), ownModule());
}

WindowHandle createFrameWindow(WindowHandle parent, std::int32_t width, std::int32_t height,
                               WindowMessageSink* sink) {
    HWND window =
        CreateWindowExW(win32::systemComposes() ? WS_EX_COMPOSITED : 0, frameWindowClassName(),
                        L"Window", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                        width, height, native(parent), nullptr, ownModule(), nullptr);
    if (window != nullptr)
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(sink));
    return handleOf(window);
}

void clearWindowUserData(WindowHandle window) {
    SetWindowLongPtrW(native(window), GWLP_USERDATA, 0);
}

void destroyWindow(WindowHandle window) {
    DestroyWindow(native(window));
}

void invalidateRect(WindowHandle window, const RectI& rect, bool erase) {
    const RECT area{rect.left, rect.top, rect.right, rect.bottom};
    InvalidateRect(native(window), &area, erase ? TRUE : FALSE);
}

// The host's message loop delivers every message, paints included.
void handlePendingEvents() {}
void paintPendingUpdate(WindowHandle /*window*/) {}

void handleOnePendingPaint() {
    MSG message;
    if (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE) != 0)
        DispatchMessageW(&message);
}

void setCapture(WindowHandle window) {
    SetCapture(native(window));
}

void releaseCapture() {
    ReleaseCapture();
}

bool requestMouseLeaveNotice(WindowHandle window) {
    TRACKMOUSEEVENT request{};
    request.cbSize = sizeof(request);
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = native(window);
    request.dwHoverTime = 0;
    return TrackMouseEvent(&request) != FALSE;
}

bool areWindowsDoubleBuffered() {
    return systemComposes();
}

bool resizeFrameWindow(WindowHandle window, std::int32_t width, std::int32_t height) {
    return resizeWindowChain(native(window), width, height);
}

bool hasTitleBar(WindowHandle window) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(native(window), GWL_STYLE));
    return (style & WS_CAPTION) == WS_CAPTION;
}

WindowHandle getParent(WindowHandle window) {
    return handleOf(GetParent(native(window)));
}

bool getWindowRect(WindowHandle window, RectI& rect) {
    RECT area{};
    const bool ok = GetWindowRect(native(window), &area) != FALSE;
    rect = ok ? RectI{area.left, area.top, area.right, area.bottom} : RectI{};
    return ok;
}

void mapWindowPoints(WindowHandle from, WindowHandle to, PointI* points, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        POINT point{points[i].x, points[i].y};
        MapWindowPoints(native(from), native(to), &point, 1);
        points[i] = PointI{point.x, point.y};
    }
}

CursorHandle getCursor() {
    return reinterpret_cast<CursorHandle>(GetCursor());
}

void setCursor(CursorHandle cursor) {
    SetCursor(reinterpret_cast<HCURSOR>(cursor));
}

void setSystemCursor(std::int32_t shape) {
    const LPCWSTR name = systemCursor(shape);
    if (name != nullptr) SetCursor(LoadCursorW(nullptr, name));
}

bool getCursorPosition(PointI& point) {
    POINT position{};
    const bool ok = GetCursorPos(&position) != FALSE;
    point = ok ? PointI{position.x, position.y} : PointI{};
    return ok;
}

bool isMessageKeyDown(MessageKey key) {
    int code = VK_SHIFT;
    if (key == MessageKey::control) code = VK_CONTROL;
    if (key == MessageKey::alt) code = VK_MENU;
    return GetKeyState(code) < 0;
}

bool isKeyPressedNow(PolledKey key) {
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

bool areMouseButtonsSwapped() {
    return GetSystemMetrics(SM_SWAPBUTTON) > 0;
}

std::uint32_t tickCount() {
    return GetTickCount();
}

std::uint32_t messageTime() {
    return static_cast<std::uint32_t>(GetMessageTime());
}

std::uint32_t doubleClickTime() {
    return GetDoubleClickTime();
}

void sleep(std::uint32_t milliseconds) {
    Sleep(milliseconds);
}

bool findDataResource(const ResourceName& name, ResourceBytes& out) {
    const char* identifier = name.name != nullptr ? name.name : MAKEINTRESOURCEA(name.number);
    const void* data = nullptr;
    std::uint32_t size = 0;
    if (!win32::findDataResource(resourceModule(), identifier, data, size)) return false;
    out.data = data;
    out.size = size;
    return true;
}

bool takeLeftButtonDownMessage() {
    MSG message{};
    return PeekMessageW(&message, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN,
                        PM_REMOVE | PM_NOYIELD) != FALSE;
}

} // namespace VSTGUI::platform::window_system
