// SPDX-License-Identifier: MIT
#include "CVeSTEditor.h"

#include "CVeSTView.h"
#include "host/CVeST.h"
#include "toolkit/CFrame.h"

CVeSTEditor::CVeSTEditor(CVeST* shell, std::int32_t width, std::int32_t height,
                         const Services& services)
    : AEffGUIEditor(shell, services), m_shell(shell), m_width(width), m_height(height) {
    setRectSize(width, height);
}

CVeSTEditor::~CVeSTEditor() {
    CVeSTEditor::close();
}

bool CVeSTEditor::open(void* ptr) {
    CVeSTEditor::close();
    const VSTGUI::CCoordRect area(0.0, 0.0, m_width, m_height);
    m_frame = new VSTGUI::CFrame(area, static_cast<VSTGUI::platform::WindowHandle>(ptr), this);
    m_view = new CVeSTView(area, m_shell);
    m_frame->addView(m_view);
    return true;
}

void CVeSTEditor::close() {
    AEffGUIEditor::close();
    m_view = nullptr;
}

void CVeSTEditor::idle() {
    const HostBridgeTable& bridge = m_shell->bridge();
    if (m_view != nullptr && m_frame != nullptr && bridge.idle != nullptr) bridge.idle(m_shell);
    AEffGUIEditor::idle();
}

bool CVeSTEditor::redrawView() {
    if (m_view == nullptr) return false;
    m_view->invalidRect(m_view->area());
    return true;
}
