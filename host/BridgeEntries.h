// SPDX-License-Identifier: MIT
// The bridge-table entries: each takes the shell, reaches its effect and reads or writes one
// runtime member or runs one hook.
#pragma once

#include "HostBridgeTable.h"
#include "ProcessBridge.h"

namespace bridge {

void create(CVeST* shell);
void destroy(CVeST* shell);
void open(CVeST* shell);
void suspend(CVeST* shell);
void resume(CVeST* shell);
void idle(CVeST* shell);
void close(CVeST* shell);
std::int32_t getVendorVersion(CVeST* shell);
std::int32_t getVendorString(CVeST* shell, char* text);
std::int32_t getProductString(CVeST* shell, char* text);
std::int32_t getEffectName(CVeST* shell, char* text);
void getProgramName(CVeST* shell, char* text);
void setProgramName(CVeST* shell, const char* text);
std::int32_t getProgramNameIndexed(CVeST* shell, std::int32_t category, std::int32_t index,
                                   char* text);
double getParameter(CVeST* shell, std::int32_t index);
void setParameter(CVeST* shell, std::int32_t index, double value);
void getParameterName(CVeST* shell, std::int32_t index, char* text);
void getParameterLabel(CVeST* shell, std::int32_t index, char* text);
void getParameterDisplay(CVeST* shell, std::int32_t index, char* text);
std::int32_t getChunk(CVeST* shell, void** data, bool isPreset);
std::int32_t setChunk(CVeST* shell, void* data, std::int32_t size, bool isPreset);

} // namespace bridge

// The table for an effect class: entries 7 to 12 (draw, mouse, keys) stay empty because the
// editor path is not connected; the processing entries are made for `Effect` itself so that
// its per-frame hook can be inlined into the frame loop.
template <class Effect>
HostBridgeTable makeBridgeTable() noexcept {
    HostBridgeTable table{};
    table.create = bridge::create;
    table.destroy = bridge::destroy;
    table.open = bridge::open;
    table.suspend = bridge::suspend;
    table.resume = bridge::resume;
    table.idle = bridge::idle;
    table.close = bridge::close;
    table.getVendorVersion = bridge::getVendorVersion;
    table.getVendorString = bridge::getVendorString;
    table.getProductString = bridge::getProductString;
    table.getEffectName = bridge::getEffectName;
    table.getProgramName = bridge::getProgramName;
    table.setProgramName = bridge::setProgramName;
    table.getProgramNameIndexed = bridge::getProgramNameIndexed;
    table.getParameter = bridge::getParameter;
    table.setParameter = bridge::setParameter;
    table.getParameterName = bridge::getParameterName;
    table.getParameterLabel = bridge::getParameterLabel;
    table.getParameterDisplay = bridge::getParameterDisplay;
    const process_bridge::CpuFeatures cpu = process_bridge::detectCpuFeatures();
    table.processReplacing = process_bridge::selectProcessEntry<Effect, float>(cpu);
    table.processDoubleReplacing = process_bridge::selectProcessEntry<Effect, double>(cpu);
    table.getChunk = bridge::getChunk;
    table.setChunk = bridge::setChunk;
    return table;
}
