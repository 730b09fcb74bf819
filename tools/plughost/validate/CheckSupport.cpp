// SPDX-License-Identifier: MIT
#include "CheckSupport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace plughost::validate {

Clock::time_point after(double seconds) {
    return Clock::now() +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::unique_ptr<Plugin> openInstance(const PluginLibrary& library, double sampleRate,
                                     VstInt32 maxBlockSize) {
    auto plugin = std::make_unique<Plugin>(library, sampleRate, maxBlockSize);
    plugin->leaveOpen();
    plugin->open(sampleRate, maxBlockSize);
    plugin->resume();
    return plugin;
}

namespace {

// The path of the check's plug-in, with the check's stage said first.
const std::string& loading(CheckContext& context) {
    context.out.stage("loading the library");
    return context.plugin;
}

} // namespace

CheckedPlugin::CheckedPlugin(CheckContext& context, double sampleRate, VstInt32 maxBlockSize)
    : m_library(loading(context)),
      m_instance((context.out.stage("creating and opening the plug-in"),
                  openInstance(m_library, sampleRate, maxBlockSize))) {}

WrittenText writtenText(Plugin& plugin, VstInt32 opcode, VstInt32 index) {
    static std::array<unsigned char, 4096> area;
    WrittenText result;
    for (const unsigned char guard : std::array<unsigned char, 2>{0xA5, 0x5A}) {
        area.fill(guard);
        plugin.dispatch(opcode, index, 0, area.data());
        std::size_t end = area.size();
        while (end > 0 && area[end - 1] == guard)
            --end;
        result.written = std::max(result.written, end);
        if (guard == 0xA5) {
            const unsigned char* stop = std::find(area.data(), area.data() + end, 0);
            result.terminated = end == 0 || stop != area.data() + end;
            result.text.assign(reinterpret_cast<const char*>(area.data()),
                               static_cast<std::size_t>(stop - area.data()));
        }
    }
    return result;
}

std::string judgeText(Findings& out, const std::string& what, const WrittenText& text,
                      std::size_t hostSize, const Case& where) {
    const std::string written = std::to_string(text.written) + " bytes";
    if (!text.terminated)
        out.fail(what + " has no terminating zero", "none in the " + written + " written", where);
    else if (text.written > kHostTextLimit)
        out.fail(what + " runs past the " + std::to_string(kHostTextLimit) +
                     " bytes of the largest host buffer",
                 quote(text.text) + ", " + written, where);
    else if (text.written > hostSize)
        out.warn(what + " is longer than the " + std::to_string(hostSize) + " bytes hosts give it",
                 quote(text.text) + ", " + written, where);
    return text.text;
}

std::string duration(double seconds) {
    return seconds < 1.0 ? number(std::round(seconds * 1e4) / 10.0) + " ms"
                         : number(seconds) + " s";
}

std::vector<float> readParameters(Plugin& plugin, VstInt32 count) {
    std::vector<float> values;
    values.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (VstInt32 i = 0; i < count; ++i)
        values.push_back(plugin.parameter(i));
    return values;
}

} // namespace plughost::validate
