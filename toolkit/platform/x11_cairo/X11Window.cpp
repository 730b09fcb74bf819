// SPDX-License-Identifier: MIT
// The frame's child window on Xlib: the display connection shared by every frame, the window
// and its paint buffer, the event pump that turns X events into the toolkit's window messages,
// the pointer grab, cursors from the X cursor font, pointer and key polling, and time.
//
// X delivers events only to whoever reads the connection: the frame's idle reads them
// (handlePendingEvents), and exposures and invalidations only add to a window's update area,
// which is painted once, at the end of the idle pass (paintPendingUpdate). Each frame window
// paints into an offscreen cairo image of its size (its device context); after a paint message
// the painted rectangle is copied to the window and the connection is flushed, so the server
// sees every change before the host call returns.                                   [ui]
#include "X11Backend.h"
#include "X11FrameWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <vector>

namespace VSTGUI::x11 {

using namespace VSTGUI::platform;

namespace {

constexpr std::uint32_t kDoubleClickMilliseconds = 400;
constexpr int kDoubleClickDistance = 2; // pixels either way
constexpr std::int32_t kWheelNotch = 120;

// Errors of the frames' connection (a host may destroy its window under the frame at any
// time) are counted and otherwise ignored: Xlib's default handler would end the host's
// process. Errors of other connections go to the handler that was there before.
int handleError(Display* display, XErrorEvent* error) {
    State& s = state();
    if (display == s.display) {
        ++s.ignoredErrors;
        return 0;
    }
    return s.previousErrorHandler ? s.previousErrorHandler(display, error) : 0;
}

void addUpdate(FrameWindow& window, const RectI& rect) {
    RectI r{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, window.width),
            std::min(rect.bottom, window.height)};
    if (r.right <= r.left || r.bottom <= r.top) return;
    if (!window.dirty) {
        window.update = r;
        window.dirty = true;
        return;
    }
    window.update.left = std::min(window.update.left, r.left);
    window.update.top = std::min(window.update.top, r.top);
    window.update.right = std::max(window.update.right, r.right);
    window.update.bottom = std::max(window.update.bottom, r.bottom);
}

void makeSurfaces(FrameWindow& window) {
    Display* display = state().display;
    if (window.buffer) cairo_surface_destroy(window.buffer);
    if (window.screen) cairo_surface_destroy(window.screen);
    const int width = std::max(window.width, 1);
    const int height = std::max(window.height, 1);
    window.buffer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window.id, &attributes);
    window.screen = cairo_xlib_surface_create(display, window.id, attributes.visual, width, height);
}

void present(FrameWindow& window, const RectI& area) {
    if (!window.screen || !window.buffer) return;
    cairo_surface_flush(window.buffer);
    cairo_t* cr = cairo_create(window.screen);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, window.buffer, 0, 0);
    cairo_rectangle(cr, area.left, area.top, area.right - area.left, area.bottom - area.top);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(window.screen);
    XFlush(state().display);
}

// One paint message for the window's update area, if it has one, then the painted area on
// the screen. Not again from inside a paint.
void paintWindow(Window id) {
    State& s = state();
    FrameWindow* window = frameOf(id);
    if (!window || !window->dirty || s.painting) return;
    const RectI area = window->update;
    window->dirty = false;
    if (!window->sink) return;
    WindowMessage message;
    message.kind = MessageKind::paint;
    message.updateRect = area;
    message.paintContext = reinterpret_cast<DeviceContextHandle>(window->buffer);
    s.painting = true;
    window->sink->handleWindowMessage(message);
    s.painting = false;
    // The paint may have closed the frame.
    if ((window = frameOf(id)) != nullptr) present(*window, area);
}

void paintWaiting() {
    // Copies of the ids: a paint may close frames.
    std::vector<Window> ids;
    for (const auto& entry : state().windows)
        if (entry.second->dirty) ids.push_back(entry.first);
    for (Window id : ids)
        paintWindow(id);
}

std::uint32_t keyBits(unsigned int xState, const FrameWindow& window) {
    std::uint32_t bits = window.xButtons;
    if (xState & Button1Mask) bits |= kMkLButton;
    if (xState & Button2Mask) bits |= kMkMButton;
    if (xState & Button3Mask) bits |= kMkRButton;
    if (xState & ShiftMask) bits |= kMkShift;
    if (xState & ControlMask) bits |= kMkControl;
    return bits;
}

std::uint32_t buttonBit(unsigned int button) {
    switch (button) {
    case Button1:
        return kMkLButton;
    case Button2:
        return kMkMButton;
    case Button3:
        return kMkRButton;
    case 8:
        return kMkXButton1;
    case 9:
        return kMkXButton2;
    default:
        return 0;
    }
}

PointI pointOf(int x, int y) {
    return PointI{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
}

void deliver(FrameWindow& window, const WindowMessage& message) {
    if (window.sink) window.sink->handleWindowMessage(message);
}

void handleButton(FrameWindow& window, const XButtonEvent& event, bool press) {
    State& s = state();
    WindowMessage message;
    if (event.button == Button4 || event.button == Button5) {
        if (!press) return;
        message.kind = MessageKind::wheel;
        message.point = pointOf(event.x_root, event.y_root);
        message.wheelDelta = event.button == Button4 ? kWheelNotch : -kWheelNotch;
        deliver(window, message);
        return;
    }
    const std::uint32_t bit = buttonBit(event.button);
    if (bit == 0) return; // horizontal wheel and others
    std::uint32_t bits = keyBits(event.state, window);
    if (press) {
        bits |= bit;
        if (bit & (kMkXButton1 | kMkXButton2)) window.xButtons |= bit;
        const LastPress& last = s.lastPress;
        const bool doubleClick = last.valid && last.window == event.window &&
                                 last.button == event.button &&
                                 event.time - last.time <= kDoubleClickMilliseconds &&
                                 std::abs(event.x - last.x) <= kDoubleClickDistance &&
                                 std::abs(event.y - last.y) <= kDoubleClickDistance;
        // A third press starts over.
        s.lastPress = doubleClick ? LastPress{} : LastPress{event.window, event.button, event.time,
                                                            event.x,      event.y,      true};
        message.kind = doubleClick ? MessageKind::buttonDoubleClick : MessageKind::buttonDown;
    } else {
        bits &= ~bit;
        window.xButtons &= ~bit;
        message.kind = MessageKind::buttonUp;
    }
    message.point = pointOf(event.x, event.y);
    message.keyState = bits;
    deliver(window, message);
}

void handleEvent(XEvent& event) {
    State& s = state();
    FrameWindow* window = frameOf(event.xany.window);
    if (!window && event.type == ClientMessage) window = frameProxyingFor(event.xclient.window);
    if (!window) return;
    s.messageTime = monotonicMilliseconds();
    switch (event.type) {
    case Expose:
        addUpdate(*window,
                  RectI{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                        event.xexpose.y + event.xexpose.height});
        break;
    case ButtonPress:
    case ButtonRelease:
        s.messageState = event.xbutton.state;
        handleButton(*window, event.xbutton, event.type == ButtonPress);
        break;
    case MotionNotify: {
        s.messageState = event.xmotion.state;
        WindowMessage message;
        message.kind = MessageKind::mouseMove;
        message.point = pointOf(event.xmotion.x, event.xmotion.y);
        message.keyState = keyBits(event.xmotion.state, *window);
        deliver(*window, message);
        break;
    }
    case LeaveNotify:
        if (event.xcrossing.mode != NotifyNormal || event.xcrossing.detail == NotifyInferior ||
            !window->leaveRequested)
            break;
        s.messageState = event.xcrossing.state;
        window->leaveRequested = false;
        {
            WindowMessage message;
            message.kind = MessageKind::mouseLeave;
            deliver(*window, message);
        }
        break;
    case ConfigureNotify:
        if (event.xconfigure.width != window->width || event.xconfigure.height != window->height) {
            window->width = event.xconfigure.width;
            window->height = event.xconfigure.height;
            makeSurfaces(*window);
            addUpdate(*window, RectI{0, 0, window->width, window->height});
        }
        break;
    case ClientMessage:
        handleDndMessage(*window, event.xclient);
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window->id) {
            // Destroyed from outside (the host closed its window first).
            window->gone = true;
            WindowMessage message;
            message.kind = MessageKind::destroy;
            WindowMessageSink* sink = window->sink;
            window->sink = nullptr;
            if (sink) sink->handleWindowMessage(message);
        }
        break;
    default:
        break;
    }
}

// Hands every event waiting on the connection to the frame windows; not again from inside a
// message it delivers.
void readEvents() {
    State& s = state();
    if (!s.display || s.pumping) return;
    s.pumping = true;
    while (XPending(s.display) > 0) {
        XEvent event;
        XNextEvent(s.display, &event);
        handleEvent(event);
    }
    s.pumping = false;
}

} // namespace

State& state() {
    static State s;
    return s;
}

FrameWindow* frameOf(Window window) {
    auto& windows = state().windows;
    const auto it = windows.find(window);
    return it == windows.end() ? nullptr : it->second.get();
}

std::uint32_t monotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

void processEvents() {
    readEvents();
    paintWaiting();
    if (state().display) XFlush(state().display);
}

DisplayInfo displayInfo() {
    const State& s = state();
    return DisplayInfo{s.display, s.users, s.opened};
}

} // namespace VSTGUI::x11

namespace VSTGUI::platform::window_system {

using namespace VSTGUI::x11;

// ---- device contexts --------------------------------------------------------------------

DeviceContextHandle getWindowDeviceContext(WindowHandle window) {
    FrameWindow* frame = frameOf(xid(window));
    return frame ? reinterpret_cast<DeviceContextHandle>(frame->buffer) : nullptr;
}

void releaseWindowDeviceContext(WindowHandle window, DeviceContextHandle /*dc*/) {
    // What was drawn outside a paint message goes to the screen at once.
    FrameWindow* frame = frameOf(xid(window));
    if (frame) present(*frame, RectI{0, 0, frame->width, frame->height});
}

// ---- the frame's window -----------------------------------------------------------------

bool registerFrameWindowClass() {
    State& s = state();
    if (s.users == 0) {
        s.display = XOpenDisplay(nullptr);
        if (!s.display) return false;
        ++s.opened;
        s.previousErrorHandler = XSetErrorHandler(handleError);
    }
    ++s.users;
    return true;
}

void unregisterFrameWindowClass() {
    State& s = state();
    if (s.users <= 0 || --s.users > 0) return;
    for (auto& entry : s.windows) {
        if (entry.second->buffer) cairo_surface_destroy(entry.second->buffer);
        if (entry.second->screen) cairo_surface_destroy(entry.second->screen);
    }
    s.windows.clear();
    for (const auto& entry : s.fontCursors)
        XFreeCursor(s.display, entry.second);
    s.fontCursors.clear();
    s.cursor = None;
    XSync(s.display, False);
    // Only our own handler is taken out: a host may have put its own in since.
    const XErrorHandler current = XSetErrorHandler(s.previousErrorHandler);
    if (current != handleError) XSetErrorHandler(current);
    XCloseDisplay(s.display);
    s.display = nullptr;
    s.lastPress = LastPress{};
}

WindowHandle createFrameWindow(WindowHandle parent, std::int32_t width, std::int32_t height,
                               WindowMessageSink* sink) {
    State& s = state();
    if (!s.display || !parent || width <= 0 || height <= 0) return nullptr;
    XSetWindowAttributes attributes{};
    // Property changes: a dropped selection too large for one request arrives in pieces (INCR).
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            LeaveWindowMask | StructureNotifyMask | PropertyChangeMask;
    attributes.background_pixmap = None;
    const Window window =
        XCreateWindow(s.display, xid(parent), 0, 0, static_cast<unsigned int>(width),
                      static_cast<unsigned int>(height), 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
    if (window == 0) return nullptr;
    XStoreName(s.display, window, "Window");
    auto frame = std::make_unique<FrameWindow>();
    frame->id = window;
    frame->width = width;
    frame->height = height;
    makeSurfaces(*frame);
    frame->sink = sink;
    s.windows[window] = std::move(frame);
    XMapWindow(s.display, window);
    XFlush(s.display);
    return handleOf(window);
}

void clearWindowUserData(WindowHandle window) {
    if (FrameWindow* frame = frameOf(xid(window))) frame->sink = nullptr;
}

void destroyWindow(WindowHandle window) {
    State& s = state();
    FrameWindow* frame = frameOf(xid(window));
    if (!frame || !s.display) return;
    WindowMessageSink* sink = frame->sink;
    frame->sink = nullptr;
    if (sink) {
        WindowMessage message;
        message.kind = MessageKind::destroy;
        sink->handleWindowMessage(message);
    }
    if (frame->buffer) cairo_surface_destroy(frame->buffer);
    if (frame->screen) cairo_surface_destroy(frame->screen);
    if (!frame->gone) XDestroyWindow(s.display, frame->id);
    XSync(s.display, False);
    s.windows.erase(frame->id);
}

void invalidateRect(WindowHandle window, const RectI& rect, bool /*erase*/) {
    if (FrameWindow* frame = frameOf(xid(window))) addUpdate(*frame, rect);
}

void handlePendingEvents() {
    readEvents();
    if (state().display) XFlush(state().display);
}

void paintPendingUpdate(WindowHandle window) {
    paintWindow(xid(window));
}

void handleOnePendingPaint() {
    paintWaiting();
}

void setCapture(WindowHandle window) {
    State& s = state();
    if (!s.display || !frameOf(xid(window))) return;
    XGrabPointer(s.display, xid(window), False,
                 ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XFlush(s.display);
}

void releaseCapture() {
    State& s = state();
    if (!s.display) return;
    XUngrabPointer(s.display, CurrentTime);
    XFlush(s.display);
}

bool requestMouseLeaveNotice(WindowHandle window) {
    FrameWindow* frame = frameOf(xid(window));
    if (!frame) return false;
    frame->leaveRequested = true;
    return true;
}

WindowHandle getParent(WindowHandle window) {
    State& s = state();
    if (!s.display || !window) return nullptr;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(s.display, xid(window), &root, &parent, &children, &count) == 0) return nullptr;
    if (children) XFree(children);
    return parent == root ? nullptr : handleOf(parent);
}

bool getWindowRect(WindowHandle window, RectI& rect) {
    State& s = state();
    rect = RectI{};
    if (!s.display || !window) return false;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(s.display, xid(window), &attributes) == 0) return false;
    int x = 0;
    int y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(s.display, xid(window), attributes.root, 0, 0, &x, &y, &child))
        return false;
    rect = RectI{x, y, x + attributes.width, y + attributes.height};
    return true;
}

// The host's windows are the host's to size (it learns the new size from the editor's
// rectangle): only the frame's own window changes.
bool resizeFrameWindow(WindowHandle window, std::int32_t width, std::int32_t height) {
    State& s = state();
    if (!s.display || width <= 0 || height <= 0) return false;
    XResizeWindow(s.display, xid(window), static_cast<unsigned int>(width),
                  static_cast<unsigned int>(height));
    if (FrameWindow* frame = frameOf(xid(window))) {
        frame->width = width;
        frame->height = height;
        makeSurfaces(*frame);
        addUpdate(*frame, RectI{0, 0, width, height});
    }
    XFlush(s.display);
    return true;
}

void mapWindowPoints(WindowHandle from, WindowHandle to, PointI* points, std::int32_t count) {
    State& s = state();
    if (!s.display) return;
    const Window root = DefaultRootWindow(s.display);
    const Window source = from ? xid(from) : root;
    const Window target = to ? xid(to) : root;
    for (std::int32_t i = 0; i < count; ++i) {
        int x = 0;
        int y = 0;
        Window child = 0;
        if (XTranslateCoordinates(s.display, source, target, points[i].x, points[i].y, &x, &y,
                                  &child))
            points[i] = PointI{x, y};
    }
}

// Title bars are drawn by the window manager around top-level windows, never by an X window
// itself.
bool hasTitleBar(WindowHandle /*window*/) {
    return false;
}

// ---- cursor -----------------------------------------------------------------------------

CursorHandle getCursor() {
    return reinterpret_cast<CursorHandle>( // NOLINT(performance-no-int-to-ptr): an X id
        static_cast<std::uintptr_t>(state().cursor));
}

namespace {
void defineCursor(Cursor cursor) {
    State& s = state();
    s.cursor = cursor;
    if (!s.display) return;
    for (const auto& entry : s.windows)
        if (!entry.second->gone) XDefineCursor(s.display, entry.first, cursor);
    XFlush(s.display);
}
} // namespace

void setCursor(CursorHandle cursor) {
    defineCursor(static_cast<Cursor>(reinterpret_cast<std::uintptr_t>(cursor)));
}

void setSystemCursor(std::int32_t shape) {
    State& s = state();
    int glyph = -1;
    switch (shape) {
    case 1:
        glyph = XC_watch;
        break;
    case 2:
        glyph = XC_sb_h_double_arrow;
        break;
    case 3:
        glyph = XC_sb_v_double_arrow;
        break;
    case 4:
        glyph = XC_fleur;
        break;
    case 5:
        glyph = XC_bottom_left_corner; // north-east to south-west
        break;
    case 6:
        glyph = XC_bottom_right_corner; // north-west to south-east
        break;
    case 8:
        glyph = XC_X_cursor;
        break;
    case 9:
        glyph = XC_hand2;
        break;
    default:
        return;
    }
    if (!s.display) return;
    auto it = s.fontCursors.find(glyph);
    if (it == s.fontCursors.end())
        it = s.fontCursors
                 .emplace(glyph, XCreateFontCursor(s.display, static_cast<unsigned int>(glyph)))
                 .first;
    defineCursor(it->second);
}

// ---- pointer, keys, time and system facts -----------------------------------------------

namespace {
bool queryPointer(int& rootX, int& rootY, unsigned int& mask) {
    State& s = state();
    rootX = rootY = 0;
    mask = 0;
    if (!s.display) return false;
    Window root = 0;
    Window child = 0;
    int x = 0;
    int y = 0;
    return XQueryPointer(s.display, DefaultRootWindow(s.display), &root, &child, &rootX, &rootY, &x,
                         &y, &mask) != 0;
}
} // namespace

bool getCursorPosition(PointI& point) {
    int x = 0;
    int y = 0;
    unsigned int mask = 0;
    const bool ok = queryPointer(x, y, mask);
    point = PointI{x, y};
    return ok;
}

bool isMessageKeyDown(MessageKey key) {
    const unsigned int mask = state().messageState;
    switch (key) {
    case MessageKey::shift:
        return (mask & ShiftMask) != 0;
    case MessageKey::control:
        return (mask & ControlMask) != 0;
    case MessageKey::alt:
        return (mask & Mod1Mask) != 0;
    }
    return false;
}

bool isKeyPressedNow(PolledKey key) {
    int x = 0;
    int y = 0;
    unsigned int mask = 0;
    if (!queryPointer(x, y, mask)) return false;
    switch (key) {
    case PolledKey::leftButton:
        return (mask & Button1Mask) != 0;
    case PolledKey::rightButton:
        return (mask & Button3Mask) != 0;
    case PolledKey::middleButton:
        return (mask & Button2Mask) != 0;
    case PolledKey::shift:
        return (mask & ShiftMask) != 0;
    case PolledKey::control:
        return (mask & ControlMask) != 0;
    case PolledKey::alt:
        return (mask & Mod1Mask) != 0;
    }
    return false;
}

// The X server maps physical buttons itself: events already carry the logical ones.
bool areMouseButtonsSwapped() {
    return false;
}

// Each frame window paints into a buffer of its own that is copied to the screen whole: the
// frame needs no back buffer.
bool areWindowsDoubleBuffered() {
    return true;
}

// Xlib needs no per-thread set-up.
bool beginThreadUse() {
    return false;
}

void endThreadUse() {}

std::uint32_t tickCount() {
    return monotonicMilliseconds();
}

std::uint32_t messageTime() {
    return state().messageTime;
}

std::uint32_t doubleClickTime() {
    return kDoubleClickMilliseconds;
}

void sleep(std::uint32_t milliseconds) {
    timespec pause{static_cast<time_t>(milliseconds / 1000u),
                   static_cast<long>(milliseconds % 1000u) * 1000000L};
    while (nanosleep(&pause, &pause) != 0) {
    }
}

// A shared object carries no resources.
bool findDataResource(const ResourceName& /*name*/, ResourceBytes& /*out*/) {
    return false;
}

bool takeLeftButtonDownMessage() {
    State& s = state();
    if (!s.display) return false;
    XEvent event;
    const auto isLeftPress = [](Display*, XEvent* e, XPointer) -> Bool {
        return e->type == ButtonPress && e->xbutton.button == Button1 &&
                       frameOf(e->xbutton.window) != nullptr
                   ? True
                   : False;
    };
    return XCheckIfEvent(s.display, &event, isLeftPress, nullptr) != 0;
}

} // namespace VSTGUI::platform::window_system
