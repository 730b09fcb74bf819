// SPDX-License-Identifier: MIT
#include "BridgeEntries.h"

#include "CVeST.h"
#include "HostQueries.h"
#include "HostText.h"
#include "runtime/TTarvo.h"

namespace bridge {

namespace {
TTarvo& effectOf(CVeST* shell) {
    return *shell->effect();
}
} // namespace

void create(CVeST* shell) {
    const TTarvo& effect = effectOf(shell);
    hostSetNumInputs(shell, effect.ChannelCount());
    hostSetNumOutputs(shell, effect.ChannelCount());
    hostSetUniqueId(shell, effect.UniqueId());
    shell->programsAreChunks(true);
}

void destroy(CVeST* shell) {
    delete shell->effect();
}

void open(CVeST* shell) {
    effectOf(shell).OnReset();
}
void suspend(CVeST* shell) {
    effectOf(shell).OnSuspend();
}
void resume(CVeST* shell) {
    effectOf(shell).OnResume();
}
void idle(CVeST* shell) {
    effectOf(shell).OnRedrawTick();
}
void close(CVeST* shell) {
    effectOf(shell).OnClose();
}

std::int32_t getVendorVersion(CVeST* shell) {
    return effectOf(shell).VendorVersion();
}

std::int32_t getVendorString(CVeST* shell, char* text) {
    copyHostText(text, effectOf(shell).VendorString());
    return 1;
}

std::int32_t getProductString(CVeST* shell, char* text) {
    copyHostText(text, effectOf(shell).ProductString());
    return 1;
}

std::int32_t getEffectName(CVeST* shell, char* text) {
    copyHostText(text, effectOf(shell).EffectName());
    return 1;
}

void getProgramName(CVeST* shell, char* text) {
    copyHostText(text, effectOf(shell).ProgramName());
}

void setProgramName(CVeST* shell, const char* text) {
    if (text != nullptr) effectOf(shell).SetProgramName(text);
}

std::int32_t getProgramNameIndexed(CVeST*, std::int32_t, std::int32_t, char*) {
    // One program, and its name is not offered by index: the buffer stays untouched.
    return 0;
}

double getParameter(CVeST* shell, std::int32_t index) {
    return effectOf(shell).ParameterValue(index);
}

void setParameter(CVeST* shell, std::int32_t index, double value) {
    effectOf(shell).SetParameterValue(index, value);
}

void getParameterName(CVeST* shell, std::int32_t index, char* text) {
    copyHostText(text, effectOf(shell).ParameterName(index));
}

void getParameterLabel(CVeST* shell, std::int32_t index, char* text) {
    copyHostText(text, effectOf(shell).ParameterLabel(index));
}

void getParameterDisplay(CVeST* shell, std::int32_t index, char* text) {
    copyHostText(text, effectOf(shell).ParameterDisplay(index));
}

std::int32_t getChunk(CVeST* shell, void** data, bool isPreset) {
    return effectOf(shell).SaveState(data, isPreset);
}

std::int32_t setChunk(CVeST* shell, void* data, std::int32_t size, bool isPreset) {
    return effectOf(shell).LoadState(data, size, isPreset);
}

} // namespace bridge
