// SPDX-License-Identifier: MIT
// A frame inside a real parent window, driven by the messages the system would send: mouse
// buttons, double clicks and the wheel reach the views with their flags and points, capture
// follows the mouse-down answer, invalidated views are painted, and the window class lives
// from the first frame to the last.
#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/GDIPlusGlobals.h"
#include "toolkit/platform/win32_gdiplus/Win32Backend.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace VSTGUI;

// Toolkit objects are reference counted: release() deletes them, which the static analyzer
// cannot follow through the virtual call.
// NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
namespace {

struct MouseEvent {
    std::string kind;
    CCoordPoint where;
    CButtonState buttons = 0;
    float distance = 0.0f;
};

// Records what reaches it and paints itself in one colour.
class ProbeView : public CView {
public:
    ProbeView(const CCoordRect& size, const CRgbaColor& colour) : CView(size), m_colour(colour) {}

    CMouseEventResult onMouseDown(CCoordPoint& where, const CButtonState& buttons) override {
        events.push_back({"down", where, buttons});
        return downAnswer;
    }
    CMouseEventResult onMouseUp(CCoordPoint& where, const CButtonState& buttons) override {
        events.push_back({"up", where, buttons});
        return kMouseHandled;
    }
    CMouseEventResult onMouseMoved(CCoordPoint& where, const CButtonState& buttons) override {
        events.push_back({"moved", where, buttons});
        return kMouseHandled;
    }
    CMouseEventResult onMouseEntered(CCoordPoint& where, const CButtonState& buttons) override {
        events.push_back({"entered", where, buttons});
        return kMouseHandled;
    }
    CMouseEventResult onMouseExited(CCoordPoint& where, const CButtonState& buttons) override {
        events.push_back({"exited", where, buttons});
        return kMouseHandled;
    }
    using CView::onWheel;
    bool onWheel(const CCoordPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override {
        events.push_back(
            {axis == kMouseWheelVertical ? "wheel" : "wheel x", where, buttons, distance});
        return true;
    }
    void drawRect(CDrawContext* context, const CCoordRect& updateRect) override {
        updates.push_back(updateRect);
        context->setFillColor(m_colour);
        context->drawRect(getViewSize(), kDrawFilled);
        setDirty(false);
    }

    CMouseEventResult downAnswer = kMouseHandled;
    std::vector<MouseEvent> events;
    std::vector<CCoordRect> updates;

private:
    CRgbaColor m_colour;
};

// A frame that counts the paint messages its window hands it.
class CountingFrame : public CFrame {
public:
    using CFrame::CFrame;
    platform::MessageAnswer handleWindowMessage(const platform::WindowMessage& message) override {
        if (message.kind == platform::MessageKind::paint) ++paints;
        return CFrame::handleWindowMessage(message);
    }
    int paints = 0;
};

LPARAM pointWord(int x, int y) {
    return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(x)) |
                               (static_cast<DWORD>(static_cast<WORD>(y)) << 16));
}

WPARAM wheelWord(int delta, WORD keys) {
    return static_cast<WPARAM>(keys | (static_cast<DWORD>(static_cast<WORD>(delta)) << 16));
}

// Runs the messages waiting for this thread (paints included).
void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class FrameWindowTest : public testing::Test {
protected:
    void SetUp() override {
        parent = toolkit_test::makeHostWindow(parentX, parentY, 300, 200);
        ASSERT_NE(parent, nullptr) << "windows need the null display driver (tools/wine-run.sh)";
        frame = new CountingFrame(CCoordRect(0, 0, 200, 100),
                                  reinterpret_cast<platform::WindowHandle>(parent), nullptr);
        window = reinterpret_cast<HWND>(frame->getWindow());
        ASSERT_NE(window, nullptr);
        view = new ProbeView(CCoordRect(20, 20, 120, 80), CRgbaColor{255, 0, 0, 255});
        frame->addView(view);
        pumpMessages();
    }
    void TearDown() override {
        if (frame != nullptr) frame->release();
        if (parent != nullptr) DestroyWindow(parent);
        pumpMessages();
    }

    int parentX = 10;
    int parentY = 10;
    HWND parent = nullptr;
    HWND window = nullptr;
    CountingFrame* frame = nullptr;
    ProbeView* view = nullptr;
};

TEST_F(FrameWindowTest, TheFrameWindowIsAChildOfTheHostWindow) {
    // Windows from Vista on compose their windows: the frame's is composited and needs no back
    // buffer of the frame's own.
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)));
    const bool composes = version.dwMajorVersion >= 6;
    EXPECT_EQ(platform::window_system::areWindowsDoubleBuffered(), composes);
    EXPECT_EQ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_COMPOSITED) != 0, composes);
    EXPECT_EQ(GetParent(window), parent);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    EXPECT_STREQ(name, win32::frameWindowClassName());
    EXPECT_TRUE(frame->isDropActive());
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_CHILD | WS_VISIBLE),
              static_cast<LONG_PTR>(WS_CHILD | WS_VISIBLE));
}

TEST_F(FrameWindowTest, AHandledDownCapturesTheMouseAndTheUpReleasesIt) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, pointWord(30, 40));
    EXPECT_EQ(GetCapture(), window);
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, pointWord(35, 45));
    SendMessageW(window, WM_LBUTTONUP, 0, pointWord(36, 46));
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_EQ(view->events.size(), 3u);
    EXPECT_EQ(view->events[0].kind, "down");
    EXPECT_EQ(view->events[0].where, CCoordPoint(30, 40));
    EXPECT_EQ(view->events[0].buttons, kButtonLeft);
    EXPECT_EQ(view->events[1].kind, "moved");
    EXPECT_EQ(view->events[1].where, CCoordPoint(35, 45));
    EXPECT_EQ(view->events[1].buttons, kButtonLeft | kModControl);
    EXPECT_EQ(view->events[2].kind, "up");
    EXPECT_EQ(view->events[2].where, CCoordPoint(36, 46));
}

TEST_F(FrameWindowTest, ADownNotHandledTakesNoCapture) {
    view->downAnswer = kMouseNotHandled;
    SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, pointWord(50, 30));
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_EQ(view->events.size(), 1u);
    EXPECT_EQ(view->events[0].buttons, kButtonRight | kModShift);
    // Outside every view nothing is told.
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, pointWord(150, 90));
    EXPECT_EQ(view->events.size(), 1u);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(FrameWindowTest, ButtonFlagsComeFromTheMessage) {
    SendMessageW(window, WM_MBUTTONDOWN, MK_MBUTTON, pointWord(21, 21));
    SendMessageW(window, WM_MBUTTONUP, 0, pointWord(21, 21));
    SendMessageW(window, WM_XBUTTONDOWN, MK_XBUTTON1 | (XBUTTON1 << 16), pointWord(22, 22));
    SendMessageW(window, WM_XBUTTONUP, XBUTTON1 << 16, pointWord(22, 22));
    SendMessageW(window, WM_XBUTTONDOWN, MK_XBUTTON2 | (XBUTTON2 << 16), pointWord(23, 23));
    SendMessageW(window, WM_XBUTTONUP, XBUTTON2 << 16, pointWord(23, 23));
    ASSERT_EQ(view->events.size(), 6u);
    EXPECT_EQ(view->events[0].buttons, kButtonMiddle);
    EXPECT_EQ(view->events[2].buttons, kButton4);
    EXPECT_EQ(view->events[4].buttons, kButton5);
}

TEST_F(FrameWindowTest, ADoubleClickArrivesAsADownWithTheDoubleClickFlag) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, pointWord(40, 40));
    SendMessageW(window, WM_LBUTTONUP, 0, pointWord(40, 40));
    SendMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, pointWord(40, 40));
    EXPECT_EQ(GetCapture(), window);
    SendMessageW(window, WM_LBUTTONUP, 0, pointWord(40, 40));
    ASSERT_EQ(view->events.size(), 4u);
    EXPECT_EQ(view->events[2].kind, "down");
    EXPECT_EQ(view->events[2].buttons, kButtonLeft | kDoubleClick);
    EXPECT_EQ(view->events[2].buttons, 0x402);
}

TEST_F(FrameWindowTest, TheWheelReachesTheViewAtItsScreenPoint) {
    RECT screen{};
    GetWindowRect(window, &screen);
    SendMessageW(window, WM_MOUSEWHEEL, wheelWord(-240, 0),
                 pointWord(screen.left + 30, screen.top + 40));
    SendMessageW(window, WM_MOUSEWHEEL, wheelWord(60, 0),
                 pointWord(screen.left + 31, screen.top + 41));
    ASSERT_EQ(view->events.size(), 2u);
    EXPECT_EQ(view->events[0].kind, "wheel");
    EXPECT_EQ(view->events[0].where, CCoordPoint(30, 40));
    EXPECT_EQ(view->events[0].distance, -2.0f);
    EXPECT_EQ(view->events[1].distance, 0.0f) << "less than a notch is still delivered";
    EXPECT_EQ(view->events[1].where, CCoordPoint(31, 41));
}

// A screen left of and above the primary one has negative coordinates.
class FrameOnNegativeScreenTest : public FrameWindowTest {
protected:
    void SetUp() override {
        parentX = -600;
        parentY = -400;
        FrameWindowTest::SetUp();
    }
};

TEST_F(FrameOnNegativeScreenTest, WheelPointsLeftOfThePrimaryScreenStaySigned) {
    RECT screen{};
    GetWindowRect(window, &screen);
    ASSERT_LT(screen.left, 0) << "the system kept the window on the primary screen";
    SendMessageW(window, WM_MOUSEWHEEL, wheelWord(120, 0),
                 pointWord(screen.left + 30, screen.top + 40));
    ASSERT_EQ(view->events.size(), 1u);
    EXPECT_EQ(view->events[0].where, CCoordPoint(30, 40));
    EXPECT_EQ(view->events[0].distance, 1.0f);
}

TEST_F(FrameWindowTest, TheViewUnderTheMouseIsToldWhenTheMouseLeavesTheWindow) {
    // The leave notice is asked with the record size of this build.
    EXPECT_TRUE(platform::window_system::requestMouseLeaveNotice(frame->getWindow()));
    SendMessageW(window, WM_MOUSEMOVE, 0, pointWord(30, 40));
    SendMessageW(window, WM_MOUSEMOVE, 0, pointWord(31, 40));
    SendMessageW(window, WM_MOUSELEAVE, 0, 0);
    ASSERT_EQ(view->events.size(), 3u);
    EXPECT_EQ(view->events[0].kind, "entered");
    EXPECT_EQ(view->events[0].where, CCoordPoint(30, 40));
    EXPECT_EQ(view->events[1].kind, "moved");
    EXPECT_EQ(view->events[2].kind, "exited");
    SendMessageW(window, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(view->events.size(), 3u) << "told once";
}

TEST_F(FrameWindowTest, EraseBackgroundAnswersOneWithoutDrawing) {
    HDC dc = GetDC(window);
    const std::size_t paintsBefore = view->updates.size();
    EXPECT_EQ(SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    EXPECT_EQ(view->updates.size(), paintsBefore);
    ReleaseDC(window, dc);
}

TEST_F(FrameWindowTest, AnInvalidatedViewIsPaintedWithItsUpdateRectangle) {
    UpdateWindow(window);
    pumpMessages();
    view->updates.clear();
    view->invalid();
    ASSERT_TRUE(GetUpdateRect(window, nullptr, FALSE)) << "the view's area waits for a paint";
    UpdateWindow(window);
    ASSERT_EQ(view->updates.size(), 1u);
    EXPECT_EQ(view->updates[0], CCoordRect(20, 20, 120, 80));
    // What the window shows, read through the host window's device context.
    HDC host = GetDC(parent);
    EXPECT_EQ(GetPixel(host, 25, 25), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(host, 119, 79), RGB(255, 0, 0));
    ReleaseDC(parent, host);
    // Nothing is waiting any more: a paint message now does not reach the frame at all.
    const int paints = frame->paints;
    SendMessageW(window, WM_PAINT, 0, 0);
    EXPECT_EQ(frame->paints, paints);
    EXPECT_EQ(view->updates.size(), 1u);
    view->invalid();
    SendMessageW(window, WM_PAINT, 0, 0);
    EXPECT_EQ(frame->paints, paints + 1);
}

TEST_F(FrameWindowTest, TheHostDestroyingItsWindowClosesTheFrame) {
    EXPECT_TRUE(frame->isOpen());
    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_FALSE(frame->isOpen());
    EXPECT_EQ(frame->getParentWindow(), nullptr);
    EXPECT_FALSE(frame->setSize(300, 300));
}

TEST_F(FrameWindowTest, CursorShapesAreSystemCursorsAndZeroRestoresTheFirst) {
    HCURSOR before = GetCursor();
    frame->setCursor(9);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    frame->setCursor(2);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
    frame->setCursor(0);
    EXPECT_EQ(GetCursor(), before);
}

// A host window exactly the size of the frame, as an editor window is.
class FrameFillingItsHostTest : public testing::Test {
protected:
    void SetUp() override {
        parent = toolkit_test::makeHostWindow(10, 10, 200, 100);
        ASSERT_NE(parent, nullptr);
        frame = new CFrame(CCoordRect(0, 0, 200, 100),
                           reinterpret_cast<platform::WindowHandle>(parent), nullptr);
        window = reinterpret_cast<HWND>(frame->getWindow());
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (frame != nullptr) frame->release();
        if (parent != nullptr) DestroyWindow(parent);
        pumpMessages();
    }
    static SIZE sizeOf(HWND target) {
        RECT area{};
        GetWindowRect(target, &area);
        return SIZE{area.right - area.left, area.bottom - area.top};
    }

    HWND parent = nullptr;
    HWND window = nullptr;
    CFrame* frame = nullptr;
};

TEST_F(FrameFillingItsHostTest, SetSizeResizesTheFrameWindowAndItsHost) {
    EXPECT_FALSE(frame->setSize(200, 100)) << "the current size is refused";
    ASSERT_TRUE(frame->setSize(250, 150));
    EXPECT_EQ(sizeOf(window).cx, 250);
    EXPECT_EQ(sizeOf(window).cy, 150);
    EXPECT_EQ(sizeOf(parent).cx, 250);
    EXPECT_EQ(sizeOf(parent).cy, 150);
    EXPECT_EQ(frame->getViewSize(), CCoordRect(0, 0, 250, 150));
    RECT area{};
    GetWindowRect(parent, &area);
    EXPECT_EQ(area.left, 10) << "resizing keeps the position";
    EXPECT_EQ(area.top, 10);
}

// Twice the dialog frame metric: how much larger than the plug-in's window a host's editor
// frame is expected to be.
LONG hostBorder() {
    return 2 * GetSystemMetrics(SM_CYDLGFRAME);
}

TEST_F(FrameFillingItsHostTest, TheHostsChainGrowsUpToTheWindowWithTheHostsBorder) {
    const LONG border = hostBorder();
    ASSERT_GT(border, 0);
    // The host's editor frame around the host window, with its border on every side.
    HWND outer = CreateWindowExW(0, L"QtToolkitTestHost", L"outer", WS_POPUP | WS_VISIBLE, 5, 5,
                                 200 + border, 100 + border, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(outer, nullptr);
    SetParent(parent, outer);
    SetWindowLongPtrW(parent, GWL_STYLE, WS_CHILD | WS_VISIBLE);
    SetWindowPos(parent, nullptr, border / 2, border / 2, 200, 100, SWP_NOZORDER);
    ASSERT_TRUE(frame->setSize(300, 150));
    EXPECT_EQ(sizeOf(window).cx, 300);
    EXPECT_EQ(sizeOf(parent).cx, 300);
    EXPECT_EQ(sizeOf(outer).cx, 300 + border);
    EXPECT_EQ(sizeOf(outer).cy, 150 + border);
    EXPECT_EQ(frame->getViewSize(), CCoordRect(0, 0, 300, 150));
    SetParent(parent, nullptr);
    DestroyWindow(outer);
}

TEST_F(FrameFillingItsHostTest, TheChainStopsAtAnMdiClientAndAtAParentFarLarger) {
    // Inside an MDI client the frame's window alone grows.
    CLIENTCREATESTRUCT client{nullptr, 1};
    HWND mdi = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 200, 100,
                               parent, nullptr, GetModuleHandleW(nullptr), &client);
    ASSERT_NE(mdi, nullptr);
    auto* inMdi = new CFrame(CCoordRect(0, 0, 200, 100),
                             reinterpret_cast<platform::WindowHandle>(mdi), nullptr);
    ASSERT_TRUE(inMdi->setSize(230, 120));
    EXPECT_EQ(sizeOf(reinterpret_cast<HWND>(inMdi->getWindow())).cx, 230);
    EXPECT_EQ(sizeOf(mdi).cx, 200);
    EXPECT_EQ(inMdi->getViewSize(), CCoordRect(0, 0, 230, 120));
    inMdi->release();
    DestroyWindow(mdi);
    // A parent more than 80 pixels larger is not the host's editor window: the frame's window
    // grows, the parent and the frame's size stay.
    SetWindowPos(parent, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(frame->setSize(210, 110));
    EXPECT_EQ(sizeOf(window).cx, 210);
    EXPECT_EQ(sizeOf(parent).cx, 400);
    EXPECT_EQ(frame->getViewSize(), CCoordRect(0, 0, 200, 100));
}

TEST(ThreadUse, EachBeginIsAnsweredAndEndedInTurn) {
    // The first begin starts OLE for the thread, the second finds it started: both are ended.
    EXPECT_TRUE(platform::window_system::beginThreadUse());
    EXPECT_TRUE(platform::window_system::beginThreadUse());
    platform::window_system::endThreadUse();
    platform::window_system::endThreadUse();
}

bool classRegistered() {
    WNDCLASSW info{};
    return GetClassInfoW(win32::ownModule(), win32::frameWindowClassName(), &info) != FALSE;
}

TEST(FrameWindowClass, RegisteredByTheFirstFrameAndRemovedWithTheLast) {
    HWND parent = toolkit_test::makeHostWindow(0, 0, 300, 200);
    ASSERT_NE(parent, nullptr);
    const auto host = reinterpret_cast<platform::WindowHandle>(parent);
    ASSERT_FALSE(classRegistered());
    auto* first = new CFrame(CCoordRect(0, 0, 100, 50), host, nullptr);
    EXPECT_TRUE(classRegistered());
    auto* second = new CFrame(CCoordRect(0, 50, 100, 100), host, nullptr);
    EXPECT_EQ(CFrame::windowClassUseCount(), 2);
    EXPECT_NE(first->getWindow(), nullptr);
    EXPECT_NE(second->getWindow(), nullptr);
    first->release();
    EXPECT_TRUE(classRegistered()) << "the second frame still uses it";
    EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(second->getWindow())));
    second->release();
    EXPECT_FALSE(classRegistered());
    EXPECT_EQ(CFrame::windowClassUseCount(), 0);
    DestroyWindow(parent);
}

TEST(GdiplusStartupHolder, CountsFramesAndBitmaps) {
    ASSERT_EQ(GDIPlusGlobals::instance(), nullptr);
    auto* first = new CFrame(CCoordRect(0, 0, 10, 10), nullptr, nullptr);
    ASSERT_NE(GDIPlusGlobals::instance(), nullptr);
    EXPECT_EQ(GDIPlusGlobals::instance()->referenceCount(), 1);
    auto* second = new CFrame(CCoordRect(0, 0, 10, 10), nullptr, nullptr);
    auto* bitmap = new CBitmap(nullptr, 4, 4);
    EXPECT_EQ(GDIPlusGlobals::instance()->referenceCount(), 3);
    EXPECT_EQ(bitmap->getWidth(), 4.0);
    first->release();
    bitmap->release();
    EXPECT_EQ(GDIPlusGlobals::instance()->referenceCount(), 1);
    second->release();
    EXPECT_EQ(GDIPlusGlobals::instance(), nullptr);
}

} // namespace
// NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
