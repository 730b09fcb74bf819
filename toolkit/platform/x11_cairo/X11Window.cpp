// SPDX-License-Identifier: MIT
// The frame's child window on Xlib: the display connection shared by every frame, the window
// and its paint buffer, the event pump that turns X events into the toolkit's window messages,
// the pointer grab, cursors from the X cursor font, pointer and key polling, and time.
//
// Each frame window paints into an offscreen cairo image of its size (its device context);
// after a paint message the painted rectangle is copied to the window and the connection is
// flushed, so the server sees every change before the host call returns.            [ui]
#include "X11Backend.h"

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

namespace {

constexpr std::uint32_t kDoubleClickMilliseconds = 400;
constexpr int kDoubleClickDistance = 2; // pixels either way
constexpr std::int32_t kWheelNotch = 120;
constexpr std::uint32_t kStyleCaption = 0x00C00000; // a top-level window
constexpr std::uint32_t kStyleChild = 0x40000000;

struct FrameWindow {
    Window id = 0;
    WindowMessageSink* sink = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    cairo_surface_t* buffer = nullptr; // what the frame paints into
    cairo_surface_t* screen = nullptr; // the window itself
    bool dirty = false;
    RectI update;
    bool leaveRequested = false;
    unsigned int xButtons = 0; // buttons 8 and 9 held (kMkXButton bits)
    bool gone = false;         // destroyed by the server (its parent went first)
    DropEvents* dropEvents = nullptr;
    Window dragSource = 0; // the XDND source of the drag over this window
    Window dragTarget = 0; // the window that source addresses: this one, or one it proxies for
};

struct LastPress {
    Window window = 0;
    unsigned int button = 0;
    Time time = 0;
    int x = 0;
    int y = 0;
    bool valid = false;
};

struct State {
    Display* display = nullptr;
    std::int32_t users = 0;
    std::uint32_t opened = 0;
    std::map<Window, std::unique_ptr<FrameWindow>> windows;
    LastPress lastPress;
    unsigned int messageState = 0; // modifier state of the event being handled
    std::uint32_t messageTime = 0;
    bool pumping = false;
    Cursor cursor = None;
    std::map<int, Cursor> fontCursors;
    XErrorHandler previousErrorHandler = nullptr;
    std::uint32_t ignoredErrors = 0;
};

State& state() {
    static State s;
    return s;
}

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

Window xid(WindowHandle handle) {
    return static_cast<Window>(reinterpret_cast<std::uintptr_t>(handle));
}
// X ids are the handles: the interface's handles are pointers, so the id is carried in one.
WindowHandle handleOf(Window window) {
    return reinterpret_cast<WindowHandle>( // NOLINT(performance-no-int-to-ptr)
        static_cast<std::uintptr_t>(window));
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

void paintWaiting() {
    // Copies of the ids: a paint may close frames.
    std::vector<Window> ids;
    for (const auto& entry : state().windows)
        if (entry.second->dirty) ids.push_back(entry.first);
    for (Window id : ids) {
        FrameWindow* window = frameOf(id);
        if (!window || !window->dirty) continue;
        const RectI area = window->update;
        window->dirty = false;
        if (!window->sink) continue;
        WindowMessage message;
        message.kind = MessageKind::paint;
        message.updateRect = area;
        message.paintContext = reinterpret_cast<DeviceContextHandle>(window->buffer);
        window->sink->handleWindowMessage(message);
        if ((window = frameOf(id)) != nullptr) present(*window, area);
    }
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

void handleDndMessage(FrameWindow& window, const XClientMessageEvent& message);
FrameWindow* frameProxyingFor(Window target);

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

} // namespace

void processEvents() {
    State& s = state();
    if (!s.display || s.pumping) return;
    s.pumping = true;
    while (XPending(s.display) > 0) {
        XEvent event;
        XNextEvent(s.display, &event);
        handleEvent(event);
    }
    paintWaiting();
    XFlush(s.display);
    s.pumping = false;
}

DisplayInfo displayInfo() {
    const State& s = state();
    return DisplayInfo{s.display, s.users, s.opened};
}

// ---- device contexts --------------------------------------------------------------------

DeviceContextHandle X11Backend::getWindowDeviceContext(WindowHandle window) {
    FrameWindow* frame = frameOf(xid(window));
    return frame ? reinterpret_cast<DeviceContextHandle>(frame->buffer) : nullptr;
}

void X11Backend::releaseWindowDeviceContext(WindowHandle window, DeviceContextHandle /*dc*/) {
    // What was drawn outside a paint message goes to the screen at once.
    FrameWindow* frame = frameOf(xid(window));
    if (frame) present(*frame, RectI{0, 0, frame->width, frame->height});
}

// ---- the frame's window -----------------------------------------------------------------

bool X11Backend::registerFrameWindowClass() {
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

void X11Backend::unregisterFrameWindowClass() {
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

WindowHandle X11Backend::createFrameWindow(WindowHandle parent, std::int32_t width,
                                           std::int32_t height, bool /*composited*/,
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

void X11Backend::clearWindowUserData(WindowHandle window) {
    if (FrameWindow* frame = frameOf(xid(window))) frame->sink = nullptr;
}

void X11Backend::destroyWindow(WindowHandle window) {
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

void X11Backend::processPendingEvents() {
    processEvents();
}

void X11Backend::invalidateRect(WindowHandle window, const RectI& rect, bool /*erase*/) {
    FrameWindow* frame = frameOf(xid(window));
    if (!frame) return;
    addUpdate(*frame, rect);
    processEvents();
}

void X11Backend::setCapture(WindowHandle window) {
    State& s = state();
    if (!s.display || !frameOf(xid(window))) return;
    XGrabPointer(s.display, xid(window), False,
                 ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XFlush(s.display);
}

void X11Backend::releaseCapture() {
    State& s = state();
    if (!s.display) return;
    XUngrabPointer(s.display, CurrentTime);
    XFlush(s.display);
}

bool X11Backend::requestMouseLeaveNotice(WindowHandle window) {
    FrameWindow* frame = frameOf(xid(window));
    if (!frame) return false;
    frame->leaveRequested = true;
    return true;
}

WindowHandle X11Backend::getParent(WindowHandle window) {
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

std::u16string X11Backend::getClassName(WindowHandle /*window*/) {
    return {};
}

bool X11Backend::getWindowRect(WindowHandle window, RectI& rect) {
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

bool X11Backend::setWindowSize(WindowHandle window, std::int32_t width, std::int32_t height) {
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

void X11Backend::mapWindowPoints(WindowHandle from, WindowHandle to, PointI* points,
                                 std::int32_t count) {
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

std::uint32_t X11Backend::getWindowStyle(WindowHandle window) {
    return getParent(window) ? kStyleChild : kStyleCaption;
}

// ---- cursor -----------------------------------------------------------------------------

CursorHandle X11Backend::getCursor() {
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

void X11Backend::setCursor(CursorHandle cursor) {
    defineCursor(static_cast<Cursor>(reinterpret_cast<std::uintptr_t>(cursor)));
}

void X11Backend::setSystemCursor(std::int32_t shape) {
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

bool X11Backend::getCursorPosition(PointI& point) {
    int x = 0;
    int y = 0;
    unsigned int mask = 0;
    const bool ok = queryPointer(x, y, mask);
    point = PointI{x, y};
    return ok;
}

bool X11Backend::isMessageKeyDown(MessageKey key) {
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

bool X11Backend::isKeyPressedNow(PolledKey key) {
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
bool X11Backend::areMouseButtonsSwapped() {
    return false;
}

std::int32_t X11Backend::dialogFrameHeight() {
    return 0;
}

// Windows are double-buffered here (each paints into its own buffer), as on a composited
// Windows system: the frame needs no back buffer of its own.
std::uint32_t X11Backend::osMajorVersion() {
    return 6;
}

std::uint32_t X11Backend::tickCount() {
    return monotonicMilliseconds();
}

std::uint32_t X11Backend::messageTime() {
    return state().messageTime;
}

std::uint32_t X11Backend::doubleClickTime() {
    return kDoubleClickMilliseconds;
}

bool X11Backend::takeLeftButtonDownMessage() {
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

// ---- drops ------------------------------------------------------------------------------
//
// XDND, version 5: the frame window carries XdndAware; the source's XdndEnter makes a
// `DropSource` for the frame's drop events, each XdndPosition is a drag-over answered with
// XdndStatus, XdndLeave a drag-leave and XdndDrop a drop answered with XdndFinished. The
// dropped data is read from the XdndSelection when the toolkit asks for it: `text/uri-list` as
// files (file:// URIs decoded to paths, other schemes skipped), `UTF8_STRING` or
// `text/plain;charset=utf-8` as one text; data too large for one request comes in pieces (the
// INCR protocol of the selection conventions). A drag that offers a file list is a file drag
// even when it offers text as well (file managers offer both). Messages are taken by the window
// they name; a frame that another window names as its XdndProxy takes the messages for that
// window.

namespace {

constexpr long kXdndVersion = 5;
constexpr int kSelectionTimeoutMilliseconds = 500;
// The most dropped data taken (a list of some 100,000 files).
constexpr long kMaxSelectionBytes = 16L << 20;
constexpr std::size_t kMaxPathLength = 2047;

Atom atom(const char* name) {
    return XInternAtom(state().display, name, False);
}

std::string atomName(Atom value) {
    char* name = XGetAtomName(state().display, value);
    std::string out = name ? name : "";
    if (name) XFree(name);
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

// The paths of the file:// URIs of a text/uri-list, in order.
std::vector<std::string> pathsOfUriList(const std::string& list) {
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('\n', start);
        if (end == std::string::npos) end = list.size();
        std::string line = list.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line.compare(0, 7, "file://") != 0) continue;
        std::string rest = line.substr(7);
        // file://host/path: only the local host.
        const std::size_t slash = rest.find('/');
        if (slash == std::string::npos) continue;
        const std::string host = rest.substr(0, slash);
        if (!host.empty() && host != "localhost") continue;
        std::string path;
        bool ok = true;
        for (std::size_t i = slash; i < rest.size(); ++i) {
            if (rest[i] != '%') {
                path.push_back(rest[i]);
                continue;
            }
            const int high = i + 2 < rest.size() ? hexValue(rest[i + 1]) : -1;
            const int low = i + 2 < rest.size() ? hexValue(rest[i + 2]) : -1;
            if (high < 0 || low < 0 || (high == 0 && low == 0)) {
                ok = false;
                break;
            }
            path.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        }
        if (ok) paths.push_back(path);
    }
    return paths;
}

namespace {

class XdndSource final : public DropSource {
public:
    XdndSource(Window target, Window source, std::vector<Atom> types)
        : m_target(target), m_source(source), m_types(std::move(types)) {}

    bool hasText() override { return !offers("text/uri-list") && textType() != None; }
    FetchResult fetchText(std::u16string& text) override {
        const Atom type = textType();
        if (type == None) return FetchResult::unavailable;
        std::string bytes;
        if (!fetch(type, bytes)) return FetchResult::unavailable;
        if (bytes.empty()) return FetchResult::empty;
        text = toUtf16(bytes);
        return FetchResult::ok;
    }
    std::uint32_t fileCount() override {
        return loadFiles() ? static_cast<std::uint32_t>(m_files.size()) : 0;
    }
    bool hasFiles() override { return offers("text/uri-list"); }
    bool filePath(std::uint32_t index, std::u16string& path) override {
        if (!loadFiles() || index >= m_files.size()) return false;
        path = toUtf16(m_files[index]);
        if (path.size() > kMaxPathLength) path.resize(kMaxPathLength);
        return true;
    }
    // Linux has no shell shortcut files.
    bool resolveShortcut(const std::u16string& /*shortcutPath*/,
                         std::u16string& /*target*/) override {
        return false;
    }

private:
    bool offers(const char* name) const {
        const Atom wanted = atom(name);
        return std::find(m_types.begin(), m_types.end(), wanted) != m_types.end();
    }
    Atom textType() const {
        for (const char* name : {"UTF8_STRING", "text/plain;charset=utf-8"})
            if (offers(name)) return atom(name);
        return None;
    }
    bool loadFiles() {
        if (m_filesLoaded) return m_filesOk;
        m_filesLoaded = true;
        std::string list;
        m_filesOk = offers("text/uri-list") && fetch(atom("text/uri-list"), list);
        if (m_filesOk) m_files = pathsOfUriList(list);
        return m_filesOk;
    }
    // Asks the selection's owner for the data as `type` and waits (at most half a second) for
    // it to arrive in a property of the frame window; other events stay queued meanwhile.
    bool fetch(Atom type, std::string& out) const {
        Display* display = state().display;
        if (!display) return false;
        const Atom property = atom("QT_XDND_DATA");
        XConvertSelection(display, atom("XdndSelection"), type, property, m_target, CurrentTime);
        XFlush(display);
        XEvent event;
        const std::uint32_t deadline = monotonicMilliseconds() + kSelectionTimeoutMilliseconds;
        for (;;) {
            if (XCheckTypedWindowEvent(display, m_target, SelectionNotify, &event)) break;
            const auto left = static_cast<std::int32_t>(deadline - monotonicMilliseconds());
            if (left <= 0) return false;
            pollfd wait{ConnectionNumber(display), POLLIN, 0};
            poll(&wait, 1, left);
        }
        if (event.xselection.property == None) return false;
        Atom actualType = None;
        if (!takeProperty(property, out, actualType)) return false;
        if (actualType == atom("INCR")) return takePieces(property, out);
        return actualType != None;
    }

    // Reads and deletes the frame window's property: its type, and its bytes when it holds
    // 8-bit data (an INCR announcement holds a 32-bit size, read and dropped). False on a read
    // error or other non-byte data. A missing property answers type None.
    bool takeProperty(Atom property, std::string& out, Atom& actualType) const {
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        const int result =
            XGetWindowProperty(state().display, m_target, property, 0, kMaxSelectionBytes / 4, True,
                               AnyPropertyType, &actualType, &format, &count, &remaining, &data);
        if (result != Success) return false;
        bool ok = actualType == None || actualType == atom("INCR") || format == 8;
        if (ok && format == 8 && data && actualType != atom("INCR"))
            out.assign(reinterpret_cast<const char*>(data), count);
        if (remaining != 0) ok = false; // larger than we take
        if (data) XFree(data);
        return ok;
    }

    // The INCR transfer: deleting the announcement asked the owner for the first piece; each
    // piece arrives as a new value of the property, and deleting it asks for the next one. A
    // piece of length 0 ends the data. A notice for the property when it holds nothing is one
    // left over from an earlier transfer and is passed over. Each piece may take half a second,
    // the whole is bounded by kMaxSelectionBytes.
    bool takePieces(Atom property, std::string& out) const {
        Display* display = state().display;
        out.clear();
        XFlush(display);
        std::uint32_t deadline = monotonicMilliseconds() + kSelectionTimeoutMilliseconds;
        PropertyWait wanted{m_target, property};
        for (;;) {
            XEvent event;
            if (!XCheckIfEvent(display, &event, isNewValue, reinterpret_cast<XPointer>(&wanted))) {
                const auto left = static_cast<std::int32_t>(deadline - monotonicMilliseconds());
                if (left <= 0) return false;
                pollfd wait{ConnectionNumber(display), POLLIN, 0};
                poll(&wait, 1, left);
                continue;
            }
            std::string piece;
            Atom actualType = None;
            if (!takeProperty(property, piece, actualType)) return false;
            XFlush(display); // the deletion asks for the next piece
            if (actualType == None) continue;
            if (piece.empty()) return true;
            if (out.size() + piece.size() > kMaxSelectionBytes) return false;
            out += piece;
            deadline = monotonicMilliseconds() + kSelectionTimeoutMilliseconds;
        }
    }

    struct PropertyWait {
        Window window;
        Atom property;
    };
    static Bool isNewValue(Display* /*display*/, XEvent* event, XPointer arg) {
        const auto* wanted = reinterpret_cast<const PropertyWait*>(arg);
        return event->type == PropertyNotify && event->xproperty.window == wanted->window &&
               event->xproperty.atom == wanted->property &&
               event->xproperty.state == PropertyNewValue;
    }

    Window m_target;
    Window m_source;
    std::vector<Atom> m_types;
    bool m_filesLoaded = false;
    bool m_filesOk = false;
    std::vector<std::string> m_files;
};

std::uint32_t effectOfAction(Atom action) {
    if (action == atom("XdndActionMove")) return kDropEffectMove;
    if (action == atom("XdndActionLink")) return kDropEffectLink;
    if (action == atom("XdndActionCopy")) return kDropEffectCopy;
    return kDropEffectCopy | kDropEffectMove | kDropEffectLink; // ask: any will do
}

Atom actionOfEffect(std::uint32_t effect) {
    if (effect & kDropEffectCopy) return atom("XdndActionCopy");
    if (effect & kDropEffectMove) return atom("XdndActionMove");
    if (effect & kDropEffectLink) return atom("XdndActionLink");
    return None;
}

void sendToSource(FrameWindow& window, Window source, const char* kind, long flags, Atom action) {
    XEvent reply{};
    reply.xclient.type = ClientMessage;
    reply.xclient.display = state().display;
    reply.xclient.window = source;
    reply.xclient.message_type = atom(kind);
    reply.xclient.format = 32;
    reply.xclient.data.l[0] = static_cast<long>(window.dragTarget);
    reply.xclient.data.l[1] = flags;
    if (std::strcmp(kind, "XdndStatus") == 0) {
        reply.xclient.data.l[2] = 0; // no quiet rectangle: send every move
        reply.xclient.data.l[3] = 0;
        reply.xclient.data.l[4] = static_cast<long>(action);
    } else {
        reply.xclient.data.l[2] = static_cast<long>(action);
    }
    XSendEvent(state().display, source, False, NoEventMask, &reply);
    XFlush(state().display);
}

std::vector<Atom> offeredTypes(const XClientMessageEvent& enter) {
    std::vector<Atom> types;
    const auto source = static_cast<Window>(enter.data.l[0]);
    if ((enter.data.l[1] & 1) == 0) {
        for (int i = 2; i < 5; ++i)
            if (enter.data.l[i] != 0) types.push_back(static_cast<Atom>(enter.data.l[i]));
        return types;
    }
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(state().display, source, atom("XdndTypeList"), 0, 1024, False, XA_ATOM,
                           &actualType, &format, &count, &remaining, &data) == Success &&
        data && format == 32) {
        const auto* list = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            types.push_back(static_cast<Atom>(list[i]));
    }
    if (data) XFree(data);
    return types;
}

void handleDndMessage(FrameWindow& window, const XClientMessageEvent& message) {
    if (!window.dropEvents || message.format != 32) return;
    const std::string kind = atomName(message.message_type);
    const auto source = static_cast<Window>(message.data.l[0]);
    if (kind == "XdndEnter") {
        if (window.dragSource) window.dropEvents->dragLeave();
        window.dragSource = source;
        window.dragTarget = message.window;
        std::uint32_t effect = kDropEffectCopy | kDropEffectMove | kDropEffectLink;
        window.dropEvents->dragEnter(
            std::make_unique<XdndSource>(window.id, source, offeredTypes(message)), effect);
    } else if (kind == "XdndPosition") {
        if (source != window.dragSource) return;
        std::uint32_t effect = effectOfAction(static_cast<Atom>(message.data.l[4]));
        window.dropEvents->dragOver(effect);
        const Atom action = actionOfEffect(effect);
        sendToSource(window, source, "XdndStatus", action != None ? 1 : 0, action);
    } else if (kind == "XdndLeave") {
        if (source != window.dragSource) return;
        window.dragSource = 0;
        window.dropEvents->dragLeave();
    } else if (kind == "XdndDrop") {
        if (source != window.dragSource) return;
        window.dragSource = 0;
        window.dropEvents->drop();
        sendToSource(window, source, "XdndFinished", 1, atom("XdndActionCopy"));
    }
}

// A source that finds XdndProxy on the window it drags over sends its messages to the window
// the property names, still naming the first window in them. When one of our frames is that
// proxy (a host may name the frame on its own window), the frame takes the drag, and its
// replies name the window the source addresses. Any other message for a window that is not a
// frame is not ours.
FrameWindow* frameProxyingFor(Window target) {
    Display* display = state().display;
    if (!display || target == 0) return nullptr;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    // A window destroyed meanwhile only gives an error, which the frames' handler ignores.
    const int result =
        XGetWindowProperty(display, target, atom("XdndProxy"), 0, 1, False, XA_WINDOW, &actualType,
                           &format, &count, &remaining, &data);
    Window proxy = 0;
    if (result == Success && data && format == 32 && count == 1)
        proxy = static_cast<Window>(*reinterpret_cast<const unsigned long*>(data));
    if (data) XFree(data);
    return proxy ? frameOf(proxy) : nullptr;
}

} // namespace

std::int32_t X11Backend::oleInitialize() {
    return kHResultFalse;
}

void X11Backend::oleUninitialize() {}

bool X11Backend::registerDropTarget(WindowHandle window, DropEvents* events) {
    FrameWindow* frame = frameOf(xid(window));
    if (!frame || !events || frame->gone) return false;
    frame->dropEvents = events;
    const long version = kXdndVersion;
    XChangeProperty(state().display, frame->id, atom("XdndAware"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
    XFlush(state().display);
    return true;
}

void X11Backend::revokeDropTarget(WindowHandle window) {
    FrameWindow* frame = frameOf(xid(window));
    if (!frame) return;
    if (frame->dragSource && frame->dropEvents) frame->dropEvents->dragLeave();
    frame->dragSource = 0;
    frame->dropEvents = nullptr;
    if (!frame->gone) XDeleteProperty(state().display, frame->id, atom("XdndAware"));
}

} // namespace VSTGUI::x11

namespace VSTGUI::platform {

ToolkitBackend& defaultBackend() {
    static x11::X11Backend instance;
    return instance;
}

} // namespace VSTGUI::platform
