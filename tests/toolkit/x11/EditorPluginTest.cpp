// SPDX-License-Identifier: MIT
// The editor-enabled library as a Linux host uses it: its editor opened through the host record
// inside an X window of the test, painted during the host's idle ticks, read back from the
// window's pixels, and clicked with X events sent to the editor's window. The library's own
// display connection is seen from outside: the sockets the process holds.
//
// The effect's mouse state is read through the shell behind the host record (the test is
// built from the same headers as the library); the library itself has no seam for it.
#include <gtest/gtest.h>

#include "TestHost.h"
#include "host/CVeST.h"
#include "runtime/TTarvo.h"

#include <dirent.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#ifdef QT_PLUGHOST_PATH
#include <cairo.h>
#endif

// Xlib's macros (None, Bool, Status) come after everything that might use those names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace testhost;

namespace {

constexpr unsigned long kEffectGreen = 0x3F7F2F;

// Sockets open in this process (the X connections among them).
int openSockets() {
    int count = 0;
    DIR* folder = opendir("/proc/self/fd");
    if (!folder) return -1;
    while (dirent* entry = readdir(folder)) {
        struct stat info {};
        const std::string path = std::string("/proc/self/fd/") + entry->d_name;
        if (stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) ++count;
    }
    closedir(folder);
    return count;
}

class EditorPlugin : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.loaded()) << host.loadError();
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr) << "no X display (run under tools/with-xvfb.sh)";
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 640, 480, 0, 0,
                                     0xFFFFFF);
        XMapWindow(display, parent);
        XSync(display, False);
        effect = host.create();
        ASSERT_NE(effect, nullptr);
        host.start(effect);
    }
    void TearDown() override {
        if (effect != nullptr) host.close(effect);
        if (!display) return;
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }
    VstIntPtr call(AEffect* target, VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
        return host.dispatch(target, opcode, 0, value, ptr);
    }
    VstIntPtr open(AEffect* target) {
        return call(target, effEditOpen, 0, reinterpret_cast<void*>(parent));
    }
    TTarvo& runtime() { return *static_cast<CVeST*>(effect->object)->effect(); }
    Window editorWindow() const {
        Window root = 0;
        Window above = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        XQueryTree(display, parent, &root, &above, &children, &count);
        const Window found = count > 0 ? children[count - 1] : 0;
        if (children) XFree(children);
        return found;
    }
    // Idle ticks for a little over `milliseconds`, as a host sends them from its own loop.
    void runFor(int milliseconds) {
        for (int elapsed = 0; elapsed <= milliseconds; elapsed += 10) {
            call(effect, effEditIdle);
            XSync(display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    unsigned long pixel(int x, int y) {
        XImage* image = XGetImage(display, parent, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return 0xFFFFFFFF;
        const unsigned long value = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return value;
    }
    void expectFilled() {
        XImage* image = XGetImage(display, parent, 0, 0, 640, 480, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        int inside = 0;
        int outside = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const bool green = (XGetPixel(image, x, y) & 0xFFFFFF) == kEffectGreen;
                if (x < 400 && y < 300)
                    inside += green ? 1 : 0;
                else
                    outside += green ? 1 : 0;
            }
        XDestroyImage(image);
        EXPECT_EQ(inside, 400 * 300);
        EXPECT_EQ(outside, 0);
    }
    void sendButton(bool press, unsigned int button, int x, int y, unsigned int state) {
        XEvent event{};
        event.xbutton.type = press ? ButtonPress : ButtonRelease;
        event.xbutton.window = editorWindow();
        event.xbutton.root = DefaultRootWindow(display);
        event.xbutton.time = ++time;
        event.xbutton.x = x;
        event.xbutton.y = y;
        event.xbutton.state = state;
        event.xbutton.button = button;
        event.xbutton.same_screen = True;
        XSendEvent(display, event.xbutton.window, False,
                   press ? ButtonPressMask : ButtonReleaseMask, &event);
        runFor(100);
    }
    void sendMotion(int x, int y, unsigned int state) {
        XEvent event{};
        event.xmotion.type = MotionNotify;
        event.xmotion.window = editorWindow();
        event.xmotion.root = DefaultRootWindow(display);
        event.xmotion.x = x;
        event.xmotion.y = y;
        event.xmotion.state = state;
        event.xmotion.same_screen = True;
        XSendEvent(display, event.xmotion.window, False, PointerMotionMask, &event);
        runFor(100);
    }

    TestHost host{pluginPath(QT_EDITOR_FILE_NAME)};
    Display* display = nullptr;
    Window parent = 0;
    AEffect* effect = nullptr;
    Time time = 1000;
};

} // namespace

TEST_F(EditorPlugin, OpensInsideTheHostWindowAndPaintsItsAreaInTheEffectsColour) {
    EXPECT_EQ(effect->flags & effFlagsHasEditor, effFlagsHasEditor);
    ERect* rect = nullptr;
    ASSERT_EQ(call(effect, effEditGetRect, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 400);
    EXPECT_EQ(rect->bottom - rect->top, 300);
    ASSERT_EQ(open(effect), 1);
    ASSERT_NE(editorWindow(), 0u);
    runFor(200);
    expectFilled();
}

TEST_F(EditorPlugin, SentButtonAndMotionEventsReachTheEffectsMouseState) {
    ASSERT_EQ(open(effect), 1);
    runFor(50);
    sendButton(true, Button1, 12, 34, ShiftMask);
    EXPECT_EQ(runtime().MouseButtons(), 9.0);
    EXPECT_EQ(runtime().MouseX(), 12.0);
    EXPECT_EQ(runtime().MouseY(), 34.0);
    sendMotion(40, 50, Button1Mask);
    EXPECT_EQ(runtime().MouseButtons(), 9.0); // a drag keeps the buttons of its press
    EXPECT_EQ(runtime().MouseX(), 40.0);
    sendButton(false, Button1, 41, 51, Button1Mask);
    EXPECT_EQ(runtime().MouseButtons(), 0.0);
    EXPECT_EQ(runtime().MouseY(), 51.0);
    sendButton(true, Button3, 5, 6, ControlMask);
    EXPECT_EQ(runtime().MouseButtons(), 6.0);
    sendButton(false, Button3, 5, 6, Button3Mask);
}

TEST_F(EditorPlugin, ClosesAndReopens) {
    ASSERT_EQ(open(effect), 1);
    runFor(50);
    const Window first = editorWindow();
    ASSERT_NE(first, 0u);
    EXPECT_EQ(call(effect, effEditClose), 0);
    XSync(display, False);
    EXPECT_EQ(editorWindow(), 0u);
    EXPECT_EQ(call(effect, effEditClose), 0);
    ASSERT_EQ(open(effect), 1);
    ASSERT_NE(editorWindow(), 0u);
    runFor(200);
    expectFilled();
}

TEST_F(EditorPlugin, ClosingThePluginWithTheEditorOpenDestroysItsWindow) {
    ASSERT_EQ(open(effect), 1);
    runFor(50);
    ASSERT_NE(editorWindow(), 0u);
    host.close(effect);
    effect = nullptr;
    XSync(display, False);
    EXPECT_EQ(editorWindow(), 0u);
    EXPECT_EQ(pixel(200, 150), 0xFFFFFFu) << "the host window shows its own background again";
}

TEST_F(EditorPlugin, TwoInstancesShareOneDisplayConnectionThatTheLastClosureEnds) {
    const int before = openSockets();
    ASSERT_EQ(open(effect), 1);
    EXPECT_EQ(openSockets(), before + 1) << "the library's own connection";
    AEffect* second = host.create();
    ASSERT_NE(second, nullptr);
    host.start(second);
    ASSERT_EQ(open(second), 1);
    EXPECT_EQ(openSockets(), before + 1) << "shared by the second editor";
    runFor(50);
    call(effect, effEditClose);
    EXPECT_EQ(openSockets(), before + 1);
    host.close(second);
    EXPECT_EQ(openSockets(), before) << "closed with the last editor";
}

#ifdef QT_PLUGHOST_PATH
TEST(PlughostEditor, TakesAPictureOfTheEditorAreaInTheEffectsColour) {
    std::remove(QT_EDITOR_SCREENSHOT);
    const std::string command = std::string("\"") + QT_PLUGHOST_PATH + "\" editor \"" +
                                pluginPath(QT_EDITOR_FILE_NAME) +
                                "\" --seconds 0.3 --screenshot \"" + QT_EDITOR_SCREENSHOT + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    cairo_surface_t* picture = cairo_image_surface_create_from_png(QT_EDITOR_SCREENSHOT);
    ASSERT_EQ(cairo_surface_status(picture), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(picture), 400);
    EXPECT_EQ(cairo_image_surface_get_height(picture), 300);
    const unsigned char* data = cairo_image_surface_get_data(picture);
    const int stride = cairo_image_surface_get_stride(picture);
    int green = 0;
    for (int y = 0; y < cairo_image_surface_get_height(picture); ++y)
        for (int x = 0; x < cairo_image_surface_get_width(picture); ++x)
            if ((reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFFu) ==
                kEffectGreen)
                ++green;
    EXPECT_EQ(green, 400 * 300);
    cairo_surface_destroy(picture);
}
#endif
