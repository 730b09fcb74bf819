// SPDX-License-Identifier: MIT
// The editor window on X11: a top-level window of the editor's size whose id is handed to the
// plug-in's effEditOpen, a loop that handles this window's events and sends effEditIdle about
// 60 times a second, and the picture of the window's area saved through cairo's PNG writer.
// The plug-in has its own display connection and paints into its child window; reading the
// parent window's pixels includes the child's.
#include "EditorCommand.h"

#include "Failure.h"
#include "host/VstInterface.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace plughost {

namespace {

constexpr auto kIdleInterval = std::chrono::microseconds(16667);
// Time the plug-in's own connection gets to have its last paint done before the picture.
constexpr auto kSettleTime = std::chrono::milliseconds(50);

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
    return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
}

class Connection {
public:
    Connection() : m_display(XOpenDisplay(nullptr)) {
        if (!m_display) throw Failure("cannot open the X display (is DISPLAY set?)");
    }
    ~Connection() { XCloseDisplay(m_display); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Display* get() const { return m_display; }

private:
    Display* m_display;
};

void savePicture(Display* display, Window window, int width, int height, const std::string& path) {
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned int>(width),
                              static_cast<unsigned int>(height), AllPlanes, ZPixmap);
    if (!image) throw Failure("cannot read the editor window's pixels");
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<std::uint32_t*>(data + y * stride)[x] =
                static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xFFFFFFu);
    XDestroyImage(image);
    cairo_surface_mark_dirty(surface);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw Failure("cannot write " + path + ": " + cairo_status_to_string(status));
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

    Connection connection;
    Display* display = connection.get();
    const Window window = XCreateSimpleWindow(
        display, DefaultRootWindow(display), 0, 0, static_cast<unsigned int>(width),
        static_cast<unsigned int>(height), 0, BlackPixel(display, DefaultScreen(display)),
        BlackPixel(display, DefaultScreen(display)));
    XStoreName(display, window, ("plughost editor: " + options.plugin).c_str());
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(display, window, hints);
        XFree(hints);
    }
    Atom closeRequest = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &closeRequest, 1);
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    for (;;) { // the editor opens into a window that is on the screen
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify) break;
    }

    // The host hands the editor its window's X id in the pointer argument.
    void* parent = reinterpret_cast<void*>(window); // NOLINT(performance-no-int-to-ptr)
    if (dispatch(effect, effEditOpen, 0, parent) == 0) {
        XDestroyWindow(display, window);
        throw Failure(options.plugin + ": the editor did not open (effEditOpen)");
    }
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::duration<double>(options.seconds);
    bool open = true;
    bool destroyed = false;
    auto next = start;
    while (open) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage &&
                static_cast<Atom>(event.xclient.data.l[0]) == closeRequest)
                open = false;
            if (event.type == DestroyNotify && event.xdestroywindow.window == window)
                open = false, destroyed = true;
        }
        dispatch(effect, effEditIdle);
        if (options.seconds > 0 && std::chrono::steady_clock::now() - start >= limit) break;
        next += kIdleInterval;
        std::this_thread::sleep_until(next);
    }
    std::string failure;
    if (!options.screenshot.empty() && !destroyed) {
        std::this_thread::sleep_for(kSettleTime);
        dispatch(effect, effEditIdle);
        std::this_thread::sleep_for(kSettleTime);
        XSync(display, False);
        try {
            savePicture(display, window, width, height, options.screenshot);
        } catch (const Failure& error) {
            failure = error.what();
        }
    }
    dispatch(effect, effEditClose);
    if (!destroyed) XDestroyWindow(display, window);
    XSync(display, False);
    if (!failure.empty()) throw Failure(failure);
}

} // namespace plughost
