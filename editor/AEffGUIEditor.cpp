// SPDX-License-Identifier: MIT
#include "AEffGUIEditor.h"

#include "host/AudioEffect.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/UiThread.h"

#include <algorithm>

namespace {

// Shared by every editor of the module.
std::int32_t g_knobMode = 0;

// Tick comparisons on differences, so that they hold across the wrap of the 32-bit count.
bool isBefore(std::uint32_t a, std::uint32_t b) noexcept {
    return static_cast<std::int32_t>(a - b) < 0;
}

} // namespace

const AEffGUIEditor::Services AEffGUIEditor::kSystemServices{
    VSTGUI::ui_thread::tickCount, VSTGUI::ui_thread::sleep,
    VSTGUI::ui_thread::handleOnePendingPaint, VSTGUI::ui_thread::beginUse,
    VSTGUI::ui_thread::endUse};

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect, const Services& services)
    : AEffEditor(effect), m_services(services) {
    if (m_effect != nullptr) m_effect->setEditor(this);
    m_idleDeadline = m_services.tickCount();
    // Only a successful start is ended: a thread set up otherwise keeps its own set-up.
    m_threadUseBegun = m_services.beginThreadUse();
}

AEffGUIEditor::~AEffGUIEditor() {
    // A frame left open would keep its window and a pointer to this editor.
    AEffGUIEditor::close();
    if (m_threadUseBegun) m_services.endThreadUse();
}

void AEffGUIEditor::setRectSize(std::int32_t width, std::int32_t height) noexcept {
    m_rect.top = 0;
    m_rect.left = 0;
    m_rect.bottom = static_cast<std::int16_t>(height);
    m_rect.right = static_cast<std::int16_t>(width);
}

bool AEffGUIEditor::getRect(ERect** rect) {
    *rect = &m_rect;
    return true;
}

void AEffGUIEditor::close() {
    if (m_frame == nullptr) return;
    VSTGUI::CFrame* frame = m_frame;
    m_frame = nullptr;
    frame->release();
}

void AEffGUIEditor::idle() {
    if (!m_inIdleStuff && m_frame != nullptr) m_frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode) {
    if (m_frame == nullptr) return false;
    VSTGUI::VstKeyCode key{keyCode.character, keyCode.virt, keyCode.modifier};
    return m_frame->onKeyDown(key) > 0;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode) {
    if (m_frame == nullptr) return false;
    VSTGUI::VstKeyCode key{keyCode.character, keyCode.virt, keyCode.modifier};
    return m_frame->onKeyUp(key) > 0;
}

bool AEffGUIEditor::onWheel(float distance) {
    if (m_frame == nullptr) return false;
    VSTGUI::CDrawContext* context = m_frame->createDrawContext();
    VSTGUI::CCoordPoint where;
    context->getMouseLocation(where);
    const VSTGUI::CButtonState buttons = context->getMouseButtons();
    const bool used = m_frame->onWheel(where, distance, buttons);
    context->release();
    return used;
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode) {
    g_knobMode = mode;
    return true;
}

std::int32_t AEffGUIEditor::getKnobMode() const {
    return g_knobMode;
}

void AEffGUIEditor::draw(ERect* rect) {
    if (m_frame == nullptr) return;
    VSTGUI::CCoordRect area;
    if (rect != nullptr) {
        area.left = std::min(rect->left, rect->right);
        area.right = std::max(rect->left, rect->right);
        area.top = std::min(rect->top, rect->bottom);
        area.bottom = std::max(rect->top, rect->bottom);
    } else {
        area = m_frame->getViewSize();
    }
    VSTGUI::CDrawContext* context = m_frame->createDrawContext();
    m_frame->drawRect(context, area);
    context->release();
}

void AEffGUIEditor::doIdleStuff() {
    std::uint32_t now = m_services.tickCount();
    if (isBefore(now, m_idleDeadline)) {
        m_services.sleep(kIdleSleep);
        now += kIdleSleep;
        if (isBefore(now, m_idleDeadline - kIdleEarly)) return;
    }
    idle();
    m_services.dispatchPendingPaint();
    m_inIdleStuff = true;
    m_idleDeadline = now + kIdleInterval;
    if (m_effect != nullptr) m_effect->callHost(audioMasterIdle);
    m_inIdleStuff = false;
}

void AEffGUIEditor::beginEdit(std::int32_t index) {
    m_lastEditAnswer = m_effect != nullptr && m_effect->callHost(audioMasterBeginEdit, index) != 0;
}

void AEffGUIEditor::endEdit(std::int32_t index) {
    m_lastEditAnswer = m_effect != nullptr && m_effect->callHost(audioMasterEndEdit, index) != 0;
}
