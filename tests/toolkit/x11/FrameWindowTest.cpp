// SPDX-License-Identifier: MIT
// A frame in a real X window under Xvfb: the window is made inside a parent window of the
// test's own connection, painted on exposure, and X button, wheel, motion and leave events sent
// to it reach the view with the toolkit's flags. The back end's one display connection is
// shared by every frame and closed by the last.
#include <gtest/gtest.h>

#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/CView.h"
#include "toolkit/platform/x11_cairo/X11Backend.h"

// Xlib's macros (None, Bool, Status) come after everything that might use those names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

using namespace VSTGUI;

namespace {

constexpr CRgbaColor kFill{30, 160, 90, 255};
constexpr unsigned long kFillPixel = 0x1EA05A;

struct Event {
    enum Kind { down, up, moved, exited, wheel } kind;
    CCoordPoint where;
    CButtonState buttons;
    float distance = 0;
};

class RecordingView : public CView {
public:
    explicit RecordingView(const CCoordRect& size) : CView(size) {}
    using CView::onWheel;
    void draw(CDrawContext* context) override {
        context->setFillColor(kFill);
        context->drawRect(getViewSize(), kDrawFilled);
        ++paints;
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CCoordPoint& where, const CButtonState& buttons) override {
        events.push_back({Event::down, where, buttons});
        return kMouseHandled;
    }
    CMouseEventResult onMouseUp(CCoordPoint& where, const CButtonState& buttons) override {
        events.push_back({Event::up, where, buttons});
        return kMouseHandled;
    }
    CMouseEventResult onMouseMoved(CCoordPoint& where, const CButtonState& buttons) override {
        events.push_back({Event::moved, where, buttons});
        return kMouseHandled;
    }
    CMouseEventResult onMouseExited(CCoordPoint& where, const CButtonState& buttons) override {
        events.push_back({Event::exited, where, buttons});
        return kMouseHandled;
    }
    bool onWheel(const CCoordPoint& where, const float& distance,
                 const CButtonState& buttons) override {
        events.push_back({Event::wheel, where, buttons, distance});
        return true;
    }
    std::vector<Event> events;
    int paints = 0;
};

class X11FrameTest : public testing::Test {
protected:
    void SetUp() override {
        m_display = XOpenDisplay(nullptr);
        ASSERT_NE(m_display, nullptr) << "no X display (run under tools/with-xvfb.sh)";
        m_parent =
            XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 10, 20, 400, 300, 0, 0, 0);
        XMapWindow(m_display, m_parent);
        XSync(m_display, False);
    }
    void TearDown() override {
        if (!m_display) return;
        if (m_parent) XDestroyWindow(m_display, m_parent);
        XCloseDisplay(m_display);
    }

    CFrame* openFrame(RecordingView*& view) {
        const CCoordRect area(0, 0, 400, 300);
        auto* frame = new CFrame(area, parentHandle(), nullptr);
        view = new RecordingView(area);
        frame->addView(view);
        return frame;
    }
    platform::WindowHandle parentHandle() const {
        return reinterpret_cast<platform::WindowHandle>(static_cast<std::uintptr_t>(m_parent));
    }
    static Window windowOf(const CFrame* frame) {
        return static_cast<Window>(reinterpret_cast<std::uintptr_t>(frame->getWindow()));
    }

    // Lets every request of both connections reach the server, then runs the frame's pump.
    void pump() {
        XSync(m_display, False);
        if (auto* own = static_cast<Display*>(x11::displayInfo().display)) XSync(own, False);
        x11::processEvents();
        // What the frame asked of the server (grabs, paints) is done before the test looks.
        if (auto* own = static_cast<Display*>(x11::displayInfo().display)) XSync(own, False);
    }

    void sendButton(Window window, bool press, unsigned int button, int x, int y,
                    unsigned int state, Time time) {
        XEvent event{};
        event.xbutton.type = press ? ButtonPress : ButtonRelease;
        event.xbutton.display = m_display;
        event.xbutton.window = window;
        event.xbutton.root = DefaultRootWindow(m_display);
        event.xbutton.time = time;
        event.xbutton.x = x;
        event.xbutton.y = y;
        event.xbutton.x_root = x + 10;
        event.xbutton.y_root = y + 20;
        event.xbutton.state = state;
        event.xbutton.button = button;
        event.xbutton.same_screen = True;
        XSendEvent(m_display, window, False, press ? ButtonPressMask : ButtonReleaseMask, &event);
    }
    void sendMotion(Window window, int x, int y, unsigned int state) {
        XEvent event{};
        event.xmotion.type = MotionNotify;
        event.xmotion.display = m_display;
        event.xmotion.window = window;
        event.xmotion.root = DefaultRootWindow(m_display);
        event.xmotion.x = x;
        event.xmotion.y = y;
        event.xmotion.state = state;
        event.xmotion.same_screen = True;
        XSendEvent(m_display, window, False, PointerMotionMask, &event);
    }

    int pixelsOfFill() {
        XImage* image = XGetImage(m_display, m_parent, 0, 0, 400, 300, AllPlanes, ZPixmap);
        if (!image) return -1;
        int count = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x)
                if ((XGetPixel(image, x, y) & 0xFFFFFF) == kFillPixel) ++count;
        XDestroyImage(image);
        return count;
    }

    Display* m_display = nullptr;
    Window m_parent = 0;
};

TEST_F(X11FrameTest, TheFrameWindowIsAChildOfTheHostWindowAndPaintsTheWholeArea) {
    RecordingView* view = nullptr;
    CFrame* frame = openFrame(view);
    ASSERT_NE(frame->getWindow(), nullptr);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    XQueryTree(m_display, windowOf(frame), &root, &parent, &children, &count);
    if (children) XFree(children);
    EXPECT_EQ(parent, m_parent);
    XWindowAttributes attributes{};
    XGetWindowAttributes(m_display, windowOf(frame), &attributes);
    EXPECT_EQ(attributes.width, 400);
    EXPECT_EQ(attributes.height, 300);
    EXPECT_EQ(attributes.map_state, IsViewable);
    pump();
    EXPECT_GE(view->paints, 1) << "the exposure of the new window is painted";
    EXPECT_EQ(pixelsOfFill(), 400 * 300);
    frame->release();
}

TEST_F(X11FrameTest, ButtonsWheelAndModifiersArriveWithTheToolkitFlags) {
    RecordingView* view = nullptr;
    CFrame* frame = openFrame(view);
    const Window window = windowOf(frame);
    pump();
    sendButton(window, true, Button1, 40, 50, ShiftMask | Mod1Mask, 1000);
    sendButton(window, false, Button1, 41, 52, Button1Mask | ShiftMask | Mod1Mask, 1050);
    sendButton(window, true, Button3, 60, 70, ControlMask, 5000);
    sendButton(window, false, Button3, 60, 70, Button3Mask | ControlMask, 5010);
    sendButton(window, true, Button2, 60, 70, 0, 9000);
    sendButton(window, false, Button2, 60, 70, Button2Mask, 9010);
    sendButton(window, true, 8, 61, 71, 0, 12000);
    sendButton(window, false, 8, 61, 71, 0, 12010);
    sendButton(window, true, Button4, 100, 100, 0, 15000);
    sendButton(window, true, Button5, 100, 100, 0, 15100);
    pump();
    std::vector<Event> downs;
    std::vector<Event> wheels;
    for (const Event& e : view->events) {
        if (e.kind == Event::down) downs.push_back(e);
        if (e.kind == Event::wheel) wheels.push_back(e);
    }
    ASSERT_EQ(downs.size(), 4u);
    EXPECT_EQ(downs[0].where, CCoordPoint(40, 50));
    EXPECT_EQ(downs[0].buttons, kButtonLeft | kModShift | kModAlt);
    EXPECT_EQ(downs[1].buttons, kButtonRight | kModControl);
    EXPECT_EQ(downs[2].buttons, kButtonMiddle);
    EXPECT_EQ(downs[3].buttons, kButton4);
    ASSERT_EQ(wheels.size(), 2u);
    EXPECT_EQ(wheels[0].distance, 1.0f);
    EXPECT_EQ(wheels[1].distance, -1.0f);
    frame->release();
}

TEST_F(X11FrameTest, TheIdleOfACleanFrameHandlesWaitingInput) {
    RecordingView* view = nullptr;
    CFrame* frame = openFrame(view);
    pump();
    ASSERT_FALSE(frame->isDirty());
    view->events.clear();
    sendButton(windowOf(frame), true, Button1, 30, 40, 0, 2000);
    XSync(m_display, False);
    frame->idle(); // nothing is dirty: only the idle's own event handling can deliver the press
    ASSERT_EQ(view->events.size(), 1u);
    EXPECT_EQ(view->events[0].kind, Event::down);
    EXPECT_EQ(view->events[0].where, CCoordPoint(30, 40));
    frame->release();
}

TEST_F(X11FrameTest, InvalidationWaitsForTheIdlePassWhichPaintsOnce) {
    RecordingView* view = nullptr;
    CFrame* frame = openFrame(view);
    auto* second = new RecordingView(CCoordRect(0, 0, 100, 100));
    frame->addView(second);
    pump();
    const int paints = view->paints;
    const int secondPaints = second->paints;
    view->invalid();
    EXPECT_EQ(view->paints, paints) << "invalidation only marks the window's update area";
    second->setDirty(true);
    frame->idle();
    EXPECT_EQ(view->paints, paints + 1);
    EXPECT_EQ(second->paints, secondPaints + 1);
    frame->idle();
    EXPECT_EQ(view->paints, paints + 1) << "nothing left to paint";
    frame->release();
}

TEST_F(X11FrameTest, ASecondPressSoonAndCloseIsADoubleClickAndAThirdIsNot) {
    RecordingView* view = nullptr;
    CFrame* frame = openFrame(view);
    const Window window = windowOf(frame);
    pump();
    sendButton(window, true, Button1, 40, 50, 0, 1000);
    sendButton(window, false, Button1, 40, 50, Button1Mask, 1040);
    sendButton(window, true, Button1, 42, 49, 0, 1300); // within 400 ms and 2 pixels
    sendButton(window, false, Button1, 42, 49, Button1Mask, 1340);
    sendButton(window, true, Button1, 42, 49, 0, 1500); // a third press starts over
    sendButton(window, false, Button1, 42, 49, Button1Mask, 1540);
    sendButton(window, true, Button1, 42, 49, 0, 3000); // too late
    sendButton(window, false, Button1, 42, 49, Button1Mask, 3040);
    sendButton(window, true, Button1, 42, 49, 0, 3100);
    sendButton(window, false, Button1, 42, 49, Button1Mask, 3140);
    sendButton(window, true, Button1, 50, 49, 0, 3200); // too far
    pump();
    std::vector<bool> doubles;
    for (const Event& e : view->events)
        if (e.kind == Event::down) doubles.push_back((e.buttons & kDoubleClick) != 0);
    EXPECT_EQ(doubles, (std::vector<bool>{false, true, false, false, true, false}));
    frame->release();
}

TEST_F(X11FrameTest, AHandledPressGrabsThePointerUntilTheRelease) {
    RecordingView* view = nullptr;
    CFrame* frame = openFrame(view);
    const Window window = windowOf(frame);
    pump();
    sendButton(window, true, Button1, 40, 50, 0, 1000);
    pump();
    EXPECT_EQ(XGrabPointer(m_display, m_parent, False, ButtonPressMask, GrabModeAsync,
                           GrabModeAsync, None, None, CurrentTime),
              AlreadyGrabbed);
    sendMotion(window, 45, 55, Button1Mask);
    sendButton(window, false, Button1, 45, 55, Button1Mask, 1100);
    pump();
    EXPECT_EQ(XGrabPointer(m_display, m_parent, False, ButtonPressMask, GrabModeAsync,
                           GrabModeAsync, None, None, CurrentTime),
              GrabSuccess);
    XUngrabPointer(m_display, CurrentTime);
    ASSERT_GE(view->events.size(), 3u);
    EXPECT_EQ(view->events.back().kind, Event::up);
    frame->release();
}

TEST_F(X11FrameTest, LeavingTheWindowReachesTheViewUnderThePointer) {
    RecordingView* view = nullptr;
    CFrame* frame = openFrame(view);
    const Window window = windowOf(frame);
    pump();
    sendMotion(window, 30, 30, 0);
    XEvent leave{};
    leave.xcrossing.type = LeaveNotify;
    leave.xcrossing.window = window;
    leave.xcrossing.root = DefaultRootWindow(m_display);
    leave.xcrossing.mode = NotifyNormal;
    leave.xcrossing.detail = NotifyAncestor;
    XSendEvent(m_display, window, False, LeaveWindowMask, &leave);
    pump();
    ASSERT_FALSE(view->events.empty());
    EXPECT_EQ(view->events.back().kind, Event::exited);
    frame->release();
}

TEST_F(X11FrameTest, PointerPollingReadsTheServersPointer) {
    RecordingView* view = nullptr;
    CFrame* frame = openFrame(view);
    XWarpPointer(m_display, None, DefaultRootWindow(m_display), 0, 0, 0, 0, 110, 120);
    pump();
    CCoordPoint where;
    frame->getCurrentMouseLocation(where);
    EXPECT_EQ(where, CCoordPoint(100, 100)) << "the parent sits at 10, 20";
    EXPECT_EQ(frame->getCurrentMouseButtons() & (kButtonLeft | kButtonRight), 0);
    frame->release();
}

TEST_F(X11FrameTest, FramesShareOneConnectionThatTheLastOneCloses) {
    const std::uint32_t openedBefore = x11::displayInfo().opened;
    RecordingView* first = nullptr;
    RecordingView* second = nullptr;
    CFrame* a = openFrame(first);
    CFrame* b = openFrame(second);
    // The frames register the window class once: one holder of the connection.
    EXPECT_EQ(x11::displayInfo().users, 1);
    EXPECT_EQ(x11::displayInfo().opened, openedBefore + 1);
    a->release();
    EXPECT_NE(x11::displayInfo().display, nullptr);
    pump();
    b->release();
    EXPECT_EQ(x11::displayInfo().display, nullptr);
    // And a frame opened again gets a new one and paints.
    CFrame* again = openFrame(first);
    pump();
    EXPECT_EQ(x11::displayInfo().opened, openedBefore + 2);
    EXPECT_EQ(pixelsOfFill(), 400 * 300);
    again->release();
}

TEST_F(X11FrameTest, AHostWindowDestroyedFirstClosesTheFrameWithoutErrors) {
    RecordingView* view = nullptr;
    CFrame* frame = openFrame(view);
    pump();
    XDestroyWindow(m_display, m_parent);
    m_parent = 0;
    pump();
    EXPECT_FALSE(frame->isOpen());
    frame->release();
    EXPECT_EQ(x11::displayInfo().display, nullptr);
}

} // namespace
