// SPDX-License-Identifier: MIT
// The view tree: drawing order and clipping, hit-testing and mouse dispatch, invalidation,
// deep search, autosizing, attributes and copies, focus navigation.
#include "RecordingBackend.h"
#include "TestViews.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"

#include <gtest/gtest.h>

namespace VSTGUI::test {
namespace {

using Calls = std::vector<std::string>;

class ViewTreeTest : public testing::Test {
protected:
    ViewTreeTest() {
        parent = backend->makeWindow({0, 0, 800, 600});
        frame = new CFrame(CCoordRect(0, 0, 200, 200), parent, nullptr);
        window = frame->getWindow();
    }
    ~ViewTreeTest() override {
        if (frame) frame->release();
    }
    JournalView* view(const std::string& name, const CCoordRect& size) {
        return new JournalView(name, size, journal);
    }
    JournalContainer* container(const std::string& name, const CCoordRect& size) {
        return new JournalContainer(name, size, journal);
    }

    ScopedRecordingBackend backend;
    Journal journal;
    platform::WindowHandle parent = nullptr;
    platform::WindowHandle window = nullptr;
    CFrame* frame = nullptr;
};

TEST_F(ViewTreeTest, DrawsBottomToTopWithClipsInContainerCoordinates) {
    auto* inner = container("inner", CCoordRect(50, 50, 150, 150));
    inner->addView(view("c", CCoordRect(10, 10, 30, 30)));
    frame->addView(view("a", CCoordRect(0, 0, 100, 100)));
    frame->addView(inner);
    frame->addView(view("b", CCoordRect(40, 40, 120, 120)));
    auto* context = new CDrawContext(nullptr, nullptr, nullptr);
    frame->drawRect(context, CCoordRect(0, 0, 200, 200));
    EXPECT_EQ(journal, (Journal{
                           "a: draw update=0,0,200,200 clip=0,0,100,100 offset=0,0",
                           "c: draw update=0,0,100,100 clip=10,10,30,30 offset=50,50",
                           "b: draw update=0,0,200,200 clip=40,40,120,120 offset=0,0",
                       }));
    CCoordRect clip;
    EXPECT_EQ(context->getClipRect(clip), CCoordRect(0, 0, 1000, 1000));
    EXPECT_EQ(context->getOffset(), CCoordPoint(0, 0));
    context->release();
}

TEST_F(ViewTreeTest, ChildTouchingTheUpdateOnlyAlongAnEdgeIsNotDrawn) {
    auto* touching = view("t", CCoordRect(100, 0, 150, 50));
    frame->addView(touching);
    frame->addView(view("in", CCoordRect(50, 0, 101, 50)));
    EXPECT_TRUE(frame->checkUpdateRect(touching, CCoordRect(0, 0, 100, 100)));
    auto* context = new CDrawContext(nullptr, nullptr, nullptr);
    frame->drawRect(context, CCoordRect(0, 0, 100, 100));
    EXPECT_EQ(journal, (Journal{"in: draw update=0,0,100,100 clip=50,0,100,50 offset=0,0"}));
    context->release();
}

TEST_F(ViewTreeTest, HiddenChildrenAreNeitherDrawnNorHit) {
    auto* hidden = view("h", CCoordRect(0, 0, 100, 100));
    frame->addView(hidden);
    hidden->setVisible(false);
    auto* context = new CDrawContext(nullptr, nullptr, nullptr);
    frame->drawRect(context, CCoordRect(0, 0, 200, 200));
    CCoordPoint where(10, 10);
    EXPECT_EQ(frame->onMouseDown(where, kButtonLeft), kMouseNotHandled);
    EXPECT_EQ(frame->getViewAt(where), nullptr);
    EXPECT_TRUE(journal.empty());
    context->release();
}

TEST_F(ViewTreeTest, ContainerPaintsOpaqueBlackBehindItsChildren) {
    auto* context = new CDrawContext(nullptr, nullptr, backend->makeWindow({0, 0, 10, 10}));
    backend->clearLog();
    frame->drawRect(context, CCoordRect(0, 0, 50, 40));
    EXPECT_EQ(backend->calls, (Calls{
                                  "setClipRectI(g1, 0, 0, 50, 40, 0)",
                                  "setPenColor(pen1, 0xff000000)",
                                  "fillRectangle(g1, brush1, 0, 0, 200, 200)",
                                  "drawRectangle(g1, pen1, 0, 0, 199, 199)",
                                  "setClipRectI(g1, 0, 0, 1000, 1000, 0)",
                              }));
    // Transparent with an opaque colour: nothing at all.
    frame->setTransparency(true);
    backend->clearLog();
    frame->drawRect(context, CCoordRect(0, 0, 50, 40));
    EXPECT_EQ(backend->count("fillRectangle"), 0u);
    context->release();
}

TEST_F(ViewTreeTest, AContainerDrawingOffscreenDrawsItsChildrenAtTheirPlaceInItsBitmap) {
    auto* box = container("box", CCoordRect(100, 50, 200, 150));
    box->setDrawInOffscreen(true);
    box->addView(view("c", CCoordRect(10, 10, 30, 30)));
    frame->addView(box);
    auto* context = new CDrawContext(nullptr, nullptr, backend->makeWindow({0, 0, 10, 10}));
    const std::string screen = backend->nameOf(context->getGraphics()->handle);
    backend->clearLog();
    frame->drawRect(context, CCoordRect(0, 0, 200, 200));
    // The offscreen's pixels are the box's coordinates: the child at its own place, clipped to
    // itself; the bitmap then goes to the box's place on the screen.
    EXPECT_EQ(journal, (Journal{"c: draw update=0,0,100,100 clip=10,10,30,30 offset=0,0"}));
    const Calls blits = backend->callsOf("drawImageRectRectI");
    ASSERT_EQ(blits.size(), 1u);
    EXPECT_EQ(blits[0].rfind("drawImageRectRectI(" + screen + ", image", 0), 0u) << blits[0];
    EXPECT_NE(blits[0].find(", 100, 50, 100, 100, 0, 0, 100, 100, none)"), std::string::npos)
        << blits[0];
    context->release();
}

TEST_F(ViewTreeTest, BackgroundBitmapsAreDrawnByTheViewAndBehindTheContainersChildren) {
    auto* bitmap = new CBitmap(nullptr, 20, 10);
    auto* plain = new CView(CCoordRect(5, 5, 25, 15));
    auto* box = container("box", CCoordRect(40, 40, 90, 90));
    plain->setBackground(bitmap);
    box->setBackground(bitmap);
    box->setBackgroundOffset(CCoordPoint(3, 4));
    bitmap->release(); // the two views hold it now
    frame->addView(plain);
    frame->addView(box);
    auto* context = new CDrawContext(nullptr, nullptr, backend->makeWindow({0, 0, 10, 10}));
    const std::string g = backend->nameOf(context->getGraphics()->handle);
    // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDelete): the views hold the bitmap
    const std::string image = backend->nameOf(bitmap->getPlatformBitmap()->handle);
    backend->clearLog();
    frame->drawRect(context, CCoordRect(0, 0, 200, 200));
    EXPECT_EQ(
        backend->callsOf("drawImageRectRectI"),
        (Calls{"drawImageRectRectI(" + g + ", " + image + ", 5, 5, 20, 10, 0, 0, 20, 10, none)",
               "drawImageRectRectI(" + g + ", " + image +
                   ", 40, 40, 20, 10, 3, 4, 20, 10, none)"}));
    // Setting the bitmap a view holds again keeps it, even as the view's last reference.
    box->setBackground(nullptr);
    plain->setBackground(plain->getBackground());
    EXPECT_EQ(bitmap->referenceCount(), 1);
    EXPECT_EQ(backend->count("disposeImage"), 0u);
    context->release();
}

TEST_F(ViewTreeTest, TopmostChildGetsTheMouseInLocalCoordinates) {
    auto* inner = container("inner", CCoordRect(50, 50, 150, 150));
    inner->addView(view("deep", CCoordRect(10, 10, 40, 40)));
    frame->addView(view("a", CCoordRect(0, 0, 100, 100)));
    frame->addView(inner);
    CCoordPoint where(60, 60);
    EXPECT_EQ(frame->onMouseDown(where, kButtonLeft), kMouseHandled);
    frame->onMouseUp(where, 0);
    journal.clear();
    CCoordPoint corner(90, 90); // on the deep view's edge, which counts
    frame->onMouseDown(corner, kButtonLeft);
    EXPECT_EQ(journal, (Journal{"deep: down 40,40 flags=2"}));
    EXPECT_EQ(frame->getViewAt(CCoordPoint(5, 5)), frame->getView(0));
    EXPECT_EQ(frame->getViewAt(CCoordPoint(60, 60)), inner);
}

TEST_F(ViewTreeTest, MouseDownViewKeepsMovesAndUpUntilAMoveIsNotHandled) {
    auto* a = view("a", CCoordRect(0, 0, 50, 50));
    frame->addView(a);
    CCoordPoint down(10, 10);
    EXPECT_EQ(frame->onMouseDown(down, kButtonLeft), kMouseHandled);
    CCoordPoint outside(150, 150);
    EXPECT_EQ(frame->CViewContainer::onMouseMoved(outside, kButtonLeft), kMouseHandled);
    EXPECT_EQ(frame->onMouseUp(outside, 0), kMouseHandled);
    EXPECT_EQ(frame->onMouseUp(outside, 0), kMouseNotHandled);
    frame->onMouseDown(down, kButtonLeft);
    a->moveAnswer = kMouseNotHandled;
    EXPECT_EQ(frame->CViewContainer::onMouseMoved(outside, kButtonLeft), kMouseNotHandled);
    EXPECT_EQ(frame->onMouseUp(outside, 0), kMouseNotHandled);
    EXPECT_EQ(journal, (Journal{
                           "a: down 10,10 flags=2",
                           "a: move 150,150 flags=2",
                           "a: up 150,150 flags=0",
                           "a: down 10,10 flags=2",
                           "a: move 150,150 flags=2",
                       }));
}

TEST_F(ViewTreeTest, ARemovedChildIsNoLongerTheMouseDownOrTheDragView) {
    auto* box = container("box", CCoordRect(0, 0, 100, 100));
    auto* child = view("c", CCoordRect(10, 10, 50, 50));
    box->addView(child);
    frame->addView(box);
    CCoordPoint at(20, 20);
    ASSERT_EQ(box->onMouseDown(at, kButtonLeft), kMouseHandled);
    box->onDragEnter(nullptr, at);
    child->retain(); // kept alive, so that a later event would show in the journal
    box->removeView(child, true);
    EXPECT_EQ(box->getMouseDownView(), nullptr);
    journal.clear();
    EXPECT_EQ(box->onMouseMoved(at, kButtonLeft), kMouseNotHandled);
    EXPECT_EQ(box->onMouseUp(at, 0), kMouseNotHandled);
    box->onDragLeave(nullptr, at);
    EXPECT_TRUE(journal.empty()) << ::testing::PrintToString(journal);
    EXPECT_EQ(child->referenceCount(), 1);
    child->release();
}

TEST_F(ViewTreeTest, NotImplementedMouseDownRunsTheOldStyleEntry) {
    auto* a = view("a", CCoordRect(0, 0, 50, 50));
    a->downAnswer = kMouseNotImplemented;
    frame->addView(a);
    CCoordPoint where(5, 6);
    EXPECT_EQ(frame->onMouseDown(where, kButtonRight), kMouseNotImplemented);
    EXPECT_EQ(journal, (Journal{"a: down 5,6 flags=8", "a: mouse 5,6 flags=8 context"}));
    EXPECT_EQ(frame->getMouseDownView(), nullptr);
    a->downAnswer = 7; // passed through
    EXPECT_EQ(frame->onMouseDown(where, kButtonLeft), 7);
}

TEST_F(ViewTreeTest, InvalidationReachesTheWindowOnlyFromVisibleAttachedViews) {
    auto* inner = container("inner", CCoordRect(50, 50, 150, 150));
    auto* child = view("c", CCoordRect(10, 10, 30, 30));
    inner->addView(child);
    auto* detached = view("d", CCoordRect(0, 0, 10, 10));
    frame->addView(inner);
    backend->clearLog();
    child->invalid();
    EXPECT_EQ(backend->calls, (Calls{"invalidateRect(window2, 60, 60, 80, 80, erase)"}));
    backend->clearLog();
    // Partly outside the container: cut to it.
    inner->invalidRect(CCoordRect(90, 90, 120, 120));
    EXPECT_EQ(backend->calls, (Calls{"invalidateRect(window2, 140, 140, 150, 150, erase)"}));
    backend->clearLog();
    inner->invalidRect(CCoordRect(100, 100, 120, 120)); // wholly outside
    inner->setVisible(false);
    inner->invalidRect(CCoordRect(0, 0, 10, 10));
    child->invalid();
    detached->invalid();
    detached->invalidRect(CCoordRect(0, 0, 5, 5));
    EXPECT_TRUE(backend->calls.empty());
    detached->release();
}

TEST_F(ViewTreeTest, DirtyViewsAreRedrawnThroughIdle) {
    auto* a = view("a", CCoordRect(0, 0, 10, 10));
    auto* inner = container("inner", CCoordRect(50, 50, 150, 150));
    auto* c = view("c", CCoordRect(10, 10, 30, 30));
    inner->addView(c);
    frame->addView(a);
    frame->addView(inner);
    backend->clearLog();
    EXPECT_FALSE(frame->isDirty());
    c->setDirty(true);
    EXPECT_TRUE(inner->isDirty());
    EXPECT_TRUE(frame->isDirty());
    frame->idle();
    // Waiting events first, then the dirty views, then one paint of the window.
    EXPECT_EQ(backend->calls,
              (Calls{"handlePendingEvents()", "invalidateRect(window2, 60, 60, 80, 80, erase)",
                     "paintPendingUpdate(window2)"}));
    EXPECT_FALSE(c->isDirty());
    // A dirty child outside its container's area does not make the container dirty.
    c->setViewSize(CCoordRect(200, 200, 220, 220));
    EXPECT_FALSE(inner->isDirty());
    // A dirty container invalidates itself whole.
    backend->clearLog();
    inner->setDirty(true);
    frame->idle();
    EXPECT_EQ(backend->callsOf("invalidateRect"),
              (Calls{"invalidateRect(window2, 50, 50, 150, 150, erase)"}));
}

TEST_F(ViewTreeTest, DeepSearchAnswersNoneInsideAnEmptyAreaOfAChildContainer) {
    auto* inner = container("inner", CCoordRect(50, 50, 150, 150));
    auto* c = view("c", CCoordRect(10, 10, 30, 30));
    inner->addView(c);
    frame->addView(inner);
    EXPECT_EQ(frame->getViewAt(CCoordPoint(60, 60), true), c);
    EXPECT_EQ(frame->getViewAt(CCoordPoint(140, 140), true), nullptr);
    EXPECT_EQ(frame->getViewAt(CCoordPoint(140, 140), false), inner);
    EXPECT_EQ(frame->getContainerAt(CCoordPoint(140, 140), true), inner);
    EXPECT_EQ(frame->getContainerAt(CCoordPoint(10, 10), true), frame);
    auto* loose = container("loose", CCoordRect(0, 0, 100, 100));
    EXPECT_EQ(loose->getViewAt(CCoordPoint(1, 1)), nullptr); // no frame
    loose->release();
}

TEST_F(ViewTreeTest, AutosizeFollowsTheParentsGrowth) {
    auto* box = container("box", CCoordRect(0, 0, 100, 100));
    auto* stays = view("stays", CCoordRect(10, 10, 20, 20));
    auto* stretches = view("stretches", CCoordRect(10, 10, 20, 20));
    stretches->setAutosizeFlags(kAutosizeLeft | kAutosizeRight | kAutosizeTop | kAutosizeBottom);
    auto* moves = view("moves", CCoordRect(10, 10, 20, 20));
    moves->setAutosizeFlags(kAutosizeRight | kAutosizeBottom);
    box->addView(stays);
    box->addView(stretches);
    box->addView(moves);
    frame->addView(box);
    box->setViewSize(CCoordRect(0, 0, 130, 90));
    EXPECT_EQ(stays->getViewSize(), CCoordRect(10, 10, 20, 20));
    EXPECT_EQ(stretches->getViewSize(), CCoordRect(10, 10, 50, 10));
    EXPECT_EQ(moves->getViewSize(), CCoordRect(40, 0, 50, 10));
    EXPECT_EQ(moves->getMouseableArea(), CCoordRect(40, 0, 50, 10));

    auto* row = container("row", CCoordRect(0, 0, 100, 10));
    row->setAutosizeFlags(kAutosizeColumn);
    auto* first = view("1", CCoordRect(0, 0, 50, 10));
    auto* second = view("2", CCoordRect(50, 0, 100, 10));
    row->addView(first);
    row->addView(second);
    frame->addView(row);
    row->setViewSize(CCoordRect(0, 0, 140, 10));
    EXPECT_EQ(first->getViewSize(), CCoordRect(0, 0, 70, 10));
    EXPECT_EQ(second->getViewSize(), CCoordRect(70, 0, 140, 10));
}

TEST_F(ViewTreeTest, AttributesAndCopies) {
    auto* original = view("o", CCoordRect(1, 2, 3, 4));
    const char small[] = "abc";
    const char large[] = "abcdefgh";
    EXPECT_TRUE(original->setAttribute(7, 4, small));
    EXPECT_TRUE(original->setAttribute(7, 9, large));
    EXPECT_TRUE(original->setAttribute(7, 4, small)); // shrinks in place
    std::int32_t size = 0;
    EXPECT_TRUE(original->getAttributeSize(7, size));
    EXPECT_EQ(size, 4);
    char buffer[16] = {};
    std::int32_t got = 0;
    EXPECT_FALSE(original->getAttribute(7, 3, buffer, got)); // buffer smaller than stored
    EXPECT_TRUE(original->getAttribute(7, 16, buffer, got));
    EXPECT_EQ(got, 4);
    EXPECT_STREQ(buffer, "abc");
    original->setWantsFocus(true);
    original->setAutosizeFlags(kAutosizeRight);
    original->setMouseableArea(CCoordRect(0, 0, 1, 1));
    frame->addView(original);
    original->setDirty(true);

    CView* copy = original->newCopy();
    EXPECT_FALSE(copy->isAttached());
    EXPECT_FALSE(copy->isDirty());
    EXPECT_EQ(copy->getFrame(), nullptr);
    EXPECT_TRUE(copy->wantsFocus());
    EXPECT_EQ(copy->getAutosizeFlags(), kAutosizeRight);
    EXPECT_EQ(copy->getViewSize(), CCoordRect(1, 2, 3, 4));
    EXPECT_EQ(copy->getMouseableArea(), CCoordRect(0, 0, 1, 1));
    char copied[16] = {};
    EXPECT_TRUE(copy->getAttribute(7, 16, copied, got));
    EXPECT_STREQ(copied, "abc");
    EXPECT_TRUE(original->removeAttribute(7));
    EXPECT_FALSE(original->getAttributeSize(7, size));
    EXPECT_TRUE(copy->getAttributeSize(7, size)); // the copy owns its bytes
    copy->release();

    auto* box = container("box", CCoordRect(0, 0, 50, 50));
    box->addView(view("x", CCoordRect(0, 0, 5, 5)));
    box->setBackgroundColor(CRgbaColor{1, 2, 3, 4});
    auto* boxCopy = static_cast<CViewContainer*>(box->newCopy());
    EXPECT_EQ(boxCopy->getNbViews(), 1);
    EXPECT_NE(boxCopy->getView(0), box->getView(0));
    EXPECT_EQ(boxCopy->getBackgroundColor(), (CRgbaColor{1, 2, 3, 4}));
    boxCopy->release();
    box->release();
}

TEST_F(ViewTreeTest, AddAndRemoveRulesAndReferences) {
    auto* a = view("a", CCoordRect(0, 0, 10, 10));
    EXPECT_FALSE(frame->addView(nullptr));
    EXPECT_TRUE(frame->addView(a));
    EXPECT_EQ(a->referenceCount(), 2);
    EXPECT_TRUE(a->isAttached());
    EXPECT_EQ(a->getFrame(), frame);
    EXPECT_FALSE(frame->addView(a)); // already attached
    a->retain();                     // keep it past the removal
    EXPECT_TRUE(frame->removeView(a, true));
    EXPECT_EQ(a->referenceCount(), 1);
    EXPECT_FALSE(a->isAttached());
    EXPECT_FALSE(frame->removeView(a, true));
    a->release();

    auto* box = container("box", CCoordRect(0, 0, 50, 50));
    auto* c = view("c", CCoordRect(0, 0, 5, 5));
    box->addView(c);
    EXPECT_FALSE(c->isAttached()); // box is not attached yet
    frame->addView(box);
    EXPECT_TRUE(c->isAttached());
    EXPECT_EQ(c->getFrame(), frame);
    EXPECT_EQ(c->getParentView(), box);
    EXPECT_TRUE(box->isTypeOf("CView"));
    EXPECT_TRUE(box->isTypeOf("CViewContainer"));
    EXPECT_FALSE(box->isTypeOf("CFrame"));
    EXPECT_TRUE(frame->isTypeOf("CFrame"));
    EXPECT_FALSE(c->isTypeOf("CViewContainer"));
    EXPECT_EQ(c->getVisibleSize(), CCoordRect(0, 0, 5, 5));
    box->setViewSize(CCoordRect(190, 190, 240, 240));
    EXPECT_EQ(c->getVisibleSize(), CCoordRect(0, 0, 5, 5));
    c->setViewSize(CCoordRect(5, 5, 20, 20));
    EXPECT_EQ(c->getVisibleSize(), CCoordRect(5, 5, 10, 10));
    CCoordPoint p(1, 1);
    EXPECT_EQ(c->viewToFrame(p), CCoordPoint(196, 196));
}

TEST_F(ViewTreeTest, WheelGoesToTheChildAtThePointWithHorizontalNegated) {
    auto* inner = container("inner", CCoordRect(50, 50, 150, 150));
    inner->addView(view("c", CCoordRect(10, 10, 30, 30)));
    frame->addView(inner);
    EXPECT_TRUE(inner->onWheel(CCoordPoint(65, 65), 2.0f, kModShift));
    EXPECT_TRUE(inner->onWheel(CCoordPoint(65, 65), kMouseWheelHorizontal, 2.0f, 0));
    EXPECT_FALSE(inner->onWheel(CCoordPoint(140, 140), 1.0f, 0));
    EXPECT_EQ(journal, (Journal{"c: wheel 15,15 2 flags=16", "c: wheel 15,15 -2 flags=0"}));
}

TEST_F(ViewTreeTest, KeysAskChildrenTopmostFirst) {
    auto* a = view("a", CCoordRect(0, 0, 10, 10));
    auto* b = view("b", CCoordRect(0, 0, 10, 10));
    a->keyAnswer = 5;
    auto* box = container("box", CCoordRect(0, 0, 50, 50));
    box->addView(a);
    box->addView(b);
    frame->addView(box);
    VstKeyCode key;
    key.virt = 9;
    EXPECT_EQ(box->onKeyDown(key), 5);
    EXPECT_EQ(journal, (Journal{"b: keydown 9", "a: keydown 9"}));
    a->keyAnswer = -1;
    EXPECT_EQ(box->onKeyUp(key), -1);
}

TEST_F(ViewTreeTest, FocusAdvancesForwardAndBackwardThroughContainers) {
    auto* a = view("a", CCoordRect(0, 0, 10, 10));
    auto* box = container("box", CCoordRect(0, 0, 50, 50));
    auto* b = view("b", CCoordRect(0, 0, 10, 10));
    auto* c = view("c", CCoordRect(0, 0, 10, 10));
    auto* plain = view("plain", CCoordRect(0, 0, 10, 10));
    a->setWantsFocus(true);
    b->setWantsFocus(true);
    c->setWantsFocus(true);
    box->addView(b);
    frame->addView(a);
    frame->addView(plain);
    frame->addView(box);
    frame->addView(c);
    EXPECT_TRUE(frame->advanceNextFocusView(nullptr, false));
    EXPECT_EQ(frame->getFocusView(), a);
    EXPECT_TRUE(frame->advanceNextFocusView(a, false));
    EXPECT_EQ(frame->getFocusView(), b);
    // From inside the box: the frame's own walk never meets b, so nothing follows.
    EXPECT_FALSE(frame->advanceNextFocusView(b, false));
    EXPECT_TRUE(frame->advanceNextFocusView(c, true));
    EXPECT_EQ(frame->getFocusView(), b);
    EXPECT_TRUE(frame->advanceNextFocusView(box, true));
    EXPECT_EQ(frame->getFocusView(), a);
    EXPECT_FALSE(frame->advanceNextFocusView(a, true));
    EXPECT_EQ(journal, (Journal{
                           "a: focustaken",
                           "box: kMsgNewFocusView",
                           "a: focuslost",
                           "b: focustaken",
                           "b: focustaken", // already the focus view: told again, no messages
                           "box: kMsgOldFocusView",
                           "b: focuslost",
                           "a: focustaken",
                       }));
}

TEST_F(ViewTreeTest, MouseLocationOfANestedViewIsInItsContainersCoordinates) {
    auto* inner = container("inner", CCoordRect(50, 40, 150, 150));
    auto* c = view("c", CCoordRect(10, 10, 30, 30));
    inner->addView(c);
    frame->addView(inner);
    // The frame's window sits at the parent's screen corner (0, 0).
    auto* context = frame->createDrawContext();
    backend->cursor = {75, 65};
    CCoordPoint where;
    c->getMouseLocation(context, where);
    EXPECT_EQ(where, CCoordPoint(25, 25));
    EXPECT_EQ(context->getOffset(), CCoordPoint(0, 0)); // shifted only for the question
    EXPECT_EQ(context->getScreenOffset(), CCoordPoint(0, 0));
    inner->getMouseLocation(context, where);
    EXPECT_EQ(where, CCoordPoint(75, 65));
    context->release();
}

} // namespace
} // namespace VSTGUI::test
