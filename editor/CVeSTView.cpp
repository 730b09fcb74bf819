// SPDX-License-Identifier: MIT
#include "CVeSTView.h"

#include "host/CVeST.h"

using VSTGUI::CButtonState;
using VSTGUI::CCoordPoint;
using VSTGUI::CMouseEventResult;

CVeSTView::CVeSTView(const VSTGUI::CCoordRect& area, CVeST* shell)
    : CView(area), m_shell(shell), m_area(area) {}

CVeSTView::~CVeSTView() = default;

void CVeSTView::draw(VSTGUI::CDrawContext* context) {
    const HostBridgeTable& bridge = m_shell->bridge();
    if (bridge.draw == nullptr) return;
    // The canvas functions reach this context only for the duration of the call.
    m_shell->setDrawContext(context);
    bridge.draw(m_shell, m_area.right - m_area.left, m_area.bottom - m_area.top);
    m_shell->setDrawContext(nullptr);
}

CMouseEventResult CVeSTView::onMouseDown(CCoordPoint& where, const CButtonState& buttons) {
    const HostBridgeTable& bridge = m_shell->bridge();
    if (bridge.mouseDown != nullptr) bridge.mouseDown(m_shell, where.x, where.y, buttons);
    return VSTGUI::kMouseHandled;
}

CMouseEventResult CVeSTView::onMouseUp(CCoordPoint& where, const CButtonState& buttons) {
    const HostBridgeTable& bridge = m_shell->bridge();
    if (bridge.mouseUp != nullptr) bridge.mouseUp(m_shell, where.x, where.y, buttons);
    return VSTGUI::kMouseHandled;
}

CMouseEventResult CVeSTView::onMouseMoved(CCoordPoint& where, const CButtonState& buttons) {
    const HostBridgeTable& bridge = m_shell->bridge();
    if (bridge.mouseMoved != nullptr) bridge.mouseMoved(m_shell, where.x, where.y, buttons);
    return VSTGUI::kMouseHandled;
}

std::int32_t CVeSTView::onKeyDown(VSTGUI::VstKeyCode& key) {
    const HostBridgeTable& bridge = m_shell->bridge();
    if (bridge.keyDown != nullptr) bridge.keyDown(m_shell, key.character, key.modifier, key.virt);
    return 1;
}

std::int32_t CVeSTView::onKeyUp(VSTGUI::VstKeyCode& key) {
    const HostBridgeTable& bridge = m_shell->bridge();
    if (bridge.keyUp != nullptr) bridge.keyUp(m_shell, key.character, key.modifier, key.virt);
    return 1;
}
