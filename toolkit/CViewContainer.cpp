// SPDX-License-Identifier: MIT
#include "toolkit/CViewContainer.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/COffscreenContext.h"

#include <algorithm>
#include <cstring>

namespace VSTGUI {

namespace {

bool isContainer(const CView* view) {
    return view && const_cast<CView*>(view)->notify(nullptr, kMsgCheckIfViewContainer) == 1;
}

CCoordPoint toLocal(const CCoordPoint& where, const CCoordRect& size) {
    return CCoordPoint(where.x - size.left, where.y - size.top);
}

bool positive(const CCoordRect& rect) {
    return rect.getWidth() > 0 && rect.getHeight() > 0;
}

} // namespace

CViewContainer::CViewContainer(const CCoordRect& size) : CView(size) {}

CViewContainer::CViewContainer(const CViewContainer& other)
    : CView(other), m_backgroundColor(other.m_backgroundColor),
      m_backgroundOffset(other.m_backgroundOffset), m_drawInOffscreen(other.m_drawInOffscreen) {
    for (CView* child : other.m_children)
        CViewContainer::addView(child->newCopy());
}

CViewContainer::~CViewContainer() {
    // Every child loses both the container's and its creator's reference.
    for (CView* child : m_children) {
        if (m_attached) child->removed(this);
        // The creator's reference, then the container's (a child holds at least both).
        child->release();
        child->release(); // NOLINT(clang-analyzer-cplusplus.NewDelete)
    }
    m_children.clear();
    if (m_offscreen) m_offscreen->release();
}

CMessageResult CViewContainer::notify(CBaseObject* sender, const char* message) {
    if (message == kMsgCheckIfViewContainer) return 1;
    return CView::notify(sender, message);
}

// ---- children ---------------------------------------------------------------------------

bool CViewContainer::addView(CView* view) {
    if (!view || view->isAttached()) return false;
    m_children.push_back(view);
    view->retain();
    if (m_attached) {
        view->attached(this);
        view->invalid();
    }
    return true;
}

bool CViewContainer::addView(CView* view, const CCoordRect& mouseableArea, bool mouseEnabled) {
    if (!addView(view)) return false;
    view->setMouseEnabled(mouseEnabled);
    view->setMouseableArea(mouseableArea);
    return true;
}

bool CViewContainer::addView(CView* view, CView* before) {
    if (!view || view->isAttached()) return false;
    const auto it = std::find(m_children.begin(), m_children.end(), before);
    m_children.insert(it, view);
    view->retain();
    if (m_attached) {
        view->attached(this);
        view->invalid();
    }
    return true;
}

void CViewContainer::detachChild(CView* view, bool release, bool tellInvalid) {
    if (tellInvalid) view->invalid();
    if (m_parentFrame) m_parentFrame->onViewRemoved(view);
    if (m_attached) view->removed(this);
    // The next move, mouse-up or drag event must not reach a view that may be gone.
    if (m_mouseDownView == view) m_mouseDownView = nullptr;
    if (m_dragView == view) m_dragView = nullptr;
    m_children.erase(std::find(m_children.begin(), m_children.end(), view));
    if (release) view->release(); // the caller's reference
    // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDelete): the container's own reference
    view->release();
}

bool CViewContainer::removeView(CView* view, bool release) {
    if (!isChild(view)) return false;
    detachChild(view, release, true);
    return true;
}

bool CViewContainer::removeAll(bool release) {
    while (!m_children.empty())
        detachChild(m_children.front(), release, false);
    return true;
}

bool CViewContainer::isChild(CView* view) const {
    return view && std::find(m_children.begin(), m_children.end(), view) != m_children.end();
}

std::int32_t CViewContainer::getNbViews() const {
    return static_cast<std::int32_t>(m_children.size());
}

CView* CViewContainer::getView(std::int32_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_children.size()) return nullptr;
    return m_children[static_cast<std::size_t>(index)];
}

CView* CViewContainer::getViewAt(const CCoordPoint& where, bool deep) const {
    if (!m_parentFrame || !m_visible) return nullptr;
    const CCoordPoint local = toLocal(where, m_size);
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CView* child = *it;
        if (!child->isVisible() || !child->getMouseableArea().pointInside(local)) continue;
        if (deep && isContainer(child))
            return static_cast<CViewContainer*>(child)->getViewAt(local, deep);
        return child;
    }
    return nullptr;
}

CViewContainer* CViewContainer::getContainerAt(const CCoordPoint& where, bool deep) {
    if (!m_parentFrame) return nullptr;
    const CCoordPoint local = toLocal(where, m_size);
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CView* child = *it;
        if (!child->isVisible() || !child->getMouseableArea().pointInside(local)) continue;
        if (deep && isContainer(child))
            return static_cast<CViewContainer*>(child)->getContainerAt(local, deep);
        break;
    }
    return this;
}

CView* CViewContainer::getCurrentView() const {
    if (!m_parentFrame) return nullptr;
    CCoordPoint where;
    m_parentFrame->getCurrentMouseLocation(where);
    frameToLocal(where);
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        if ((*it)->getMouseableArea().pointInside(where)) return *it;
    return nullptr;
}

bool CViewContainer::checkUpdateRect(CView* view, const CCoordRect& rect) const {
    return view->checkUpdate(rect) && view->isVisible();
}

bool CViewContainer::hitTestSubViews(const CCoordPoint& where, const CButtonState& buttons) {
    const CCoordPoint local = toLocal(where, m_size);
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        if ((*it)->getMouseEnabled() && (*it)->hitTest(local, buttons)) return true;
    return false;
}

bool CViewContainer::hitTest(const CCoordPoint& where, const CButtonState& /*buttons*/) {
    return m_mouseableArea.pointInside(where);
}

// ---- drawing ----------------------------------------------------------------------------

void CViewContainer::draw(CDrawContext* context) {
    drawRect(context, m_size);
}

void CViewContainer::drawChildren(CDrawContext* context, const CCoordRect& updateRect) {
    CCoordRect localUpdate = updateRect;
    localUpdate.bound(m_size);
    localUpdate.offset(-m_size.left, -m_size.top);
    CCoordRect oldClip;
    context->getClipRect(oldClip);
    CCoordRect clip = localUpdate;
    clip.bound(oldClip);
    context->setClipRect(clip);
    drawBackgroundRect(context, localUpdate);
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        CView* child = m_children[i];
        if (!checkUpdateRect(child, localUpdate)) continue;
        CCoordRect childClip = child->getViewSize();
        childClip.bound(clip);
        if (childClip.getWidth() != 0 && childClip.getHeight() != 0) {
            context->setClipRect(childClip);
            child->drawRect(context, localUpdate);
        }
    }
    context->setClipRect(oldClip);
}

void CViewContainer::drawRect(CDrawContext* context, const CCoordRect& updateRect) {
    if (!context) return;
    if (m_drawInOffscreen) {
        if (!m_offscreen)
            m_offscreen =
                new COffscreenContext(m_parentFrame, static_cast<std::int32_t>(m_size.getWidth()),
                                      static_cast<std::int32_t>(m_size.getHeight()), kBlackCColor);
        // The offscreen's pixels are this container's coordinates: its own origin stays.
        drawChildren(m_offscreen, updateRect);
        CCoordRect target = updateRect;
        target.bound(m_size);
        m_offscreen->getBitmap()->draw(
            context, target, CCoordPoint(target.left - m_size.left, target.top - m_size.top));
    } else {
        const CCoordPoint savedScreen = context->getScreenOffset();
        const CCoordPoint savedOffset = context->getOffset();
        context->setScreenOffset(savedScreen + m_size.getTopLeft());
        context->setOffset(savedOffset + m_size.getTopLeft());
        drawChildren(context, updateRect);
        context->setScreenOffset(savedScreen);
        context->setOffset(savedOffset);
    }
    setDirty(false);
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CCoordRect& rect) {
    if (m_background) {
        CCoordRect saved;
        context->getClipRect(saved);
        CCoordRect clip = rect;
        clip.bound(saved);
        context->setClipRect(clip);
        const CCoordRect target(0, 0, m_background->getWidth(), m_background->getHeight());
        if (m_transparency)
            m_background->drawTransparent(context, target, m_backgroundOffset);
        else
            m_background->draw(context, target, m_backgroundOffset);
        context->setClipRect(saved);
        return;
    }
    if (m_transparency && m_backgroundColor.alpha == 255) return;
    context->setFillColor(m_backgroundColor);
    context->setFrameColor(m_backgroundColor);
    context->drawRect(CCoordRect(0, 0, m_size.getWidth(), m_size.getHeight()),
                      kDrawFilledAndStroked);
}

void CViewContainer::setBackgroundColor(const CRgbaColor& color) {
    m_backgroundColor = color;
    setDirty(true);
}

void CViewContainer::setDrawInOffscreen(bool offscreen) {
    m_drawInOffscreen = offscreen;
    if (!offscreen && m_offscreen) {
        m_offscreen->release();
        m_offscreen = nullptr;
    }
}

// ---- invalidation -----------------------------------------------------------------------

bool CViewContainer::isDirty() const {
    if (m_dirty) return true;
    const CCoordRect area(0, 0, m_size.getWidth(), m_size.getHeight());
    for (CView* child : m_children) {
        if (!child->isDirty()) continue;
        CCoordRect r = child->getViewSize();
        r.bound(area);
        if (positive(r)) return true;
    }
    return false;
}

void CViewContainer::invalidRect(const CCoordRect& rect) {
    if (!m_visible) return;
    CCoordRect r = rect;
    r.offset(m_size.left, m_size.top);
    r.bound(m_size);
    if (!positive(r)) return;
    if (m_parentView)
        m_parentView->invalidRect(r);
    else if (m_parentFrame && m_parentFrame != static_cast<CView*>(this))
        m_parentFrame->invalidRect(r);
}

void CViewContainer::invalid() {
    if (!m_visible) return;
    if (m_parentView)
        m_parentView->invalidRect(m_size);
    else if (m_parentFrame && m_parentFrame != static_cast<CView*>(this))
        m_parentFrame->invalidRect(m_size);
}

void CViewContainer::updateDirtyViews() {
    if (!m_visible) return;
    if (m_dirty) {
        if (m_parentView)
            m_parentView->invalidRect(m_size);
        else if (m_parentFrame)
            m_parentFrame->invalidRect(m_size);
        return;
    }
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        CView* child = m_children[i];
        if (!child->isDirty() || !child->isVisible()) continue;
        if (isContainer(child))
            static_cast<CViewContainer*>(child)->updateDirtyViews();
        else
            child->invalid();
    }
}

// ---- mouse, wheel, keys -----------------------------------------------------------------

CMouseEventResult CViewContainer::onMouseDown(CCoordPoint& where, const CButtonState& buttons) {
    CCoordPoint local = toLocal(where, m_size);
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CView* child = *it;
        if (!child->isVisible() || !child->getMouseEnabled() || !child->hitTest(local, buttons))
            continue;
        const CMouseEventResult result = child->onMouseDown(local, buttons);
        if (result == kMouseHandled) {
            m_mouseDownView = child;
            return kMouseHandled;
        }
        if (result != kMouseNotImplemented) return result;
        if (m_parentFrame) {
            CDrawContext* context = m_parentFrame->createDrawContext();
            child->mouse(context, local, buttons);
            context->release();
        }
        return kMouseNotImplemented;
    }
    return kMouseNotHandled;
}

CMouseEventResult CViewContainer::onMouseUp(CCoordPoint& where, const CButtonState& buttons) {
    if (!m_mouseDownView) return kMouseNotHandled;
    CCoordPoint local = toLocal(where, m_size);
    CView* view = m_mouseDownView;
    m_mouseDownView = nullptr;
    view->onMouseUp(local, buttons);
    return kMouseHandled;
}

CMouseEventResult CViewContainer::onMouseMoved(CCoordPoint& where, const CButtonState& buttons) {
    if (!m_mouseDownView) return kMouseNotHandled;
    CCoordPoint local = toLocal(where, m_size);
    if (m_mouseDownView->onMouseMoved(local, buttons) == kMouseHandled) return kMouseHandled;
    m_mouseDownView = nullptr;
    return kMouseNotHandled;
}

bool CViewContainer::onWheel(const CCoordPoint& where, const float& distance,
                             const CButtonState& buttons) {
    return onWheel(where, kMouseWheelVertical, distance, buttons);
}

bool CViewContainer::onWheel(const CCoordPoint& where, const CMouseWheelAxis& axis,
                             const float& distance, const CButtonState& buttons) {
    CView* child = getViewAt(where, false);
    if (!child) return false;
    return child->onWheel(toLocal(where, m_size), axis, distance, buttons);
}

std::int32_t CViewContainer::onKeyDown(VstKeyCode& key) {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        const std::int32_t result = (*it)->onKeyDown(key);
        if (result != -1) return result;
    }
    return -1;
}

std::int32_t CViewContainer::onKeyUp(VstKeyCode& key) {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        const std::int32_t result = (*it)->onKeyUp(key);
        if (result != -1) return result;
    }
    return -1;
}

void CViewContainer::mouse(CDrawContext* context, CCoordPoint& where, CButtonState buttons) {
    const CCoordPoint local = toLocal(where, m_size);
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CView* child = *it;
        if (child->isVisible() && child->getMouseEnabled() && child->hitTest(local, buttons)) {
            CCoordPoint p = local;
            child->mouse(context, p, buttons);
            return;
        }
    }
}

// ---- drag and drop ----------------------------------------------------------------------

void CViewContainer::onDragEnter(CDragContainer* drag, const CCoordPoint& where) {
    if (!m_parentFrame) return;
    const CCoordPoint local = toLocal(where, m_size);
    if (m_dragView) m_dragView->onDragLeave(drag, local);
    m_dragView = getViewAt(where, false);
    if (m_dragView) m_dragView->onDragEnter(drag, local);
}

void CViewContainer::onDragMove(CDragContainer* drag, const CCoordPoint& where) {
    if (!m_parentFrame) return;
    const CCoordPoint local = toLocal(where, m_size);
    CView* view = getViewAt(where, false);
    if (view == m_dragView) {
        if (view) view->onDragMove(drag, local);
        return;
    }
    if (m_dragView) m_dragView->onDragLeave(drag, local);
    if (view) view->onDragEnter(drag, local);
    m_dragView = view;
}

void CViewContainer::onDragLeave(CDragContainer* drag, const CCoordPoint& where) {
    if (!m_parentFrame) return;
    if (m_dragView) m_dragView->onDragLeave(drag, toLocal(where, m_size));
    m_dragView = nullptr;
}

bool CViewContainer::onDrop(CDragContainer* drag, const CCoordPoint& where) {
    if (!m_parentFrame) return false;
    const CCoordPoint local = toLocal(where, m_size);
    CView* view = getViewAt(where, false);
    if (view != m_dragView && m_dragView) m_dragView->onDragLeave(drag, local);
    bool result = false;
    if (view) {
        result = view->onDrop(drag, local);
        view->onDragLeave(drag, local);
    }
    m_dragView = nullptr;
    return result;
}

// ---- size, coordinates, focus, attaching ------------------------------------------------

void CViewContainer::setViewSize(const CCoordRect& size, bool invalidate) {
    if (size == m_size) return;
    const CCoordRect old = m_size;
    CView::setViewSize(size, invalidate);
    const double dw = size.getWidth() - old.getWidth();
    const double dh = size.getHeight() - old.getHeight();
    if (dw == 0 && dh == 0) return;
    const double n = static_cast<double>(m_children.size());
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        CView* child = m_children[i];
        const std::int32_t flags = child->getAutosizeFlags();
        CCoordRect r = child->getViewSize();
        CCoordRect a = child->getMouseableArea();
        const auto adjust = [&](double& low, double& high, double delta, std::int32_t share,
                                std::int32_t follow, std::int32_t stay) {
            if (m_autosizeFlags & share) {
                low += static_cast<double>(i) * delta / n;
                high += static_cast<double>(i) * delta / n + delta / n;
            } else if (delta != 0 && (flags & follow)) {
                high += delta;
                if (!(flags & stay)) low += delta;
            }
        };
        adjust(r.left, r.right, dw, kAutosizeColumn, kAutosizeRight, kAutosizeLeft);
        adjust(a.left, a.right, dw, kAutosizeColumn, kAutosizeRight, kAutosizeLeft);
        adjust(r.top, r.bottom, dh, kAutosizeRow, kAutosizeBottom, kAutosizeTop);
        adjust(a.top, a.bottom, dh, kAutosizeRow, kAutosizeBottom, kAutosizeTop);
        child->setViewSize(r, invalidate);
        child->setMouseableArea(a);
        child->parentSizeChanged();
    }
}

void CViewContainer::parentSizeChanged() {
    for (CView* child : m_children)
        child->parentSizeChanged();
}

CCoordRect CViewContainer::getVisibleSize(const CCoordRect& rect) const {
    CCoordRect r = rect;
    r.offset(m_size.left, m_size.top);
    r.bound(m_size);
    if (isContainer(m_parentView))
        r = static_cast<CViewContainer*>(m_parentView)->getVisibleSize(r);
    r.offset(-m_size.left, -m_size.top);
    return r;
}

CCoordPoint& CViewContainer::frameToLocal(CCoordPoint& point) const {
    point.offset(-m_size.left, -m_size.top);
    if (isContainer(m_parentView)) return m_parentView->frameToLocal(point);
    return point;
}

CCoordPoint& CViewContainer::localToFrame(CCoordPoint& point) const {
    point.offset(m_size.left, m_size.top);
    if (isContainer(m_parentView)) return m_parentView->localToFrame(point);
    return point;
}

void CViewContainer::focusLost() {}
void CViewContainer::focusTaken() {}

bool CViewContainer::advanceNextFocusView(CView* current, bool backwards) {
    if (!m_parentFrame) return false;
    bool passed = current == nullptr;
    const std::size_t count = m_children.size();
    for (std::size_t k = 0; k < count; ++k) {
        CView* child = m_children[backwards ? count - 1 - k : k];
        if (!passed) {
            if (child == current) passed = true;
            continue;
        }
        if (child->wantsFocus()) {
            m_parentFrame->setFocusView(child);
            child->focusTaken();
            return true;
        }
        if (isContainer(child) &&
            static_cast<CViewContainer*>(child)->advanceNextFocusView(nullptr, backwards))
            return true;
    }
    return false;
}

bool CViewContainer::attached(CView* parent) {
    if (m_attached) return false;
    if (m_drawInOffscreen && !m_offscreen)
        m_offscreen = new COffscreenContext(
            parent ? parent->getFrame() : nullptr, static_cast<std::int32_t>(m_size.getWidth()),
            static_cast<std::int32_t>(m_size.getHeight()), kBlackCColor);
    m_parentFrame = parent ? parent->getFrame() : nullptr;
    for (CView* child : m_children)
        child->attached(this);
    return CView::attached(parent);
}

bool CViewContainer::removed(CView* parent) {
    if (m_offscreen) {
        m_offscreen->release();
        m_offscreen = nullptr;
    }
    m_parentFrame = nullptr;
    for (CView* child : m_children)
        child->removed(this);
    return CView::removed(parent);
}

bool CViewContainer::isTypeOf(const char* type) const {
    return type && (std::strcmp(type, "CViewContainer") == 0 || CView::isTypeOf(type));
}

CView* CViewContainer::newCopy() const {
    return new CViewContainer(*this);
}

} // namespace VSTGUI
