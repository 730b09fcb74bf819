// SPDX-License-Identifier: MIT
// The host window on X11: a top-level window on a display connection of its own, its size held
// fixed for the window manager (the editor decides it), closed through WM_DELETE_WINDOW. The
// plug-in has its own connection and paints into its child window; reading the parent window's
// pixels includes the child's, and they are saved through cairo's PNG writer.
#include "os/HostWindow.h"

#include "core/Failure.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <cstdint>
#include <cstdlib>

namespace plughost {
namespace {

class X11Window final : public HostWindow {
public:
    X11Window(Display* display, int width, int height, const std::string& title)
        : m_display(display), m_width(width), m_height(height) {
        const int screen = DefaultScreen(display);
        m_window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0,
                                       static_cast<unsigned>(width), static_cast<unsigned>(height),
                                       0, BlackPixel(display, screen), BlackPixel(display, screen));
        XStoreName(display, m_window, title.c_str());
        fixSize();
        m_closeRequest = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, m_window, &m_closeRequest, 1);
        XSelectInput(display, m_window, StructureNotifyMask);
        XMapWindow(display, m_window);
        for (;;) { // editors open into a window that is on the screen
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify) break;
        }
    }
    ~X11Window() override {
        if (!m_destroyed) XDestroyWindow(m_display, m_window);
        XSync(m_display, False);
        XCloseDisplay(m_display);
    }
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    void* handle() const override {
        return reinterpret_cast<void*>(m_window); // NOLINT(performance-no-int-to-ptr)
    }

    bool pump() override {
        XSync(m_display, False);
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == ClientMessage &&
                static_cast<Atom>(event.xclient.data.l[0]) == m_closeRequest)
                m_closed = true;
            if (event.type == DestroyNotify && event.xdestroywindow.window == m_window)
                m_closed = m_destroyed = true;
        }
        return !m_closed;
    }

    void resize(int width, int height) override {
        m_width = width;
        m_height = height;
        fixSize();
        XResizeWindow(m_display, m_window, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
        XSync(m_display, False);
    }
    int width() const override { return m_width; }
    int height() const override { return m_height; }

    int childWindows() override {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (m_destroyed || XQueryTree(m_display, m_window, &root, &parent, &children, &count) == 0)
            return 0;
        if (children != nullptr) XFree(children);
        return static_cast<int>(count);
    }

    void savePicture(const std::string& path) override;

private:
    // The window manager keeps the window at the editor's size.
    void fixSize() {
        XSizeHints* hints = XAllocSizeHints();
        if (hints == nullptr) return;
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = m_width;
        hints->min_height = hints->max_height = m_height;
        XSetWMNormalHints(m_display, m_window, hints);
        XFree(hints);
    }

    Display* m_display;
    Window m_window = 0;
    Atom m_closeRequest = 0;
    int m_width;
    int m_height;
    bool m_closed = false;
    bool m_destroyed = false;
};

void X11Window::savePicture(const std::string& path) {
    XSync(m_display, False);
    XImage* image = XGetImage(m_display, m_window, 0, 0, static_cast<unsigned>(m_width),
                              static_cast<unsigned>(m_height), AllPlanes, ZPixmap);
    if (image == nullptr) throw Failure("cannot read the editor window's pixels");
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, m_width, m_height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            reinterpret_cast<std::uint32_t*>(data + y * stride)[x] =
                static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xFFFFFFu);
    XDestroyImage(image);
    cairo_surface_mark_dirty(surface);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw Failure("cannot write " + quote(path) + ": " + cairo_status_to_string(status));
}

} // namespace

std::unique_ptr<HostWindow> HostWindow::open(int width, int height, const std::string& title,
                                             std::string& reason) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        reason = "no display (DISPLAY is not set)";
        return nullptr;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        reason = std::string("no display (cannot open ") + name + ")";
        return nullptr;
    }
    return std::make_unique<X11Window>(display, width, height, title);
}

} // namespace plughost
