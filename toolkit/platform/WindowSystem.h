// SPDX-License-Identifier: MIT
// The window half of the toolkit's platform seam: the frame's child window and its messages,
// invalidation and painting, capture, cursors, pointer and key polling, time, the thread's use
// of the window system, module resources and dropped data.
//
// Messages travel towards the toolkit: the back end turns each native message of the frame's
// window into one `WindowMessage` for the `WindowMessageSink` stored with the window and
// answers the native message as the sink says. Dropped data is read through a `DropSource`
// made by the back end per drag; the drag events go to the `DropEvents` given at
// registration. Rules that belong to one window system (Windows' host window chain, its
// caption style, its version test, OLE) live in that back end; the toolkit asks questions that
// mean something on every platform.
//
// A program links exactly one back end that defines these functions: win32_gdiplus (Win32 and
// OLE), x11_cairo (Xlib and XDND) or, in the portable tests, the recording back end, which
// plays a tiny window system.
//
// Everything is called on the thread that owns the frame's window.                  [ui]
#pragma once

#include "toolkit/platform/PlatformTypes.h"

#include <cstdint>
#include <memory>
#include <string>

namespace VSTGUI::platform {

struct NativeCursor;
using CursorHandle = NativeCursor*;

struct PointI {
    std::int32_t x = 0;
    std::int32_t y = 0;
};
// Edges, as a native window rectangle.
struct RectI {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// Key-state bits of a mouse message (the Win32 MK_ values; other back ends build the same).
inline constexpr std::uint32_t kMkLButton = 0x01;
inline constexpr std::uint32_t kMkRButton = 0x02;
inline constexpr std::uint32_t kMkShift = 0x04;
inline constexpr std::uint32_t kMkControl = 0x08;
inline constexpr std::uint32_t kMkMButton = 0x10;
inline constexpr std::uint32_t kMkXButton1 = 0x20;
inline constexpr std::uint32_t kMkXButton2 = 0x40;

// Drop effects (the OLE DROPEFFECT values).
inline constexpr std::uint32_t kDropEffectNone = 0;
inline constexpr std::uint32_t kDropEffectCopy = 1;
inline constexpr std::uint32_t kDropEffectMove = 2;
inline constexpr std::uint32_t kDropEffectLink = 4;

// Modifier keys read as they were when the message being handled was posted (GetKeyState).
enum class MessageKey : std::int32_t { shift = 0, control = 1, alt = 2 };
// Buttons and keys polled as they are now (GetAsyncKeyState). The buttons are the physical
// ones: swapping is the caller's business.
enum class PolledKey : std::int32_t {
    leftButton = 0,
    rightButton = 1,
    middleButton = 2,
    shift = 3,
    control = 4,
    alt = 5
};

// ---- window messages ----------------------------------------------------------------------
enum class MessageKind : std::int32_t {
    destroy = 0,           // WM_DESTROY
    paint = 1,             // WM_PAINT with a non-empty update region, between BeginPaint/EndPaint
    eraseBackground = 2,   // WM_ERASEBKGND
    mouseMove = 3,         // WM_MOUSEMOVE
    buttonDown = 4,        // WM_[LRMX]BUTTONDOWN
    buttonDoubleClick = 5, // WM_[LRMX]BUTTONDBLCLK
    buttonUp = 6,          // WM_[LRMX]BUTTONUP
    wheel = 7,             // WM_MOUSEWHEEL
    mouseLeave = 8         // WM_MOUSELEAVE
};

struct WindowMessage {
    MessageKind kind = MessageKind::destroy;
    // Mouse messages: the point as the message carries it, each component a signed 16-bit value
    // (client coordinates; for the wheel, screen coordinates).
    PointI point;
    // Mouse messages except the wheel: the message's key-state bits (kMk* values).
    std::uint32_t keyState = 0;
    // Wheel: the signed 16-bit rotation (multiples of 120 per notch).
    std::int32_t wheelDelta = 0;
    // Paint: the paint rectangle and the paint device context (valid during the call only).
    RectI updateRect;
    DeviceContextHandle paintContext = nullptr;
};

struct MessageAnswer {
    std::intptr_t result = 0;      // answered to the system when not forwarded
    bool forwardToDefault = false; // also hand the message to the default window procedure,
                                   // whose answer is then the one returned
};

// Implemented by the frame. The back end stores it as the window's user data and hands it
// every message listed in MessageKind; messages it does not list, and every message that
// arrives while the user data is empty, go to the default window procedure.
class WindowMessageSink {
public:
    virtual MessageAnswer handleWindowMessage(const WindowMessage& message) = 0;

protected:
    ~WindowMessageSink() = default;
};

// ---- dropped data -------------------------------------------------------------------------
enum class FetchResult : std::int32_t {
    unavailable = 0, // the source does not offer the format (or the request failed)
    empty = 1,       // offered, but the data has no size or could not be read
    ok = 2
};

// One drag's data, made by the back end on its native data object. Every fetch gives the
// native medium back before answering. Destroying it lets go of the native object.
class DropSource {
public:
    virtual ~DropSource() = default;
    // True if the text format can be fetched now.
    virtual bool hasText() = 0;
    // The dragged text (UTF-16, without terminator).
    virtual FetchResult fetchText(std::u16string& text) = 0;
    // Number of paths in the dragged file list; 0 when no file list can be fetched.
    virtual std::uint32_t fileCount() = 0;
    // True if a file list can be fetched now.
    virtual bool hasFiles() = 0;
    // Path `index` of the file list (UTF-16, without terminator, at most 2047 characters);
    // false when the list cannot be fetched or holds no such path.
    virtual bool filePath(std::uint32_t index, std::u16string& path) = 0;
    // Resolves a shell shortcut file (no user interface, 500 ms time-out) and answers its
    // target's short path; false on any failure and where the system has no shortcut files.
    virtual bool resolveShortcut(const std::u16string& shortcutPath, std::u16string& target) = 0;
};

// Implemented portably (the frame's drop handling); called by the back end's drop target.
// The effect arguments are the native in/out effect word.
class DropEvents {
public:
    // `source` is null when the native event carried no data object.
    virtual void dragEnter(std::unique_ptr<DropSource> source, std::uint32_t& effect) = 0;
    virtual void dragOver(std::uint32_t& effect) = 0;
    virtual void dragLeave() = 0;
    virtual void drop() = 0;

protected:
    ~DropEvents() = default;
};

struct ResourceBytes {
    const void* data = nullptr; // stays valid while the module is loaded
    std::uint32_t size = 0;
};

namespace window_system {

// -- the thread's use of the window system --
// Prepares the calling thread for the services the frame uses (drop targets); answers whether
// endThreadUse must follow. Balanced per frame and per editor.
bool beginThreadUse();
void endThreadUse();

// -- the frame's window --
// Registers the module's frame window class (its name, window procedure and arrow cursor are
// the back end's). Called once per module by the first frame; false on failure.
bool registerFrameWindowClass();
void unregisterFrameWindowClass();
// Creates the frame's child window "Window" inside `parent` at 0,0 (visible, clipping its
// siblings and children) and stores `sink` as its user data once created. Null on failure.
WindowHandle createFrameWindow(WindowHandle parent, std::int32_t width, std::int32_t height,
                               WindowMessageSink* sink);
void clearWindowUserData(WindowHandle window);
void destroyWindow(WindowHandle window);
// True where each window keeps its own picture and the system composes them (so a frame draws
// straight into its window); false where a frame needs a back buffer of its own to avoid
// flicker.
bool areWindowsDoubleBuffered();
// Resizes the frame's window to width x height, and the host's windows around it where the
// platform's hosts expect a plug-in to grow them with its own. False when the windows around
// turned out not to be the host's editor window: the frame then keeps its size.
bool resizeFrameWindow(WindowHandle window, std::int32_t width, std::int32_t height);
WindowHandle getParent(WindowHandle window); // none for a top-level window
// Screen rectangle of the window; false on failure (the rectangle is then zero).
bool getWindowRect(WindowHandle window, RectI& rect);
// Maps points from one window's client coordinates to another's; null is the screen.
void mapWindowPoints(WindowHandle from, WindowHandle to, PointI* points, std::int32_t count);
// True if the window carries a title bar of its own (the outer window of a host's editor).
bool hasTitleBar(WindowHandle window);

// -- painting --
DeviceContextHandle getWindowDeviceContext(WindowHandle window); // GetDC
void releaseWindowDeviceContext(WindowHandle window, DeviceContextHandle dc);
// Adds the rectangle to the window's update area.
void invalidateRect(WindowHandle window, const RectI& rect, bool erase);
// Delivers the frame windows' waiting events (input, exposures, drops) to their sinks where the
// window system leaves reading them to the toolkit; paints nothing (exposures add to the update
// areas). Where the host's message loop delivers them it does nothing.
void handlePendingEvents();
// Paints the window's update area now (one paint message) where the window system leaves
// painting to the toolkit; where the system sends its paint messages through the host's message
// loop it does nothing.
void paintPendingUpdate(WindowHandle window);
// Handles one waiting paint of any frame window of the thread at once.
void handleOnePendingPaint();

// -- input --
void setCapture(WindowHandle window);
void releaseCapture();
// Asks for one mouse-leave message for `window`; false if the request failed.
bool requestMouseLeaveNotice(WindowHandle window);
CursorHandle getCursor();
void setCursor(CursorHandle cursor);
// Shows the system cursor of a shape: 1 wait, 2 horizontal resize, 3 vertical resize, 4 move,
// 5 resize NE-SW, 6 resize NW-SE, 8 forbidden, 9 hand. Other shapes do nothing.
void setSystemCursor(std::int32_t shape);
// Pointer position in screen coordinates; false on failure (then 0,0).
bool getCursorPosition(PointI& point);
bool isMessageKeyDown(MessageKey key);
bool isKeyPressedNow(PolledKey key);
// True when the system reports the physical left and right buttons swapped.
bool areMouseButtonsSwapped();
// If a left-button-down message is waiting for this thread, removes it (no yield) and answers
// true.
bool takeLeftButtonDownMessage();

// -- time --
std::uint32_t tickCount();   // milliseconds, wrapping
std::uint32_t messageTime(); // of the message being handled
std::uint32_t doubleClickTime();
void sleep(std::uint32_t milliseconds);

// -- module resources and drops --
// The bytes of the module's resource of type "DATA"; false when there is none.
bool findDataResource(const ResourceName& name, ResourceBytes& out);
// Registers a drop target for `window` that forwards its events to `events`.
bool registerDropTarget(WindowHandle window, DropEvents* events);
void revokeDropTarget(WindowHandle window);

} // namespace window_system

} // namespace VSTGUI::platform
