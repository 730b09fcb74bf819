// SPDX-License-Identifier: MIT
#include "AudioEffect.h"

namespace {

// The record's entries. Hosts call them with the record they were given; a record without an
// object (or no record at all) is answered as an empty plug-in would answer.
AudioEffect* objectOf(AEffect* effect) noexcept {
    return effect != nullptr ? static_cast<AudioEffect*>(effect->object) : nullptr;
}

VstIntPtr VSTCALLBACK dispatchEffect(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                     VstIntPtr value, void* ptr, float opt) noexcept {
    AudioEffect* object = objectOf(effect);
    if (object == nullptr) return 0;
    const VstIntPtr answer = object->dispatcher(opcode, index, value, ptr, opt);
    if (opcode == effClose) {
        // The record lives inside the object: it is gone after this.
        delete object;
        return 1;
    }
    return answer;
}

void VSTCALLBACK processAccumulating(AEffect* effect, float** inputs, float** outputs,
                                     VstInt32 frames) noexcept {
    if (AudioEffect* object = objectOf(effect)) object->process(inputs, outputs, frames);
}

void VSTCALLBACK processFloat(AEffect* effect, float** inputs, float** outputs,
                              VstInt32 frames) noexcept {
    if (AudioEffect* object = objectOf(effect)) object->processReplacing(inputs, outputs, frames);
}

void VSTCALLBACK processDouble(AEffect* effect, double** inputs, double** outputs,
                               VstInt32 frames) noexcept {
    if (AudioEffect* object = objectOf(effect))
        object->processDoubleReplacing(inputs, outputs, frames);
}

void VSTCALLBACK setParameterEntry(AEffect* effect, VstInt32 index, float value) noexcept {
    if (AudioEffect* object = objectOf(effect)) object->setParameter(index, value);
}

float VSTCALLBACK getParameterEntry(AEffect* effect, VstInt32 index) noexcept {
    AudioEffect* object = objectOf(effect);
    return object != nullptr ? object->getParameter(index) : 0.0f;
}

} // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : m_audioMaster(audioMaster), m_numPrograms(numPrograms), m_numParams(numParams) {
    m_cEffect.magic = kEffectMagic;
    m_cEffect.dispatcher = dispatchEffect;
    m_cEffect.process = processAccumulating;
    m_cEffect.setParameter = setParameterEntry;
    m_cEffect.getParameter = getParameterEntry;
    m_cEffect.numPrograms = numPrograms;
    m_cEffect.numParams = numParams;
    m_cEffect.numInputs = 1;
    m_cEffect.numOutputs = 2;
    m_cEffect.flags = 0;
    m_cEffect.ioRatio = 1.0f;
    m_cEffect.object = this;
    m_cEffect.uniqueID = kUndefinedUniqueId;
    m_cEffect.version = 1;
    m_cEffect.processReplacing = processFloat;
    m_cEffect.processDoubleReplacing = processDouble;
}

AudioEffect::~AudioEffect() {
    // The shell's own destruction (effect, fonts) has run by now; the editor goes last.
    delete m_editor;
    m_editor = nullptr;
}

void AudioEffect::setEditor(AEffEditor* editor) {
    if (editor == m_editor) return;
    delete m_editor;
    m_editor = editor;
    setFlag(effFlagsHasEditor, editor != nullptr);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
    if (m_audioMaster == nullptr) return 0;
    return m_audioMaster(&m_cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::setFlag(VstInt32 flag, bool state) noexcept {
    if (state)
        m_cEffect.flags |= flag;
    else
        m_cEffect.flags &= ~flag;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::setProgram(VstInt32 program) {
    if (program >= 0 && program < m_numPrograms) m_curProgram = program;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value >= 0 && value < m_numPrograms) setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (text != nullptr) setProgramName(text);
        return 0;
    case effGetProgramName:
        if (text != nullptr) getProgramName(text);
        return 0;
    case effGetParamLabel:
        if (text != nullptr) getParameterLabel(index, text);
        return 0;
    case effGetParamDisplay:
        if (text != nullptr) getParameterDisplay(index, text);
        return 0;
    case effGetParamName:
        if (text != nullptr) getParameterName(index, text);
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    // Editor requests: answered 0 while there is no editor (the shipped plug-in never has one).
    case effEditGetRect:
        if (m_editor == nullptr || ptr == nullptr) return 0;
        return m_editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        return m_editor != nullptr && m_editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (m_editor != nullptr) m_editor->close();
        return 0;
    case effEditIdle:
        if (m_editor != nullptr) m_editor->idle();
        return 0;
    case effIdentify:
        return kEffectIdentify;
    case effGetChunk:
        if (ptr == nullptr) return 0;
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        if (ptr == nullptr || value < 0 || value > INT32_MAX) return 0;
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        return 0;
    }
}
