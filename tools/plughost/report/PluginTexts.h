// SPDX-License-Identifier: MIT
// How a plug-in is described in plughost's reports: its identity, flags and parameters as text.
#pragma once

#include "host/VstInterface.h"

#include <array>
#include <string>

namespace plughost {

class Plugin;

// The capabilities `info` asks every plug-in about.
inline constexpr std::array<const char*, 8> kAskedCapabilities{
    "sendVstEvents",      "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
    "receiveVstTimeInfo", "offline",          "midiProgramNames", "bypass"};

// A unique id as hosts show it: its four characters when they are printable ("'Look'
// (1282371435)"), else the number alone ("0").
std::string uniqueIdText(VstInt32 id);
// The record's flags by name ("has-editor, can-replace"), "none" for none.
std::string flagWords(VstInt32 flags);
// A category by name ("effect"), or "not a known category".
const char* categoryName(VstIntPtr category);
// "1 channel", "8 channels".
std::string channelCount(int channels);
// Seconds with three decimals.
std::string seconds3(double seconds);
// The plug-in's file name without its folder.
std::string fileName(const std::string& path);
// One row per parameter: index, name, display text, label, normalised value.
std::string parameterTable(Plugin& plugin);

} // namespace plughost
