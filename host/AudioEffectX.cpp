// SPDX-License-Identifier: MIT
#include "AudioEffectX.h"

namespace {
constexpr VstIntPtr kPlugCategorySynth = 2;
} // namespace

void AudioEffectX::resume() {
    if ((m_cEffect.flags & effFlagsIsSynth) != 0 || canDo("receiveVstMidiEvent") == 1) wantEvents();
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) {
    // The host answers the address as a pointer-sized integer.
    return reinterpret_cast<VstTimeInfo*>( // NOLINT(performance-no-int-to-ptr)
        callHost(audioMasterGetTime, 0, filter));
}

VstInt32 AudioEffectX::getPlugCategory() {
    return (m_cEffect.flags & effFlagsIsSynth) != 0 ? kPlugCategorySynth : 0;
}

bool AudioEffectX::updateDisplay() {
    return callHost(audioMasterUpdateDisplay) != 0;
}

void AudioEffectX::wantEvents(VstInt32 filter) {
    callHost(audioMasterWantMidi, 0, filter);
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effProcessEvents:
        if (ptr == nullptr) return 0;
        processEvents(static_cast<VstEvents*>(ptr));
        return 1;
    case effCanBeAutomated:
        return 1;
    case effGetProgramNameIndexed:
        if (text == nullptr) return 0;
        return getProgramNameIndexed(static_cast<VstInt32>(value), index, text) ? 1 : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effGetEffectName:
        return text != nullptr && getEffectName(text) ? 1 : 0;
    case effGetVendorString:
        return text != nullptr && getVendorString(text) ? 1 : 0;
    case effGetProductString:
        return text != nullptr && getProductString(text) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effCanDo:
        return text != nullptr ? canDo(text) : -1;
    case effGetVstVersion:
        return kVstVersion;
    case effEditKeyDown:
    case effEditKeyUp: {
        if (m_editor == nullptr) return 0;
        // Character in the index, virtual key in the value's low byte, modifiers in the
        // option's integer part's low byte.
        VstKeyCode key{index, static_cast<std::uint8_t>(value & 0xFF),
                       static_cast<std::uint8_t>(static_cast<VstInt32>(opt) & 0xFF)};
        const bool used =
            opcode == effEditKeyDown ? m_editor->onKeyDown(key) : m_editor->onKeyUp(key);
        return used ? 1 : 0;
    }
    case effSetEditKnobMode:
        if (m_editor == nullptr) return 0;
        return m_editor->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;
    case effGetCurrentMidiProgram:
        return -1;
    case effGetSpeakerArrangement:
        // No arrangement to give: a null pointer into each place the host named.
        if (value != 0)
            *reinterpret_cast<void**>(value) = nullptr; // NOLINT(performance-no-int-to-ptr)
        if (ptr != nullptr) *static_cast<void**>(ptr) = nullptr;
        return 0;
    case effSetTotalSampleToProcess:
        return value;
    case effString2Parameter:
    case effGetInputProperties:
    case effGetOutputProperties:
    case effOfflineNotify:
    case effOfflinePrepare:
    case effOfflineRun:
    case effProcessVarIo:
    case effSetSpeakerArrangement:
    case effSetBypass:
    case effVendorSpecific:
    case effGetTailSize:
    case effGetParameterProperties:
    case effGetMidiProgramName:
    case effGetMidiProgramCategory:
    case effHasMidiProgramsChanged:
    case effGetMidiKeyName:
    case effBeginSetProgram:
    case effEndSetProgram:
    case effShellGetNextPlugin:
    case effStartProcess:
    case effStopProcess:
    case effSetPanLaw:
    case effBeginLoadBank:
    case effBeginLoadProgram:
    case effSetProcessPrecision:
    case effGetNumMidiInputChannels:
    case effGetNumMidiOutputChannels:
        return 0;
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}
