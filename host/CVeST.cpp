// SPDX-License-Identifier: MIT
#include "CVeST.h"

#include "toolkit/CBaseObject.h"

#include <cstring>

CVeST::CVeST(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams,
             TTarvo* effect, const HostBridgeTable& bridge)
    : AudioEffectX(audioMaster, numPrograms, numParams), m_effect(effect),
      m_midiRing(new VstMidiEvent[kMidiRingSize]()), m_bridge(bridge) {
    canProcessReplacing();
    canDoubleReplacing();
    if (m_bridge.create != nullptr) m_bridge.create(this);
}

CVeST::~CVeST() {
    for (VSTGUI::CBaseObject*& font : m_fontCache) {
        if (font != nullptr) font->release();
        font = nullptr;
    }
    if (m_bridge.destroy != nullptr) m_bridge.destroy(this);
    m_effect = nullptr;
}

void CVeST::open() {
    if (m_bridge.open != nullptr) m_bridge.open(this);
}

void CVeST::close() {
    if (m_bridge.close != nullptr) m_bridge.close(this);
}

void CVeST::suspend() {
    if (m_bridge.suspend != nullptr) m_bridge.suspend(this);
}

void CVeST::resume() {
    AudioEffectX::resume();
    if (m_bridge.resume != nullptr) m_bridge.resume(this);
}

void CVeST::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    if (m_bridge.processReplacing != nullptr)
        m_bridge.processReplacing(this, inputs, outputs, frames);
}

void CVeST::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) {
    if (m_bridge.processDoubleReplacing != nullptr)
        m_bridge.processDoubleReplacing(this, inputs, outputs, frames);
}

void CVeST::setParameter(VstInt32 index, float value) {
    if (m_bridge.setParameter != nullptr) m_bridge.setParameter(this, index, value);
}

float CVeST::getParameter(VstInt32 index) {
    if (m_bridge.getParameter == nullptr) return 0.0f;
    return static_cast<float>(m_bridge.getParameter(this, index));
}

void CVeST::setProgramName(const char* name) {
    if (m_bridge.setProgramName != nullptr) m_bridge.setProgramName(this, name);
}

void CVeST::getProgramName(char* name) {
    if (m_bridge.getProgramName != nullptr) m_bridge.getProgramName(this, name);
}

void CVeST::getParameterLabel(VstInt32 index, char* label) {
    if (m_bridge.getParameterLabel != nullptr) m_bridge.getParameterLabel(this, index, label);
}

void CVeST::getParameterDisplay(VstInt32 index, char* text) {
    if (m_bridge.getParameterDisplay != nullptr) m_bridge.getParameterDisplay(this, index, text);
}

void CVeST::getParameterName(VstInt32 index, char* text) {
    if (m_bridge.getParameterName != nullptr) m_bridge.getParameterName(this, index, text);
}

VstInt32 CVeST::getChunk(void** data, bool isPreset) {
    return m_bridge.getChunk != nullptr ? m_bridge.getChunk(this, data, isPreset) : 0;
}

VstInt32 CVeST::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    return m_bridge.setChunk != nullptr ? m_bridge.setChunk(this, data, byteSize, isPreset) : 0;
}

bool CVeST::getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) {
    if (m_bridge.getProgramNameIndexed == nullptr) return false;
    return m_bridge.getProgramNameIndexed(this, category, index, text) != 0;
}

VstInt32 CVeST::processEvents(VstEvents* events) {
    if (events == nullptr) return 0;
    // The record declares two places; the host makes the array numEvents long. Indexing the
    // declared array past its second place is undefined, so the list is read through a pointer.
    VstEvent* const* list = events->events;
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = list[i];
        if (event == nullptr || event->type != kVstMidiType) continue;
        VstMidiEvent& slot = m_midiRing[m_midiWriteIndex];
        std::memcpy(&slot, event, sizeof slot);
        slot.type = kVstMidiType;
        m_midiWriteIndex = m_midiWriteIndex + 1 == kMidiRingSize ? 0 : m_midiWriteIndex + 1;
    }
    return 1;
}

bool CVeST::getEffectName(char* name) {
    return m_bridge.getEffectName != nullptr && m_bridge.getEffectName(this, name) != 0;
}

bool CVeST::getVendorString(char* text) {
    return m_bridge.getVendorString != nullptr && m_bridge.getVendorString(this, text) != 0;
}

bool CVeST::getProductString(char* text) {
    return m_bridge.getProductString != nullptr && m_bridge.getProductString(this, text) != 0;
}

VstInt32 CVeST::getVendorVersion() {
    return m_bridge.getVendorVersion != nullptr ? m_bridge.getVendorVersion(this) : 0;
}

VstInt32 CVeST::canDo(const char* text) {
    return text != nullptr && std::strcmp(text, "receiveVstMidiEvent") == 0 ? 1 : -1;
}
