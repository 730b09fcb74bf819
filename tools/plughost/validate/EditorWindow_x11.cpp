// SPDX-License-Identifier: MIT
// X11 windows through the Xlib library loaded at run time, so that plughost neither links nor
// needs X11 where no display is used.
#include "EditorWindow.h"

#include <cstdlib>
#include <dlfcn.h>
#include <type_traits>

namespace plughost::validate {
namespace {

struct Display;
using Window = unsigned long;
// Large enough for any Xlib event.
union Event {
    int type;
    long pad[24];
};

struct Xlib {
    Display* (*openDisplay)(const char*) = nullptr;
    int (*closeDisplay)(Display*) = nullptr;
    Window (*defaultRootWindow)(Display*) = nullptr;
    Window (*createSimpleWindow)(Display*, Window, int, int, unsigned, unsigned, unsigned,
                                 unsigned long, unsigned long) = nullptr;
    int (*mapWindow)(Display*, Window) = nullptr;
    int (*destroyWindow)(Display*, Window) = nullptr;
    int (*sync)(Display*, int) = nullptr;
    int (*pending)(Display*) = nullptr;
    int (*nextEvent)(Display*, Event*) = nullptr;
    int (*queryTree)(Display*, Window, Window*, Window*, Window**, unsigned*) = nullptr;
    int (*free)(void*) = nullptr;

    bool load(std::string& reason) {
        void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            reason = "the X11 library is not installed";
            return false;
        }
        bool complete = true;
        const auto bind = [&](auto& function, const char* name) {
            function =
                reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
            complete = complete && function != nullptr;
        };
        bind(openDisplay, "XOpenDisplay");
        bind(closeDisplay, "XCloseDisplay");
        bind(defaultRootWindow, "XDefaultRootWindow");
        bind(createSimpleWindow, "XCreateSimpleWindow");
        bind(mapWindow, "XMapWindow");
        bind(destroyWindow, "XDestroyWindow");
        bind(sync, "XSync");
        bind(pending, "XPending");
        bind(nextEvent, "XNextEvent");
        bind(queryTree, "XQueryTree");
        bind(free, "XFree");
        if (!complete) reason = "the X11 library lacks a function";
        return complete;
    }
};

class X11Window final : public EditorWindow {
public:
    X11Window(const Xlib& x, Display* display, Window window)
        : m_x(x), m_display(display), m_window(window) {}
    ~X11Window() override {
        m_x.destroyWindow(m_display, m_window);
        m_x.sync(m_display, 0);
        m_x.closeDisplay(m_display);
    }
    void* handle() const override { return reinterpret_cast<void*>(m_window); }
    void pump() override {
        m_x.sync(m_display, 0);
        Event event{};
        while (m_x.pending(m_display) > 0)
            m_x.nextEvent(m_display, &event);
    }
    int childWindows() override {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (m_x.queryTree(m_display, m_window, &root, &parent, &children, &count) == 0) return -1;
        if (children != nullptr) m_x.free(children);
        return static_cast<int>(count);
    }

private:
    Xlib m_x;
    Display* m_display;
    Window m_window;
};

} // namespace

std::unique_ptr<EditorWindow> EditorWindow::open(int width, int height, std::string& reason) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        reason = "no display (DISPLAY is not set)";
        return nullptr;
    }
    Xlib x;
    if (!x.load(reason)) return nullptr;
    Display* display = x.openDisplay(nullptr);
    if (display == nullptr) {
        reason = std::string("no display (cannot open ") + name + ")";
        return nullptr;
    }
    const Window window =
        x.createSimpleWindow(display, x.defaultRootWindow(display), 0, 0,
                             static_cast<unsigned>(width), static_cast<unsigned>(height), 0, 0, 0);
    x.mapWindow(display, window);
    x.sync(display, 0);
    return std::make_unique<X11Window>(x, display, window);
}

} // namespace plughost::validate
