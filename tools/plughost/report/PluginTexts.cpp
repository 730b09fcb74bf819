// SPDX-License-Identifier: MIT
#include "PluginTexts.h"

#include "core/Plugin.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <utility>

namespace plughost {

std::string uniqueIdText(VstInt32 id) {
    std::string characters;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
        if (std::isprint(c) == 0) return std::to_string(id);
        characters += static_cast<char>(c);
    }
    return "'" + characters + "' (" + std::to_string(id) + ")";
}

std::string flagWords(VstInt32 flags) {
    static constexpr std::array<std::pair<VstInt32, const char*>, 6> kNames{{
        {effFlagsHasEditor, "has-editor"},
        {effFlagsCanReplacing, "can-replace"},
        {effFlagsProgramChunks, "program-chunks"},
        {effFlagsIsSynth, "synth"},
        {effFlagsNoSoundInStop, "no-sound-in-stop"},
        {effFlagsCanDoubleReplacing, "can-double-replace"},
    }};
    std::string words;
    VstInt32 known = 0;
    for (const auto& [bit, name] : kNames) {
        known |= bit;
        if ((flags & bit) != 0) words += std::string(words.empty() ? "" : ", ") + name;
    }
    if ((flags & ~known) != 0) {
        char other[32];
        std::snprintf(other, sizeof other, "other bits 0x%X",
                      static_cast<unsigned>(flags & ~known));
        words += std::string(words.empty() ? "" : ", ") + other;
    }
    return words.empty() ? "none" : words;
}

const char* categoryName(VstIntPtr category) {
    static constexpr std::array<const char*, 12> kNames{
        "unknown",     "effect",          "instrument",  "analysis",
        "mastering",   "spatialiser",     "room effect", "surround effect",
        "restoration", "offline process", "shell",       "generator"};
    return category >= 0 && category < static_cast<VstIntPtr>(kNames.size())
               ? kNames[static_cast<std::size_t>(category)]
               : "not a known category";
}

std::string channelCount(int channels) {
    return std::to_string(channels) + (channels == 1 ? " channel" : " channels");
}

std::string seconds3(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

std::string fileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string parameterTable(Plugin& plugin) {
    std::string table = "index  name                      display           label     normalised\n";
    char line[256];
    for (VstInt32 i = 0; i < plugin.parameterCount(); ++i) {
        std::snprintf(line, sizeof line, "%5d  %-25s %-17s %-9s %.6f\n", i,
                      plugin.parameterName(i).c_str(), plugin.parameterDisplay(i).c_str(),
                      plugin.parameterLabel(i).c_str(), static_cast<double>(plugin.parameter(i)));
        table += line;
    }
    return table;
}

} // namespace plughost
