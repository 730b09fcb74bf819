// SPDX-License-Identifier: MIT
// `plughost info`: what a plug-in says about itself, as text or JSON.
#include "Commands.h"

#include "core/Latency.h"
#include "core/Plugin.h"
#include "report/JsonWriter.h"
#include "report/PluginTexts.h"

#include <cstdio>
#include <utility>

namespace plughost {
namespace {

// Sample rate and block size for plug-ins that are only asked questions.
constexpr double kInfoSampleRate = 48000.0;
constexpr VstInt32 kInfoBlockSize = 1024;

// The delay the plug-in announces once it has processed a little (Latency.h).
VstInt32 settledLatency(Plugin& plugin) {
    plugin.resume();
    VstInt32 latency = plugin.reportedDelay();
    if (plugin.canReplacing() || plugin.canDoubleReplacing())
        latency = warmUp(plugin, kInfoBlockSize, !plugin.canReplacing());
    plugin.suspend();
    return latency;
}

std::string infoJson(Plugin& plugin, const std::string& library, VstInt32 latency) {
    const AEffect& record = plugin.record();
    JsonWriter json;
    json.beginObject();
    json.key("library").value(library);
    json.key("entryPoint").value(plugin.entryName());
    json.key("name").value(plugin.effectName());
    json.key("vendor").value(plugin.vendorString());
    json.key("product").value(plugin.productString());
    json.key("vendorVersion").value(static_cast<std::int64_t>(plugin.vendorVersion()));
    json.key("vstVersion").value(static_cast<std::int64_t>(plugin.vstVersion()));
    json.key("uniqueId").value(record.uniqueID);
    json.key("version").value(record.version);
    const VstIntPtr category = plugin.category();
    json.key("category").value(categoryName(category));
    json.key("inputs").value(record.numInputs);
    json.key("outputs").value(record.numOutputs);
    json.key("programs").value(record.numPrograms);
    json.key("latency").value(latency);
    json.key("latencySampleRate").value(kInfoSampleRate);
    json.key("flags").value(static_cast<std::int64_t>(static_cast<std::uint32_t>(record.flags)));
    json.key("canDo").beginObject();
    for (const char* capability : kAskedCapabilities) {
        const VstIntPtr answer = plugin.canDo(capability);
        json.key(capability);
        if (answer == 0)
            json.null();
        else
            json.value(answer > 0);
    }
    json.endObject();
    json.key("parameters").beginArray();
    for (VstInt32 i = 0; i < record.numParams; ++i) {
        json.beginObject();
        json.key("index").value(i);
        json.key("name").value(plugin.parameterName(i));
        json.key("label").value(plugin.parameterLabel(i));
        json.key("display").value(plugin.parameterDisplay(i));
        const float current = plugin.parameter(i);
        json.key("normalised").value(static_cast<double>(current));
        json.key("displayAt").beginObject();
        for (const auto& [name, normalised] :
             {std::pair{"0", 0.0f}, std::pair{"0.5", 0.5f}, std::pair{"1", 1.0f}}) {
            plugin.setParameter(i, normalised);
            json.key(name).value(plugin.parameterDisplay(i));
        }
        plugin.setParameter(i, current);
        json.endObject();
        json.endObject();
    }
    json.endArray();
    json.endObject();
    return json.text();
}

void printInfo(Plugin& plugin, const std::string& library, VstInt32 latency) {
    const AEffect& record = plugin.record();
    std::printf("library         %s (entry point %s)\n", library.c_str(),
                plugin.entryName().c_str());
    std::printf("name            %s\n", plugin.effectName().c_str());
    std::printf("vendor          %s\n", plugin.vendorString().c_str());
    std::printf("product         %s\n", plugin.productString().c_str());
    std::printf("vendor version  %ld\n", static_cast<long>(plugin.vendorVersion()));
    std::printf("VST version     %ld\n", static_cast<long>(plugin.vstVersion()));
    std::printf("unique id       %d (0x%08X)\n", record.uniqueID,
                static_cast<unsigned>(record.uniqueID));
    std::printf("version         %d\n", record.version);
    const VstIntPtr category = plugin.category();
    std::printf("category        %ld (%s)\n", static_cast<long>(category), categoryName(category));
    std::printf("inputs          %d\n", record.numInputs);
    std::printf("outputs         %d\n", record.numOutputs);
    std::printf("programs        %d\n", record.numPrograms);
    std::printf("latency         %d frames (at %.0f Hz; process runs the plug-in at the input "
                "file's rate, or at --rate)\n",
                latency, kInfoSampleRate);
    std::printf("flags           0x%08X: %s\n", static_cast<unsigned>(record.flags),
                flagWords(record.flags).c_str());
    std::printf("can do\n");
    for (const char* capability : kAskedCapabilities) {
        const VstIntPtr answer = plugin.canDo(capability);
        std::printf("  %-22s %s\n", capability,
                    answer > 0   ? "yes"
                    : answer < 0 ? "no"
                                 : "does not say");
    }
    std::printf("parameters      %d\n", record.numParams);
    if (record.numParams > 0) std::printf("%s", parameterTable(plugin).c_str());
}

} // namespace

void runInfo(const InfoOptions& options) {
    const PluginLibrary library(options.plugin);
    Plugin plugin(library, kInfoSampleRate, kInfoBlockSize);
    plugin.open(kInfoSampleRate, kInfoBlockSize);
    const VstInt32 latency = settledLatency(plugin);
    if (options.json)
        std::fputs(infoJson(plugin, options.plugin, latency).c_str(), stdout);
    else
        printInfo(plugin, options.plugin, latency);
}

} // namespace plughost
