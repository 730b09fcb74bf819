// SPDX-License-Identifier: MIT
#include "HostQueries.h"

#include "CVeST.h"

namespace {

const VstTimeInfo* timeInfo(CVeST* shell, VstInt32 request) {
    return shell != nullptr ? shell->getTimeInfo(request) : nullptr;
}

} // namespace

double hostSampleRate(CVeST* shell) {
    return shell != nullptr ? static_cast<double>(shell->getSampleRate()) : 0.0;
}

std::int32_t hostChannelCount(CVeST* shell) {
    return shell != nullptr ? shell->getAeffect()->numInputs : 0;
}

std::int32_t hostOutputCount(CVeST* shell) {
    return shell != nullptr ? shell->getAeffect()->numOutputs : 0;
}

std::int32_t hostBlockSize(CVeST* shell) {
    return shell != nullptr ? shell->getBlockSize() : 0;
}

double hostTempo(CVeST* shell) {
    const VstTimeInfo* info = timeInfo(shell, kVstTempoValid);
    return info != nullptr ? info->tempo : 0.0;
}

std::int32_t hostTempoAndTimeSig(CVeST* shell, double* tempo, double* numerator,
                                 double* denominator) {
    const VstTimeInfo* info = timeInfo(shell, kVstTempoValid | kVstTimeSigValid);
    if (info == nullptr) return 0;
    if (tempo != nullptr) *tempo = info->tempo;
    if (numerator != nullptr) *numerator = info->timeSigNumerator;
    if (denominator != nullptr) *denominator = info->timeSigDenominator;
    return 1;
}

std::int32_t hostIsPlaying(CVeST* shell) {
    const VstTimeInfo* info = timeInfo(shell, kVstTransportPlaying);
    return info != nullptr && (info->flags & kVstTransportPlaying) != 0 ? 1 : 0;
}

std::int32_t hostIsRecording(CVeST* shell) {
    const VstTimeInfo* info = timeInfo(shell, kVstTransportRecording);
    return info != nullptr && (info->flags & kVstTransportRecording) != 0 ? 1 : 0;
}

double hostPpqPos(CVeST* shell) {
    const VstTimeInfo* info = timeInfo(shell, kVstPpqPosValid);
    return info != nullptr ? info->ppqPos : 0.0;
}

double hostBarStartPos(CVeST* shell) {
    const VstTimeInfo* info = timeInfo(shell, kVstBarsValid);
    return info != nullptr ? info->barStartPos : 0.0;
}

std::int32_t hostUpdateDisplay(CVeST* shell) {
    return shell != nullptr && shell->updateDisplay() ? 1 : 0;
}

std::int32_t hostSetLatency(CVeST* shell, std::int32_t samples) {
    if (shell == nullptr) return 0;
    shell->setInitialDelay(samples);
    return 1;
}

std::int32_t hostRedraw(CVeST* shell) {
    if (shell == nullptr) return 0;
    AEffEditor* editor = shell->getEditor();
    return editor != nullptr && editor->redrawView() ? 1 : 0;
}

const CanvasInterface* hostCanvas(CVeST* shell) {
    return shell != nullptr ? shell->canvas() : nullptr;
}

std::int32_t hostReadMidi(CVeST* shell, std::int32_t* deltaFrames, std::int32_t* byte0,
                          std::int32_t* byte1, std::int32_t* byte2) {
    if (shell == nullptr) return 0;
    std::int32_t* outs[] = {deltaFrames, byte0, byte1, byte2};
    for (std::int32_t* out : outs)
        if (out != nullptr) *out = 0;
    VstInt32& readIndex = shell->midiReadIndex();
    if (readIndex == shell->midiWriteIndex()) return 0;
    const VstMidiEvent& event = shell->midiEvent(readIndex);
    const std::int32_t values[] = {event.deltaFrames, static_cast<signed char>(event.midiData[0]),
                                   static_cast<signed char>(event.midiData[1]),
                                   static_cast<signed char>(event.midiData[2])};
    for (int i = 0; i < 4; ++i)
        if (outs[i] != nullptr) *outs[i] = values[i];
    readIndex = readIndex + 1 == CVeST::kMidiRingSize ? 0 : readIndex + 1;
    return 1;
}

std::int32_t hostSetSynth(CVeST* shell, bool isSynth) {
    if (shell == nullptr) return 0;
    shell->isSynth(isSynth);
    return 1;
}

std::int32_t hostAutomate(CVeST* shell, std::int32_t index, double value) {
    if (shell == nullptr) return 0;
    shell->setParameterAutomated(index, static_cast<float>(value));
    return 1;
}

std::int32_t hostSetNumInputs(CVeST* shell, std::int32_t inputs) {
    if (shell == nullptr) return 0;
    shell->setNumInputs(inputs);
    return 1;
}

std::int32_t hostSetNumOutputs(CVeST* shell, std::int32_t outputs) {
    if (shell == nullptr) return 0;
    shell->setNumOutputs(outputs);
    return 1;
}

std::int32_t hostSetUniqueId(CVeST* shell, std::int32_t id) {
    if (shell == nullptr) return 0;
    shell->setUniqueID(id);
    return 1;
}
