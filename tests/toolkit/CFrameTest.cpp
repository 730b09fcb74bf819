// SPDX-License-Identifier: MIT
// The frame: creation and destruction with the window class, window messages turned into
// view events (flags, points, wheel distances, capture, answers), modal and mouse-over views,
// keyboard focus, cursors, painting and the window-chain resize.
#include "toolkit/CFrame.h"
#include "RecordingBackend.h"
#include "TestViews.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/VSTGUIEditorInterface.h"

#include <gtest/gtest.h>

namespace VSTGUI::test {
namespace {

using Calls = std::vector<std::string>;
using platform::MessageKind;

platform::WindowMessage mouseMessage(MessageKind kind, std::int32_t x, std::int32_t y,
                                     std::uint32_t keyState) {
    platform::WindowMessage message;
    message.kind = kind;
    message.point = {x, y};
    message.keyState = keyState;
    return message;
}

platform::WindowMessage wheelMessage(std::int32_t screenX, std::int32_t screenY,
                                     std::int32_t delta) {
    platform::WindowMessage message;
    message.kind = MessageKind::wheel;
    message.point = {screenX, screenY};
    message.wheelDelta = delta;
    return message;
}

class FrameTest : public testing::Test {
protected:
    FrameTest() {
        parent = backend->makeWindow({100, 200, 900, 800});
        frame = new CFrame(CCoordRect(0, 0, 300, 200), parent, nullptr);
        window = frame->getWindow();
        target = new JournalView("v", CCoordRect(10, 10, 110, 110), journal);
        frame->addView(target);
        backend->clearLog();
    }
    ~FrameTest() override {
        if (frame) frame->release();
    }
    platform::MessageAnswer send(const platform::WindowMessage& message) {
        platform::MessageAnswer answer;
        EXPECT_TRUE(backend->send(window, message, &answer));
        return answer;
    }

    ScopedRecordingBackend backend;
    Journal journal;
    platform::WindowHandle parent = nullptr;
    platform::WindowHandle window = nullptr;
    CFrame* frame = nullptr;
    JournalView* target = nullptr;
};

TEST(FrameLifecycle, CreationAndDestructionSteps) {
    ScopedRecordingBackend backend;
    auto parent = backend->makeWindow({0, 0, 640, 480});
    backend->clearLog();
    auto* frame = new CFrame(CCoordRect(0, 0, 300.9, 200.5), parent, nullptr);
    EXPECT_EQ(backend->calls, (Calls{
                                  "beginThreadUse()",
                                  "startup()",
                                  "registerFrameWindowClass()",
                                  "createFrameWindow(window1, 300, 200) -> window2",
                                  "registerDropTarget(window2)",
                              }));
    EXPECT_TRUE(frame->isOpen());
    EXPECT_TRUE(frame->isAttached());
    EXPECT_EQ(frame->getFrame(), frame);
    EXPECT_TRUE(frame->isDropActive());
    backend->clearLog();
    frame->release();
    EXPECT_EQ(backend->calls, (Calls{
                                  "getCursor()",
                                  "setCursor(0x00000000)",
                                  "revokeDropTarget(window2)",
                                  "endThreadUse()",
                                  "clearWindowUserData(window2)",
                                  "destroyWindow(window2)",
                                  "unregisterFrameWindowClass()",
                                  "shutdown(0x0000070c)",
                              }));
}

TEST(FrameLifecycle, TwoFramesRegisterTheClassOnceAndTheLastUnregistersIt) {
    ScopedRecordingBackend backend;
    auto parent = backend->makeWindow({0, 0, 640, 480});
    auto* first = new CFrame(CCoordRect(0, 0, 10, 10), parent, nullptr);
    auto* second = new CFrame(CCoordRect(0, 0, 10, 10), parent, nullptr);
    EXPECT_EQ(backend->classRegistrations, 1);
    EXPECT_EQ(backend->count("createFrameWindow"), 2u);
    EXPECT_EQ(CFrame::windowClassUseCount(), 2);
    EXPECT_EQ(backend->startups, 1);
    first->release();
    EXPECT_EQ(backend->classUnregistrations, 0);
    EXPECT_TRUE(backend->classRegistered);
    second->release();
    EXPECT_EQ(backend->classUnregistrations, 1);
    EXPECT_EQ(CFrame::windowClassUseCount(), 0);
    EXPECT_EQ(backend->shutdowns, 1);
    // A third frame registers again.
    auto* third = new CFrame(CCoordRect(0, 0, 10, 10), parent, nullptr);
    EXPECT_EQ(backend->classRegistrations, 2);
    third->release();
}

TEST(FrameLifecycle, AThreadUseThatDidNotBeginIsNotEnded) {
    ScopedRecordingBackend backend;
    backend->threadUseBegins = false;
    auto parent = backend->makeWindow({0, 0, 640, 480});
    auto* frame = new CFrame(CCoordRect(0, 0, 10, 10), parent, nullptr);
    frame->release();
    EXPECT_EQ(backend->count("beginThreadUse"), 1u);
    EXPECT_EQ(backend->count("endThreadUse"), 0u);
}

TEST(FrameLifecycle, WithoutParentWindowThereIsNoWindow) {
    ScopedRecordingBackend backend;
    auto* frame = new CFrame(CCoordRect(0, 0, 10, 10), nullptr, nullptr);
    EXPECT_EQ(frame->getWindow(), nullptr);
    EXPECT_FALSE(frame->setDropActive(true));
    EXPECT_EQ(backend->count("registerFrameWindowClass"), 0u);
    EXPECT_TRUE(frame->setSize(50, 60)); // the view size alone changes
    EXPECT_EQ(frame->getViewSize(), CCoordRect(0, 0, 50, 60));
    frame->release();
    EXPECT_EQ(CFrame::windowClassUseCount(), 0);
}

TEST_F(FrameTest, ButtonMessagesCarryTheirFlagsAndCaptureOnHandledDown) {
    backend->messageKeysDown = {platform::MessageKey::alt};
    EXPECT_EQ(send(mouseMessage(MessageKind::buttonDown, 20, 30,
                                platform::kMkLButton | platform::kMkShift))
                  .result,
              0);
    EXPECT_EQ(backend->capture, window);
    send(mouseMessage(MessageKind::buttonUp, 500, -20, platform::kMkControl));
    EXPECT_EQ(backend->capture, nullptr);
    backend->messageKeysDown.clear();
    send(mouseMessage(MessageKind::buttonDoubleClick, 20, 30, platform::kMkLButton));
    send(mouseMessage(MessageKind::buttonUp, 20, 30, 0));
    send(mouseMessage(MessageKind::buttonDown, 20, 30,
                      platform::kMkRButton | platform::kMkMButton | platform::kMkXButton1 |
                          platform::kMkXButton2));
    EXPECT_EQ(journal, (Journal{
                           "v: down 20,30 flags=82",   // left, shift, alt
                           "v: up 500,-20 flags=96",   // control, alt; outside, still the view's
                           "v: down 20,30 flags=1026", // left + double click
                           "v: up 20,30 flags=0",
                           "v: down 20,30 flags=780", // right, middle, 4, 5
                       }));
}

TEST_F(FrameTest, UpReleasesTheCaptureWhateverTheViewAnswersAndUnhandledDownDoesNotCapture) {
    target->downAnswer = kMouseNotHandled;
    send(mouseMessage(MessageKind::buttonDown, 20, 30, platform::kMkLButton));
    EXPECT_EQ(backend->count("setCapture"), 0u);
    send(mouseMessage(MessageKind::buttonDown, 250, 150, platform::kMkLButton)); // no view
    EXPECT_EQ(backend->count("setCapture"), 0u);
    send(mouseMessage(MessageKind::buttonUp, 20, 30, 0));
    EXPECT_EQ(backend->count("releaseCapture"), 1u);
    EXPECT_EQ(journal, (Journal{"v: down 20,30 flags=2"}));
}

TEST_F(FrameTest, WheelDistanceIsTheWholeNumberOfNotches) {
    // The window's screen top-left is the parent's (100, 200).
    auto answer = send(wheelMessage(150, 260, 120));
    EXPECT_TRUE(answer.forwardToDefault);
    send(wheelMessage(150, 260, 60));
    backend->messageKeysDown = {platform::MessageKey::shift, platform::MessageKey::control};
    send(wheelMessage(150, 260, -240));
    send(wheelMessage(150, 260, -119));
    EXPECT_EQ(journal, (Journal{
                           "v: wheel 50,60 1 flags=0", "v: wheel 50,60 0 flags=0",
                           "v: wheel 50,60 -2 flags=48",
                           "v: wheel 50,60 0 flags=48", // -119 / 120 truncates to 0
                       }));
}

TEST_F(FrameTest, WheelIsRefusedWhileAViewHoldsTheMouse) {
    CCoordPoint down(20, 20);
    frame->onMouseDown(down, kButtonLeft);
    EXPECT_FALSE(frame->onWheel(CCoordPoint(20, 20), 1.0f, 0));
    frame->onMouseUp(down, 0);
    EXPECT_TRUE(frame->onWheel(CCoordPoint(20, 20), 1.0f, 0));
    EXPECT_FALSE(frame->onWheel(CCoordPoint(250, 150), 1.0f, 0));
}

TEST_F(FrameTest, EraseBackgroundAnswersOneAndDestroyClosesTheFrame) {
    platform::WindowMessage erase;
    erase.kind = MessageKind::eraseBackground;
    const auto answer = send(erase);
    EXPECT_EQ(answer.result, 1);
    EXPECT_FALSE(answer.forwardToDefault);
    EXPECT_TRUE(backend->calls.empty());
    platform::WindowMessage destroy;
    destroy.kind = MessageKind::destroy;
    EXPECT_TRUE(send(destroy).forwardToDefault);
    EXPECT_FALSE(frame->isOpen());
    EXPECT_EQ(frame->getParentWindow(), nullptr);
    target->setDirty(true);
    frame->idle();
    EXPECT_EQ(backend->count("invalidateRect"), 0u);
    EXPECT_FALSE(frame->setSize(10, 10));
    std::int32_t x = 0;
    std::int32_t y = 0;
    EXPECT_FALSE(frame->getPosition(x, y));
}

TEST_F(FrameTest, MouseOverViewGetsEnterMoveAndExitAndLeaveIsRequestedOnce) {
    send(mouseMessage(MessageKind::mouseMove, 20, 20, 0));
    send(mouseMessage(MessageKind::mouseMove, 30, 25, platform::kMkLButton));
    send(mouseMessage(MessageKind::mouseMove, 250, 150, 0));
    send(mouseMessage(MessageKind::mouseMove, 260, 150, 0));
    EXPECT_EQ(journal, (Journal{
                           "v: entered 20,20",
                           "v: move 30,25 flags=0", // flags only reach a mouse-down view
                           "v: exited 250,150",
                       }));
    EXPECT_EQ(backend->count("requestMouseLeaveNotice"), 1u);
    send(mouseMessage(MessageKind::mouseMove, 20, 20, 0));
    journal.clear();
    backend->cursor = {140, 250}; // frame-local 40, 50
    platform::WindowMessage leave;
    leave.kind = MessageKind::mouseLeave;
    send(leave);
    EXPECT_EQ(journal, (Journal{"v: exited 40,50"}));
    send(mouseMessage(MessageKind::mouseMove, 20, 20, 0));
    EXPECT_EQ(backend->count("requestMouseLeaveNotice"), 2u);
}

TEST_F(FrameTest, MouseDownEndsTheMouseOverViewWithTheUnconvertedPoint) {
    auto* box = new JournalContainer("box", CCoordRect(150, 100, 250, 200), journal);
    auto* inner = new JournalView("in", CCoordRect(0, 0, 50, 50), journal);
    box->addView(inner);
    frame->addView(box);
    send(mouseMessage(MessageKind::mouseMove, 160, 110, 0));
    send(mouseMessage(MessageKind::buttonDown, 170, 120, platform::kMkLButton));
    EXPECT_EQ(journal, (Journal{
                           "in: entered 10,10",
                           "in: exited 170,120",
                           "in: down 20,20 flags=2",
                       }));
}

TEST_F(FrameTest, ModalViewTakesAllMouseAndKeyInput) {
    auto* modal = new JournalView("modal", CCoordRect(150, 0, 250, 100), journal);
    auto* other = new JournalView("other", CCoordRect(0, 0, 10, 10), journal);
    EXPECT_TRUE(frame->setModalView(modal));
    EXPECT_FALSE(frame->setModalView(other));  // one at a time
    EXPECT_FALSE(frame->setModalView(target)); // attached views are refused
    EXPECT_EQ(frame->getModalView(), modal);
    EXPECT_TRUE(frame->isChild(modal));
    CCoordPoint onTarget(20, 20);
    EXPECT_EQ(frame->onMouseDown(onTarget, kButtonLeft), kMouseNotHandled);
    CCoordPoint onModal(160, 20);
    EXPECT_EQ(frame->onMouseDown(onModal, kButtonLeft), kMouseHandled);
    EXPECT_EQ(frame->onMouseUp(onModal, 0), kMouseHandled);
    modal->downAnswer = kMouseNotHandled;
    EXPECT_EQ(frame->onMouseDown(onModal, kButtonLeft), kMouseNotHandled);
    modal->downAnswer = kMouseNotImplemented;
    EXPECT_EQ(frame->onMouseDown(onModal, kButtonLeft), kMouseHandled);
    EXPECT_TRUE(frame->onWheel(CCoordPoint(20, 20), 1.0f, 0)); // the modal view, unconverted
    EXPECT_EQ(frame->getCurrentView(), modal);
    VstKeyCode key;
    key.virt = 40;
    frame->onKeyDown(key);
    EXPECT_EQ(journal, (Journal{
                           "modal: down 160,20 flags=2",
                           "modal: up 160,20 flags=0",
                           "modal: down 160,20 flags=2",
                           "modal: down 160,20 flags=2",
                           "modal: mouse 160,20 flags=2 context",
                           "modal: wheel 20,20 1 flags=0",
                           "modal: keydown 40",
                       }));
    modal->retain();
    EXPECT_TRUE(frame->setModalView(nullptr));
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_FALSE(frame->isChild(modal));
    EXPECT_EQ(modal->referenceCount(), 1); // the creator's and the frame's references went
    modal->release();
    other->release();
}

TEST_F(FrameTest, TabMovesTheFocusForwardAndShiftTabBackward) {
    auto* first = new JournalView("first", CCoordRect(0, 0, 5, 5), journal);
    auto* second = new JournalView("second", CCoordRect(0, 0, 5, 5), journal);
    first->setWantsFocus(true);
    second->setWantsFocus(true);
    frame->addView(first);
    frame->addView(second);
    VstKeyCode tab;
    tab.virt = kVirtualKeyTab;
    EXPECT_EQ(frame->onKeyDown(tab), 1);
    EXPECT_EQ(frame->getFocusView(), first);
    EXPECT_EQ(frame->onKeyDown(tab), 1);
    EXPECT_EQ(frame->getFocusView(), second);
    EXPECT_EQ(frame->onKeyDown(tab), -1); // nothing after the last
    tab.modifier = kModifierShift;
    EXPECT_EQ(frame->onKeyDown(tab), 1);
    EXPECT_EQ(frame->getFocusView(), first);
    // A focus view that answers the key keeps the focus.
    first->keyAnswer = 0;
    EXPECT_EQ(frame->onKeyDown(tab), 0);
    EXPECT_EQ(frame->getFocusView(), first);
    EXPECT_EQ(frame->onKeyUp(tab), 0);
    // A mouse-down drops the focus.
    CCoordPoint where(250, 150);
    frame->onMouseDown(where, kButtonLeft);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    // Removing the focus view clears it.
    frame->setFocusView(second);
    frame->removeView(second, true);
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

TEST_F(FrameTest, SetSizeRefusesTheCurrentSizeAndFollowsTheWindowSystemsAnswer) {
    EXPECT_FALSE(frame->setSize(300, 200));
    EXPECT_TRUE(backend->calls.empty());
    EXPECT_TRUE(frame->setSize(400.7, 250));
    EXPECT_EQ(backend->calls, (Calls{"resizeFrameWindow(window2, 400, 250)"}));
    EXPECT_EQ(frame->getViewSize(), CCoordRect(0, 0, 400.7, 250));
    // The windows around were not the host's: the frame keeps its size, the call still counts.
    backend->resizeAccepted = false;
    EXPECT_TRUE(frame->setSize(320, 220));
    EXPECT_EQ(frame->getViewSize(), CCoordRect(0, 0, 400.7, 250));
}

TEST_F(FrameTest, PositionOfTheOuterWindowInItsParent) {
    auto desktop = backend->makeWindow({0, 0, 1920, 1080});
    auto outer = backend->makeWindow({50, 60, 360, 290}, desktop);
    backend->window(outer).titleBar = true;
    backend->window(parent).parent = outer;
    backend->window(parent).rect = {55, 80, 355, 280};
    backend->window(window).rect = {55, 80, 355, 280};
    std::int32_t x = -1;
    std::int32_t y = -1;
    EXPECT_TRUE(frame->getPosition(x, y));
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 60);
    // A parent much larger than the frame ends the walk below it.
    backend->window(outer).rect = {0, 0, 1000, 1000};
    EXPECT_TRUE(frame->getPosition(x, y));
    EXPECT_EQ(x, 55);
    EXPECT_EQ(y, 80);
}

TEST_F(FrameTest, InvalidatedViewIsPaintedWithTheUpdateRectangle) {
    target->invalid();
    EXPECT_EQ(backend->calls, (Calls{"invalidateRect(window2, 10, 10, 110, 110, erase)"}));
    backend->clearLog();
    platform::WindowMessage paint;
    paint.kind = MessageKind::paint;
    paint.updateRect = {10, 10, 110, 110};
    paint.paintContext = reinterpret_cast<platform::DeviceContextHandle>(std::uintptr_t{0x5000});
    const auto answer = send(paint);
    EXPECT_EQ(answer.result, 0);
    EXPECT_FALSE(answer.forwardToDefault);
    EXPECT_EQ(journal, (Journal{"v: draw update=10,10,110,110 clip=10,10,110,110 offset=0,0"}));
    EXPECT_EQ(backend->count("createGraphicsFromDeviceContext"), 1u);
    EXPECT_EQ(backend->count("getWindowDeviceContext"), 0u); // the paint's own is used
    EXPECT_EQ(backend->count("deleteGraphics"), 1u);
    EXPECT_EQ(backend->callsOf("fillRectangle").size(), 1u);
}

TEST(FramePainting, WindowsThatAreNotDoubleBufferedPaintThroughABackBuffer) {
    ScopedRecordingBackend backend;
    backend->doubleBuffered = false;
    auto parent = backend->makeWindow({0, 0, 640, 480});
    auto* frame = new CFrame(CCoordRect(0, 0, 64, 48), parent, nullptr);
    platform::WindowMessage paint;
    paint.kind = MessageKind::paint;
    paint.updateRect = {8, 4, 40, 30};
    backend->send(frame->getWindow(), paint);
    ASSERT_NE(frame->getBackBuffer(), nullptr);
    EXPECT_EQ(frame->getBackBuffer()->getWidth(), 64);
    EXPECT_EQ(backend->callsOf("drawImageRectRectI"),
              (Calls{"drawImageRectRectI(g2, image1, 8, 4, 32, 26, 8, 4, 32, 26, none)"}));
    // The back buffer is kept between paints and dropped by a size change.
    backend->send(frame->getWindow(), paint);
    EXPECT_EQ(backend->count("createBitmapFromScan0"), 1u);
    EXPECT_TRUE(frame->setSize(70, 50));
    EXPECT_EQ(frame->getBackBuffer(), nullptr);
    frame->release();
    EXPECT_EQ(backend->live["image"], 0);
    EXPECT_EQ(backend->live["g"], 0);
}

TEST_F(FrameTest, CursorShapesAndTheSavedCursor) {
    backend->currentCursor = reinterpret_cast<platform::CursorHandle>(std::uintptr_t{0xC0});
    frame->setCursor(2);
    frame->setCursor(9);
    frame->setCursor(7);
    frame->setCursor(0);
    EXPECT_EQ(backend->calls, (Calls{
                                  "getCursor()",
                                  "setSystemCursor(2)",
                                  "setSystemCursor(9)",
                                  "setCursor(0x000000c0)",
                                  "setCursor(0x000000c0)",
                              }));
}

TEST_F(FrameTest, PointerPositionAndPolledButtons) {
    backend->cursor = {130, 190};
    CCoordPoint where;
    EXPECT_TRUE(frame->getCurrentMouseLocation(where));
    EXPECT_EQ(where, CCoordPoint(30, -10));
    backend->pressedNow = {platform::PolledKey::leftButton, platform::PolledKey::shift,
                           platform::PolledKey::control};
    EXPECT_EQ(frame->getCurrentMouseButtons(), kButtonLeft | kModShift | kModControl);
    backend->cursor = {150, 250}; // over the view: 50, 50
    EXPECT_EQ(frame->getCurrentView(), target);
}

TEST(FrameInput, SwappedButtonsAreSwappedBackWhenPolled) {
    ScopedRecordingBackend backend;
    backend->swappedButtons = true;
    auto parent = backend->makeWindow({0, 0, 640, 480});
    auto* frame = new CFrame(CCoordRect(0, 0, 10, 10), parent, nullptr);
    backend->pressedNow = {platform::PolledKey::leftButton, platform::PolledKey::middleButton};
    EXPECT_EQ(frame->getCurrentMouseButtons(), kButtonRight | kButtonMiddle);
    backend->pressedNow = {platform::PolledKey::rightButton, platform::PolledKey::alt};
    EXPECT_EQ(frame->getCurrentMouseButtons(), kButtonLeft | kModAlt);
    frame->release();
}

class RecordingEditor : public VSTGUIEditorInterface {
public:
    int idles = 0;
    std::vector<std::string> edits;
    void doIdleStuff() override { ++idles; }
    std::int32_t getKnobMode() const override { return 2; }
    void beginEdit(std::int32_t index) override {
        edits.push_back("begin " + std::to_string(index));
    }
    void endEdit(std::int32_t index) override { edits.push_back("end " + std::to_string(index)); }
};

TEST(FrameEditor, CallsReachTheEditor) {
    ScopedRecordingBackend backend;
    RecordingEditor editor;
    auto* frame = new CFrame(CCoordRect(0, 0, 10, 10), nullptr, &editor);
    auto* view = new CView(CCoordRect(0, 0, 5, 5));
    frame->addView(view);
    EXPECT_EQ(view->getEditor(), &editor);
    EXPECT_EQ(frame->getKnobMode(), 2);
    frame->doIdleStuff();
    frame->beginEdit(3);
    frame->endEdit(3);
    EXPECT_EQ(editor.idles, 1);
    EXPECT_EQ(editor.edits, (std::vector<std::string>{"begin 3", "end 3"}));
    backend->ticks = {4242};
    EXPECT_EQ(frame->getTicks(), 4242u);
    frame->release();
}

class ReleasingEditor : public VSTGUIEditorInterface {
public:
    explicit ReleasingEditor(RecordingBackend& backend, int step = 5)
        : m_backend(&backend), m_step(step) {}
    int idles = 0;
    // Each idle moves the pointer `step` pixels right; the third releases the button.
    void doIdleStuff() override {
        ++idles;
        m_backend->cursor.x += m_step;
        if (idles == 3) m_backend->pressedNow.clear();
    }

private:
    RecordingBackend* m_backend;
    int m_step;
};

TEST(FrameEditor, WaitDragRunsTheIdleWorkUntilThePointerLeavesItsBoxOrTheButtonGoes) {
    ScopedRecordingBackend backend;
    auto parent = backend->makeWindow({100, 100, 500, 400});
    for (int step : {5, 1, 0}) {
        ReleasingEditor editor(*backend, step);
        auto* frame = new CFrame(CCoordRect(0, 0, 300, 200), parent, &editor);
        CDrawContext* context = frame->createDrawContext();
        backend->cursor = {120, 120};
        backend->pressedNow = {platform::PolledKey::leftButton};
        // The box reaches 2 pixels left and 1 right of the start: 5 pixels leave it at the
        // first idle, 1 pixel at the second; standing still, the third idle's release ends it.
        EXPECT_EQ(context->waitDrag(), step != 0) << step;
        EXPECT_EQ(editor.idles, step == 5 ? 1 : step == 1 ? 2 : 3) << step;
        context->release();
        frame->release();
    }
    auto* alone = new CDrawContext(nullptr, nullptr, nullptr);
    backend->pressedNow = {platform::PolledKey::leftButton};
    EXPECT_FALSE(alone->waitDrag()) << "without a frame";
    alone->release();
}

TEST(FrameEditor, OldStyleTrackingFollowsThePointerUntilTheButtonGoes) {
    ScopedRecordingBackend backend;
    ReleasingEditor editor(*backend);
    Journal journal;
    auto parent = backend->makeWindow({100, 100, 500, 400});
    auto* frame = new CFrame(CCoordRect(0, 0, 300, 200), parent, &editor);
    frame->addView(new JournalView("v", CCoordRect(10, 10, 110, 110), journal));
    backend->cursor = {120, 120};
    backend->pressedNow = {platform::PolledKey::leftButton};
    CDrawContext* context = frame->createDrawContext();
    CCoordPoint where(20, 20);
    frame->mouse(context, where);
    EXPECT_EQ(journal, (Journal{
                           "v: down 20,20 flags=2",
                           "v: move 25,20 flags=2",
                           "v: move 30,20 flags=2",
                           "v: move 35,20 flags=0",
                           "v: up 35,20 flags=0",
                       }));
    EXPECT_EQ(editor.idles, 3);
    context->release();
    frame->release();
}

TEST_F(FrameTest, DestructionKeepsTheModalViewsCreatorsReferenceAndDropsBothOfTheOthers) {
    auto* modal = new JournalView("modal", CCoordRect(0, 0, 10, 10), journal);
    ASSERT_TRUE(frame->setModalView(modal));
    target->retain(); // the test's own, to look at afterwards
    EXPECT_EQ(target->referenceCount(), 3);
    frame->release();
    frame = nullptr;
    EXPECT_EQ(modal->referenceCount(), 1);
    EXPECT_FALSE(modal->isAttached());
    EXPECT_EQ(target->referenceCount(), 1);
    EXPECT_FALSE(target->isAttached());
    modal->release();
    target->release();
}

TEST_F(FrameTest, InvalidationRulesOfTheFrameItself) {
    auto* beside = new JournalView("beside", CCoordRect(110, 10, 150, 50), journal);
    auto* apart = new JournalView("apart", CCoordRect(111, 60, 150, 80), journal);
    frame->addView(beside);
    frame->addView(apart);
    target->setDirty(false);
    beside->setDirty(false);
    apart->setDirty(false);
    // Marks every child that overlaps the rectangle, touching edges included.
    frame->invalidate(CCoordRect(100, 0, 110, 60));
    EXPECT_TRUE(target->isDirty());
    EXPECT_TRUE(beside->isDirty());
    EXPECT_FALSE(apart->isDirty());
    // An invisible frame asks nothing of its window.
    backend->clearLog();
    frame->setVisible(false);
    frame->invalidRect(CCoordRect(0, 0, 50, 50));
    frame->invalid();
    EXPECT_EQ(backend->count("invalidateRect"), 0u);
    frame->setVisible(true);
    frame->invalidRect(CCoordRect(0.9, 1.5, 49.9, 50));
    EXPECT_EQ(backend->calls, (Calls{"invalidateRect(window2, 0, 1, 49, 50, erase)"}));
}

TEST_F(FrameTest, AMouseDownViewRefusingAMoveLetsTheSameMoveDoTheHoverWork) {
    CCoordPoint down(20, 20);
    ASSERT_EQ(frame->onMouseDown(down, kButtonLeft), kMouseHandled);
    target->moveAnswer = kMouseNotHandled;
    CCoordPoint move(30, 40);
    EXPECT_EQ(frame->onMouseMoved(move, kButtonLeft), kMouseHandled);
    EXPECT_EQ(frame->getMouseDownView(), nullptr);
    // The up goes to nobody now; the next move is an ordinary hover move.
    EXPECT_EQ(frame->onMouseUp(move, 0), kMouseNotHandled);
    CCoordPoint next(35, 40);
    frame->onMouseMoved(next, 0);
    EXPECT_EQ(journal, (Journal{
                           "v: down 20,20 flags=2",
                           "v: move 30,40 flags=2",
                           "v: entered 30,40",
                           "v: move 35,40 flags=0",
                       }));
}

TEST_F(FrameTest, SizeOfTheParentMappedIntoTheThirdAncestor) {
    // frame window -> parent (100, 200, 900, 800) -> middle -> top, the third ancestor.
    auto top = backend->makeWindow({10, 20, 1010, 1020});
    auto middle = backend->makeWindow({40, 30, 960, 900}, top);
    backend->window(parent).parent = middle;
    CCoordRect size;
    EXPECT_TRUE(frame->getSize(size));
    EXPECT_EQ(size, CCoordRect(90, 180, 900, 800)); // only the corner is mapped
    EXPECT_TRUE(frame->getSize(&size));
    EXPECT_FALSE(frame->getSize(nullptr));
    EXPECT_EQ(backend->callsOf("mapWindowPoints").back(), "mapWindowPoints(none, window3)");
}

} // namespace
} // namespace VSTGUI::test
