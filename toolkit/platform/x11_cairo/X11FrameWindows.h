// SPDX-License-Identifier: MIT
// What the Linux back end's window files share: the one display connection of the process,
// the frame windows it made (each with its paint buffer, update area and drag state), and the
// XDND handling that X11Window.cpp's event pump hands client messages to (XdndDrop.cpp).
// Internal to the back end.                                                         [ui]
#pragma once

#include "toolkit/platform/WindowSystem.h"

#include <X11/Xlib.h>
#include <cairo.h>

#include <cstdint>
#include <map>
#include <memory>

namespace VSTGUI::x11 {

struct FrameWindow {
    Window id = 0;
    platform::WindowMessageSink* sink = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    cairo_surface_t* buffer = nullptr; // what the frame paints into
    cairo_surface_t* screen = nullptr; // the window itself
    bool dirty = false;
    platform::RectI update;
    bool leaveRequested = false;
    unsigned int xButtons = 0; // buttons 8 and 9 held (kMkXButton bits)
    bool gone = false;         // destroyed by the server (its parent went first)
    platform::DropEvents* dropEvents = nullptr;
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
    bool pumping = false;  // reading events
    bool painting = false; // inside a paint message
    Cursor cursor = 0;
    std::map<int, Cursor> fontCursors;
    XErrorHandler previousErrorHandler = nullptr;
    std::uint32_t ignoredErrors = 0;
};

State& state();
// The frame window with that id, or null.
FrameWindow* frameOf(Window window);
std::uint32_t monotonicMilliseconds();

// X ids are the handles: the seam's handles are pointers, so the id is carried in one.
inline Window xid(platform::WindowHandle handle) {
    return static_cast<Window>(reinterpret_cast<std::uintptr_t>(handle));
}
inline platform::WindowHandle handleOf(Window window) {
    return reinterpret_cast<platform::WindowHandle>( // NOLINT(performance-no-int-to-ptr)
        static_cast<std::uintptr_t>(window));
}

// An XDND client message for `window` (XdndDrop.cpp).
void handleDndMessage(FrameWindow& window, const XClientMessageEvent& message);
// The frame that `target` names as its XdndProxy, or null.
FrameWindow* frameProxyingFor(Window target);

} // namespace VSTGUI::x11
