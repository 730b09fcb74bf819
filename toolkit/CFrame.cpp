// SPDX-License-Identifier: MIT
#include "toolkit/CFrame.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CMouseObserver.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/GDIPlusGlobals.h"
#include "toolkit/VSTGUIEditorInterface.h"

#include <cstdlib>
#include <cstring>

namespace VSTGUI {

namespace winsys = platform::window_system;

namespace {

// Module-wide state shared by every frame of the process.
std::int32_t g_classUseCount = 0;
bool g_swappedButtons = false;
bool g_focusChanging = false;

constexpr std::int32_t kWheelDeltaPerNotch = 120;
// Parents of a different size by more than this are not part of the plug-in's window.
constexpr std::int32_t kMaxParentSizeDifference = 60;

bool isContainer(CView* view) {
    return view && view->notify(nullptr, kMsgCheckIfViewContainer) == 1;
}

CCoordPoint toFrameLocal(const CView* view, const CCoordPoint& where) {
    CCoordPoint p = where;
    view->frameToLocal(p);
    return p;
}

} // namespace

// ---- creation and destruction -----------------------------------------------------------

CFrame::CFrame(const CCoordRect& size, platform::WindowHandle parentWindow,
               VSTGUIEditorInterface* editor)
    : CViewContainer(size), m_editor(editor), m_parentWindow(parentWindow), m_dropHandler(this) {
    m_attached = true;
    m_parentFrame = this;
    m_threadUseBegun = winsys::beginThreadUse();
    GDIPlusGlobals::enter();
    m_doubleBuffered = winsys::areWindowsDoubleBuffered();
    createWindow();
}

void CFrame::createWindow() {
    if (!m_parentWindow) return;
    if (g_classUseCount++ == 0) {
        winsys::registerFrameWindowClass();
        g_swappedButtons = winsys::areMouseButtonsSwapped();
    }
    m_window = winsys::createFrameWindow(m_parentWindow, trunc32(m_size.getWidth()),
                                         trunc32(m_size.getHeight()), this);
    CFrame::setDropActive(true);
}

CFrame::~CFrame() {
    if (m_modalView) {
        CView* modal = m_modalView;
        m_modalView = nullptr;
        CViewContainer::removeView(modal, false);
    }
    CFrame::setCursor(0);
    CFrame::setDropActive(false);
    m_parentFrame = nullptr;
    m_modalView = nullptr;
    m_focusView = nullptr;
    m_mouseOverView = nullptr;
    CViewContainer::removeAll(true);
    if (m_threadUseBegun) winsys::endThreadUse();
    if (m_backBuffer) {
        m_backBuffer->release();
        m_backBuffer = nullptr;
    }
    if (m_window) {
        winsys::clearWindowUserData(m_window);
        winsys::destroyWindow(m_window);
        m_window = nullptr;
        if (--g_classUseCount == 0) winsys::unregisterFrameWindowClass();
    }
    GDIPlusGlobals::exit();
}

std::int32_t CFrame::windowClassUseCount() {
    return g_classUseCount;
}
bool CFrame::buttonsSwapped() {
    return g_swappedButtons;
}

// ---- simple services --------------------------------------------------------------------

void CFrame::idle() {
    if (!m_open) return;
    // Input and exposures first, so that what they mark dirty is redrawn in the same pass,
    // and the window painted once at the end of it.
    winsys::handlePendingEvents();
    if (!m_open) return;
    updateDirtyViews();
    if (m_window) winsys::paintPendingUpdate(m_window);
}

void CFrame::doIdleStuff() {
    if (m_editor) m_editor->doIdleStuff();
}

std::uint32_t CFrame::getTicks() const {
    return winsys::tickCount();
}

std::int32_t CFrame::getKnobMode() const {
    return m_editor ? m_editor->getKnobMode() : 0;
}

std::intptr_t CFrame::legacyQuery(std::intptr_t /*value*/) {
    return 0;
}

void CFrame::beginEdit(std::int32_t index) {
    if (m_editor) m_editor->beginEdit(index);
}

void CFrame::endEdit(std::int32_t index) {
    if (m_editor) m_editor->endEdit(index);
}

bool CFrame::getCurrentMouseLocation(CCoordPoint& where) const {
    platform::PointI screen;
    winsys::getCursorPosition(screen);
    platform::RectI window;
    if (m_window) winsys::getWindowRect(m_window, window);
    where = CCoordPoint(screen.x - window.left, screen.y - window.top);
    return true;
}

void CFrame::getCurrentMouseLocation(CCoordPoint* where) const {
    if (where) getCurrentMouseLocation(*where);
}

CButtonState CFrame::getCurrentMouseButtons() const {
    return pollButtonState();
}

CButtonState CFrame::pollButtonState() {
    using platform::PolledKey;
    CButtonState state = 0;
    const bool left = winsys::isKeyPressedNow(PolledKey::leftButton);
    const bool right = winsys::isKeyPressedNow(PolledKey::rightButton);
    if (left) state |= g_swappedButtons ? kButtonRight : kButtonLeft;
    if (right) state |= g_swappedButtons ? kButtonLeft : kButtonRight;
    if (winsys::isKeyPressedNow(PolledKey::middleButton)) state |= kButtonMiddle;
    if (winsys::isKeyPressedNow(PolledKey::shift)) state |= kModShift;
    if (winsys::isKeyPressedNow(PolledKey::control)) state |= kModControl;
    if (winsys::isKeyPressedNow(PolledKey::alt)) state |= kModAlt;
    return state;
}

void CFrame::setCursor(std::int32_t shape) {
    if (!m_cursorSaved) {
        m_savedCursor = winsys::getCursor();
        m_cursorSaved = true;
    }
    switch (shape) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 8:
    case 9:
        winsys::setSystemCursor(shape);
        break;
    default:
        winsys::setCursor(m_savedCursor);
        break;
    }
}

bool CFrame::setDropActive(bool active) {
    if (!m_window) return false;
    if (m_dropActive) winsys::revokeDropTarget(m_window);
    m_dropActive = false;
    if (!active) return true;
    m_dropActive = winsys::registerDropTarget(m_window, &m_dropHandler);
    return m_dropActive;
}

void CFrame::invalidate(const CCoordRect& rect) {
    for (CView* child : m_children)
        if (child->getViewSize().rectOverlap(rect)) child->setDirty(true);
}

CDrawContext* CFrame::createDrawContext() {
    return new CDrawContext(this, nullptr, m_window);
}

// ---- tree operations the frame replaces -------------------------------------------------

void CFrame::onViewRemoved(CView* view) {
    if (m_mouseOverView == view) m_mouseOverView = nullptr;
    if (m_focusView == view) m_focusView = nullptr;
}

bool CFrame::removeView(CView* view, bool release) {
    if (view && view == m_modalView) m_modalView = nullptr;
    return CViewContainer::removeView(view, release);
}

bool CFrame::removeAll(bool release) {
    m_modalView = nullptr;
    m_focusView = nullptr;
    m_mouseOverView = nullptr;
    return CViewContainer::removeAll(release);
}

bool CFrame::setModalView(CView* view) {
    if (view) {
        if (m_modalView || view->isAttached()) return false;
        m_modalView = view;
        addView(view);
        return true;
    }
    if (m_modalView) removeView(m_modalView, true);
    m_modalView = nullptr;
    return true;
}

bool CFrame::advanceNextFocusView(CView* current, bool backwards) {
    if (m_modalView) {
        if (isContainer(m_modalView))
            return static_cast<CViewContainer*>(m_modalView)
                ->advanceNextFocusView(current, backwards);
        return false;
    }
    return CViewContainer::advanceNextFocusView(current, backwards);
}

CView* CFrame::getCurrentView() const {
    if (m_modalView) return m_modalView;
    return CViewContainer::getCurrentView();
}

bool CFrame::isTypeOf(const char* type) const {
    return type && (std::strcmp(type, "CFrame") == 0 || CViewContainer::isTypeOf(type));
}

CView* CFrame::newCopy() const {
    return nullptr;
} // a frame is bound to its window

void CFrame::setFocusView(CView* view) {
    if (view == m_focusView || g_focusChanging) return;
    g_focusChanging = true;
    CView* old = m_focusView;
    m_focusView = view;
    if (view && view->wantsFocus()) {
        view->setDirty(true);
        for (CView* parent = view->getParentView(); parent && parent != this;
             parent = parent->getParentView())
            parent->notify(view, kMsgNewFocusView);
    }
    if (old) {
        if (old->wantsFocus()) {
            old->setDirty(true);
            for (CView* parent = old->getParentView(); parent && parent != this;
                 parent = parent->getParentView())
                parent->notify(old, kMsgOldFocusView);
        }
        old->focusLost();
    }
    g_focusChanging = false;
}

// ---- keys -------------------------------------------------------------------------------

std::int32_t CFrame::onKeyDown(VstKeyCode& key) {
    std::int32_t result = -1;
    if (m_focusView) result = m_focusView->onKeyDown(key);
    if (result == -1 && m_modalView) result = m_modalView->onKeyDown(key);
    if (result != -1) return result;
    if (key.virt == kVirtualKeyTab)
        return advanceNextFocusView(m_focusView, (key.modifier & kModifierShift) != 0) ? 1 : -1;
    return -1;
}

std::int32_t CFrame::onKeyUp(VstKeyCode& key) {
    std::int32_t result = -1;
    if (m_focusView) result = m_focusView->onKeyUp(key);
    if (result == -1 && m_modalView) result = m_modalView->onKeyUp(key);
    return result;
}

// ---- mouse ------------------------------------------------------------------------------

CMouseEventResult CFrame::onMouseDown(CCoordPoint& where, const CButtonState& buttons) {
    m_mouseDownView = nullptr;
    if (m_focusView) setFocusView(nullptr);
    if (m_mouseOverView) {
        m_mouseOverView->onMouseExited(where, buttons);
        if (m_mouseObserver) m_mouseObserver->onMouseExited(m_mouseOverView, this);
        m_mouseOverView = nullptr;
    }
    if (m_mouseObserver) m_mouseObserver->onMouseDown(this, where);
    if (m_modalView) {
        if (!m_modalView->hitTest(where, buttons)) return kMouseNotHandled;
        const CMouseEventResult result = m_modalView->onMouseDown(where, buttons);
        if (result == kMouseHandled) {
            m_mouseDownView = m_modalView;
            return kMouseHandled;
        }
        if (result != kMouseNotImplemented) return kMouseNotHandled;
        CDrawContext* context = createDrawContext();
        m_modalView->mouse(context, where, buttons);
        context->release();
        return kMouseHandled;
    }
    return CViewContainer::onMouseDown(where, buttons);
}

CMouseEventResult CFrame::onMouseUp(CCoordPoint& where, const CButtonState& buttons) {
    if (!m_mouseDownView) return kMouseNotHandled;
    CView* view = m_mouseDownView;
    m_mouseDownView = nullptr;
    CCoordPoint local(where.x - m_size.left, where.y - m_size.top);
    view->onMouseUp(local, buttons);
    return kMouseHandled;
}

CMouseEventResult CFrame::onMouseMoved(CCoordPoint& where, const CButtonState& buttons) {
    if (!m_leaveTracking && m_window) m_leaveTracking = winsys::requestMouseLeaveNotice(m_window);
    if (m_mouseObserver) m_mouseObserver->onMouseMoved(this, where);
    if (m_modalView) return m_modalView->onMouseMoved(where, buttons);
    if (m_mouseDownView) {
        if (CViewContainer::onMouseMoved(where, buttons) == kMouseHandled) return kMouseHandled;
    }
    CView* view = getViewAt(where, true);
    if (view && view == m_mouseOverView) {
        CCoordPoint local = toFrameLocal(view, where);
        const CButtonState flags = m_mouseDownView ? buttons : 0;
        return view->onMouseMoved(local, flags);
    }
    if (!m_mouseOverView && !view) return kMouseNotHandled;
    if (m_mouseOverView) {
        CCoordPoint local = toFrameLocal(m_mouseOverView, where);
        m_mouseOverView->onMouseExited(local, buttons);
        if (m_mouseObserver) m_mouseObserver->onMouseExited(m_mouseOverView, this);
    }
    m_mouseOverView = nullptr;
    if (!view) return kMouseHandled;
    CCoordPoint local = toFrameLocal(view, where);
    view->onMouseEntered(local, buttons);
    m_mouseOverView = view;
    if (m_mouseObserver) m_mouseObserver->onMouseEntered(view, this);
    return kMouseHandled;
}

CMouseEventResult CFrame::onMouseExited(CCoordPoint& where, const CButtonState& buttons) {
    if (m_mouseOverView) {
        CCoordPoint local = toFrameLocal(m_mouseOverView, where);
        m_mouseOverView->onMouseExited(local, buttons);
        if (m_mouseObserver) m_mouseObserver->onMouseExited(m_mouseOverView, this);
    }
    m_mouseOverView = nullptr;
    m_leaveTracking = false;
    return kMouseHandled;
}

bool CFrame::onWheel(const CCoordPoint& where, const float& distance, const CButtonState& buttons) {
    return onWheel(where, kMouseWheelVertical, distance, buttons);
}

bool CFrame::onWheel(const CCoordPoint& where, const CMouseWheelAxis& axis, const float& distance,
                     const CButtonState& buttons) {
    if (m_mouseDownView) return false;
    CView* target = m_modalView ? m_modalView : getViewAt(where, false);
    if (!target) return false;
    return target->onWheel(where, axis, distance, buttons);
}

void CFrame::mouse(CDrawContext* context, CCoordPoint& where, CButtonState buttons) {
    if (buttons == -1) buttons = pollButtonState();
    CCoordPoint start = where;
    const CMouseEventResult down = onMouseDown(where, buttons);
    if (down != kMouseHandled) return;
    const CButtonState held = buttons & (kButtonLeft | kButtonRight | kButtonMiddle);
    CCoordPoint last = start;
    CButtonState flags = buttons;
    while ((flags & held) == held && held != 0) {
        doIdleStuff();
        flags = pollButtonState();
        if (context) context->getMouseLocation(last);
        if (!(last == start)) onMouseMoved(last, flags);
    }
    onMouseUp(last, flags);
}

// ---- painting and invalidation ----------------------------------------------------------

void CFrame::draw(CDrawContext* context) {
    drawRect(context, m_size);
}

void CFrame::drawRect(CDrawContext* context, const CCoordRect& updateRect) {
    CDrawContext* ctx = context;
    if (ctx)
        ctx->retain();
    else
        ctx = createDrawContext();
    CCoordRect saved;
    ctx->getClipRect(saved);
    CCoordRect clip = updateRect;
    clip.bound(saved);
    ctx->setClipRect(clip);
    if (updateRect.getWidth() > 0 && updateRect.getHeight() > 0)
        CViewContainer::drawRect(ctx, updateRect);
    ctx->setClipRect(saved);
    ctx->release();
}

void CFrame::invalidRect(const CCoordRect& rect) {
    if (!m_visible || !m_window) return;
    platform::RectI r;
    r.left = trunc32(rect.left);
    r.top = trunc32(rect.top);
    r.right = trunc32(rect.right);
    r.bottom = trunc32(rect.bottom);
    winsys::invalidateRect(m_window, r, true);
}

void CFrame::invalid() {
    invalidRect(m_size);
    setDirty(false);
}

void CFrame::paint(const platform::WindowMessage& message) {
    if (!m_doubleBuffered && !m_backBuffer)
        m_backBuffer = new COffscreenContext(this, trunc32(m_size.getWidth()),
                                             trunc32(m_size.getHeight()), kBlackCColor);
    CDrawContext* context =
        m_backBuffer ? m_backBuffer : new CDrawContext(this, message.paintContext, m_window);
    const CCoordRect update(message.updateRect.left, message.updateRect.top,
                            message.updateRect.right, message.updateRect.bottom);
    drawRect(context, update);
    if (m_backBuffer) {
        auto* screen = new CDrawContext(this, message.paintContext, m_window);
        m_backBuffer->getBitmap()->draw(screen, update, update.getTopLeft());
        screen->release();
    } else {
        // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDelete): drawRect took its own reference
        context->release();
    }
}

// ---- window messages --------------------------------------------------------------------

CButtonState CFrame::flagsFromKeyState(std::uint32_t keyState) const {
    CButtonState flags = 0;
    if (keyState & platform::kMkLButton) flags |= kButtonLeft;
    if (keyState & platform::kMkRButton) flags |= kButtonRight;
    if (keyState & platform::kMkMButton) flags |= kButtonMiddle;
    if (keyState & platform::kMkXButton1) flags |= kButton4;
    if (keyState & platform::kMkXButton2) flags |= kButton5;
    if (keyState & platform::kMkControl) flags |= kModControl;
    if (keyState & platform::kMkShift) flags |= kModShift;
    if (winsys::isMessageKeyDown(platform::MessageKey::alt)) flags |= kModAlt;
    return flags;
}

platform::MessageAnswer CFrame::handleWindowMessage(const platform::WindowMessage& message) {
    using platform::MessageKind;
    platform::MessageAnswer answer;
    switch (message.kind) {
    case MessageKind::destroy:
        setOpenFlag(false);
        m_parentWindow = nullptr;
        answer.forwardToDefault = true;
        break;
    case MessageKind::paint:
        paint(message);
        break;
    case MessageKind::eraseBackground:
        answer.result = 1;
        break;
    case MessageKind::mouseMove: {
        CCoordPoint where(message.point.x, message.point.y);
        onMouseMoved(where, flagsFromKeyState(message.keyState));
        break;
    }
    case MessageKind::buttonDown:
    case MessageKind::buttonDoubleClick: {
        CButtonState flags = flagsFromKeyState(message.keyState);
        if (message.kind == MessageKind::buttonDoubleClick) flags |= kDoubleClick;
        CCoordPoint where(message.point.x, message.point.y);
        if (onMouseDown(where, flags) == kMouseHandled && m_window) winsys::setCapture(m_window);
        break;
    }
    case MessageKind::buttonUp: {
        CCoordPoint where(message.point.x, message.point.y);
        onMouseUp(where, flagsFromKeyState(message.keyState));
        winsys::releaseCapture();
        break;
    }
    case MessageKind::wheel: {
        CButtonState flags = 0;
        if (winsys::isMessageKeyDown(platform::MessageKey::shift)) flags |= kModShift;
        if (winsys::isMessageKeyDown(platform::MessageKey::control)) flags |= kModControl;
        if (winsys::isMessageKeyDown(platform::MessageKey::alt)) flags |= kModAlt;
        platform::RectI window;
        if (m_window) winsys::getWindowRect(m_window, window);
        const CCoordPoint where(message.point.x - window.left, message.point.y - window.top);
        // Whole notches only, truncated towards zero.
        const std::int32_t notches = message.wheelDelta / kWheelDeltaPerNotch;
        const auto distance = static_cast<float>(notches);
        onWheel(where, distance, flags);
        answer.forwardToDefault = true;
        break;
    }
    case MessageKind::mouseLeave: {
        CCoordPoint where;
        getCurrentMouseLocation(where);
        onMouseExited(where, getCurrentMouseButtons());
        break;
    }
    default:
        answer.forwardToDefault = true;
        break;
    }
    return answer;
}

// ---- window geometry --------------------------------------------------------------------

bool CFrame::setSize(double width, double height) {
    if (!m_open) return false;
    if (m_size.getWidth() == width && m_size.getHeight() == height) return false;
    CCoordRect newSize = m_size;
    newSize.right = newSize.left + width;
    newSize.bottom = newSize.top + height;
    if (m_backBuffer) {
        m_backBuffer->release();
        m_backBuffer = nullptr;
    }
    if (!m_window || winsys::resizeFrameWindow(m_window, trunc32(width), trunc32(height)))
        setViewSize(newSize, true);
    return true;
}

bool CFrame::getPosition(std::int32_t& x, std::int32_t& y) const {
    if (!m_open || !m_window) return false;
    platform::RectI frameRect;
    winsys::getWindowRect(m_window, frameRect);
    const std::int32_t frameWidth = frameRect.right - frameRect.left;
    const std::int32_t frameHeight = frameRect.bottom - frameRect.top;
    platform::WindowHandle outer = m_window;
    for (;;) {
        if (winsys::hasTitleBar(outer)) break;
        platform::WindowHandle parent = winsys::getParent(outer);
        if (!parent) break;
        platform::RectI parentRect;
        winsys::getWindowRect(parent, parentRect);
        if (std::abs((parentRect.right - parentRect.left) - frameWidth) >
                kMaxParentSizeDifference ||
            std::abs((parentRect.bottom - parentRect.top) - frameHeight) > kMaxParentSizeDifference)
            break;
        outer = parent;
    }
    platform::RectI outerRect;
    winsys::getWindowRect(outer, outerRect);
    platform::PointI corner{outerRect.left, outerRect.top};
    winsys::mapWindowPoints(nullptr, winsys::getParent(outer), &corner, 1);
    x = corner.x;
    y = corner.y;
    return true;
}

bool CFrame::getSize(CCoordRect& size) const {
    if (!m_open || !m_window) return false;
    platform::WindowHandle parent = winsys::getParent(m_window);
    platform::RectI rect;
    winsys::getWindowRect(parent, rect);
    platform::WindowHandle ancestor = winsys::getParent(winsys::getParent(parent));
    platform::PointI corner{rect.left, rect.top};
    winsys::mapWindowPoints(nullptr, ancestor, &corner, 1);
    size = CCoordRect(corner.x, corner.y, rect.right, rect.bottom);
    return true;
}

bool CFrame::getSize(CCoordRect* size) const {
    return size ? getSize(*size) : false;
}

} // namespace VSTGUI
