// SPDX-License-Identifier: MIT
#include "toolkit/CView.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

#include <cstring>

namespace VSTGUI {

const char* const kMsgCheckIfViewContainer = "kMsgCheckIfViewContainer";
const char* const kMsgNewFocusView = "kMsgNewFocusView";
const char* const kMsgOldFocusView = "kMsgOldFocusView";

CView::CView(const CCoordRect& size) : m_size(size), m_mouseableArea(size) {}

CView::CView(const CView& other)
    : m_size(other.m_size), m_mouseableArea(other.m_mouseableArea),
      m_mouseEnabled(other.m_mouseEnabled), m_transparency(other.m_transparency),
      m_wantsFocus(other.m_wantsFocus), m_autosizeFlags(other.m_autosizeFlags),
      m_background(other.m_background) {
    if (m_background) m_background->retain();
    for (const Attribute& attribute : other.m_attributes)
        setAttribute(attribute.id, attribute.size, attribute.bytes.get());
}

CView::~CView() {
    if (m_background) m_background->release();
}

void CView::draw(CDrawContext* context) {
    if (m_background) {
        if (m_transparency)
            m_background->drawTransparent(context, m_size, CCoordPoint());
        else
            m_background->draw(context, m_size, CCoordPoint());
    }
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CCoordRect& /*updateRect*/) {
    draw(context);
}

bool CView::checkUpdate(const CCoordRect& rect) const {
    return m_size.rectOverlap(rect);
}

bool CView::isDirty() const {
    return m_dirty;
}

void CView::setDirty(bool dirty) {
    m_dirty = dirty;
}

void CView::invalidRect(const CCoordRect& rect) {
    if (!m_attached || !m_visible) return;
    if (m_parentView)
        m_parentView->invalidRect(rect);
    else if (m_parentFrame)
        m_parentFrame->invalidRect(rect);
}

void CView::invalid() {
    setDirty(false);
    invalidRect(m_size);
}

void CView::setVisible(bool visible) {
    if (visible == m_visible) return;
    m_visible = visible;
    setDirty(true);
}

CMouseEventResult CView::onMouseDown(CCoordPoint& /*where*/, const CButtonState& /*buttons*/) {
    return kMouseNotImplemented;
}
CMouseEventResult CView::onMouseUp(CCoordPoint& /*where*/, const CButtonState& /*buttons*/) {
    return kMouseNotImplemented;
}
CMouseEventResult CView::onMouseMoved(CCoordPoint& /*where*/, const CButtonState& /*buttons*/) {
    return kMouseNotImplemented;
}
CMouseEventResult CView::onMouseEntered(CCoordPoint& /*where*/, const CButtonState& /*buttons*/) {
    return kMouseNotImplemented;
}
CMouseEventResult CView::onMouseExited(CCoordPoint& /*where*/, const CButtonState& /*buttons*/) {
    return kMouseNotImplemented;
}

bool CView::hitTest(const CCoordPoint& where, const CButtonState& /*buttons*/) {
    return m_mouseableArea.pointInside(where);
}

bool CView::onWheel(const CCoordPoint& /*where*/, const float& /*distance*/,
                    const CButtonState& /*buttons*/) {
    return false;
}

bool CView::onWheel(const CCoordPoint& where, const CMouseWheelAxis& axis, const float& distance,
                    const CButtonState& buttons) {
    const float d = axis == kMouseWheelHorizontal ? -distance : distance;
    return onWheel(where, d, buttons);
}

CCoordRect& CView::getMouseableArea(CCoordRect& area) const {
    area = m_mouseableArea;
    return area;
}

bool CView::onDrop(CDragContainer* /*drag*/, const CCoordPoint& /*where*/) {
    return false;
}
void CView::onDragEnter(CDragContainer* /*drag*/, const CCoordPoint& /*where*/) {}
void CView::onDragLeave(CDragContainer* /*drag*/, const CCoordPoint& /*where*/) {}
void CView::onDragMove(CDragContainer* /*drag*/, const CCoordPoint& /*where*/) {}

std::int32_t CView::onKeyDown(VstKeyCode& /*key*/) {
    return -1;
}
std::int32_t CView::onKeyUp(VstKeyCode& /*key*/) {
    return -1;
}

void CView::setViewSize(const CCoordRect& size, bool invalidate) {
    m_size = size;
    if (invalidate) setDirty(true);
}

CCoordRect& CView::getViewSize(CCoordRect& size) const {
    size = m_size;
    return size;
}

CCoordRect CView::getVisibleSize() const {
    if (m_parentView && m_parentView->notify(nullptr, kMsgCheckIfViewContainer) == 1)
        return static_cast<CViewContainer*>(m_parentView)->getVisibleSize(m_size);
    return {};
}

CCoordPoint& CView::frameToLocal(CCoordPoint& point) const {
    if (m_parentView && m_parentView->notify(nullptr, kMsgCheckIfViewContainer) == 1)
        return m_parentView->frameToLocal(point);
    return point;
}

CCoordPoint& CView::localToFrame(CCoordPoint& point) const {
    if (m_parentView && m_parentView->notify(nullptr, kMsgCheckIfViewContainer) == 1)
        return m_parentView->localToFrame(point);
    return point;
}

void CView::setBackground(CBitmap* background) {
    // The new bitmap is held before the old one goes: setting the bitmap the view already holds
    // (perhaps its last reference) must not free it.
    if (background) background->retain();
    if (m_background) m_background->release();
    m_background = background;
    setDirty(true);
}

bool CView::removed(CView* /*parent*/) {
    if (!m_attached) return false;
    m_parentView = nullptr;
    m_parentFrame = nullptr;
    m_attached = false;
    return true;
}

bool CView::attached(CView* parent) {
    if (m_attached) return false;
    m_parentView = parent;
    m_parentFrame = parent ? parent->getFrame() : nullptr;
    m_attached = true;
    return true;
}

VSTGUIEditorInterface* CView::getEditor() const {
    return m_parentFrame ? m_parentFrame->getEditor() : nullptr;
}

bool CView::isTypeOf(const char* type) const {
    return type && std::strcmp(type, "CView") == 0;
}

CView* CView::newCopy() const {
    return new CView(*this);
}

void CView::mouse(CDrawContext* /*context*/, CCoordPoint& /*where*/, CButtonState /*buttons*/) {}

void CView::getMouseLocation(CDrawContext* context, CCoordPoint& point) {
    if (!context) return;
    if (m_parentView && m_parentView->notify(nullptr, kMsgCheckIfViewContainer) == 1) {
        const CCoordPoint origin = m_parentView->getViewSize().getTopLeft();
        const CCoordPoint savedOffset = context->getOffset();
        const CCoordPoint savedScreen = context->getScreenOffset();
        context->setOffset(savedOffset + origin);
        context->setScreenOffset(savedScreen + origin);
        m_parentView->getMouseLocation(context, point);
        context->setOffset(savedOffset);
        context->setScreenOffset(savedScreen);
        return;
    }
    context->getMouseLocation(point);
}

CCoordPoint& CView::viewToFrame(CCoordPoint& point) const {
    point.offset(m_size.left, m_size.top);
    for (CView* parent = m_parentView;
         parent && parent->notify(nullptr, kMsgCheckIfViewContainer) == 1;
         parent = parent->getParentView()) {
        const CCoordRect& size = parent->getViewSize();
        point.offset(size.left, size.top);
    }
    return point;
}

// ---- attributes -------------------------------------------------------------------------

bool CView::setAttribute(CViewAttributeID id, std::int32_t size, const void* data) {
    if (size < 0 || (size > 0 && !data)) return false;
    for (Attribute& attribute : m_attributes) {
        if (attribute.id != id) continue;
        if (size > attribute.capacity) {
            attribute.bytes = std::make_unique<unsigned char[]>(static_cast<std::size_t>(size));
            attribute.capacity = size;
        }
        if (size > 0) std::memcpy(attribute.bytes.get(), data, static_cast<std::size_t>(size));
        attribute.size = size;
        return true;
    }
    Attribute attribute;
    attribute.id = id;
    attribute.size = size;
    attribute.capacity = size;
    attribute.bytes = std::make_unique<unsigned char[]>(static_cast<std::size_t>(size));
    if (size > 0) std::memcpy(attribute.bytes.get(), data, static_cast<std::size_t>(size));
    m_attributes.push_back(std::move(attribute));
    return true;
}

bool CView::getAttributeSize(CViewAttributeID id, std::int32_t& size) const {
    for (const Attribute& attribute : m_attributes) {
        if (attribute.id == id) {
            size = attribute.size;
            return true;
        }
    }
    return false;
}

bool CView::getAttribute(CViewAttributeID id, std::int32_t inSize, void* data,
                         std::int32_t& outSize) const {
    for (const Attribute& attribute : m_attributes) {
        if (attribute.id != id) continue;
        if (inSize < attribute.size || (attribute.size > 0 && !data)) return false;
        if (attribute.size > 0)
            std::memcpy(data, attribute.bytes.get(), static_cast<std::size_t>(attribute.size));
        outSize = attribute.size;
        return true;
    }
    return false;
}

bool CView::removeAttribute(CViewAttributeID id) {
    for (auto it = m_attributes.begin(); it != m_attributes.end(); ++it) {
        if (it->id == id) {
            m_attributes.erase(it);
            return true;
        }
    }
    return false;
}

} // namespace VSTGUI
