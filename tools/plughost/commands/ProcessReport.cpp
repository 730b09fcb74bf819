// SPDX-License-Identifier: MIT
// The reports of a `plughost process` run: the text on standard output and the JSON file.
#include "ProcessRun.h"

#include "audio/RateConverter.h"
#include "report/JsonWriter.h"
#include "report/PluginTexts.h"

#include <algorithm>
#include <cstdio>

namespace plughost {
namespace {

std::int64_t chainDelay(const std::vector<Stage>& chain) {
    std::int64_t delay = 0;
    for (const Stage& stage : chain)
        delay += stage.latency;
    return delay;
}

double pluginSeconds(const std::vector<Stage>& chain) {
    double seconds = 0.0;
    for (const Stage& stage : chain)
        seconds += stage.plugin->processingSeconds();
    return seconds;
}

void writeOptionalText(JsonWriter& json, const char* key, const std::string& text) {
    json.key(key);
    if (text.empty())
        json.null();
    else
        json.value(text);
}

// ---------------------------------------------------------------------------------------------
// JSON

void jsonPlugins(JsonWriter& json, const RunRecord& run) {
    const Stage& first = run.chain.front();
    const AEffect& record = first.plugin->record();
    json.key("plugin").beginObject();
    json.key("library").value(first.options.plugin);
    json.key("name").value(first.plugin->effectName());
    json.key("uniqueId").value(record.uniqueID);
    json.key("version").value(record.version);
    json.key("latency").value(first.latency);
    json.key("sampleRate").value(run.input.runRate);
    json.endObject();
    json.key("chain").beginArray();
    for (const Stage& stage : run.chain) {
        json.beginObject();
        json.key("library").value(stage.options.plugin);
        json.key("name").value(stage.plugin->effectName());
        json.key("latency").value(stage.latency);
        writeOptionalText(json, "state", stage.options.stateIn);
        writeOptionalText(json, "savedState", stage.options.stateOut);
        writeOptionalText(json, "automation", stage.options.automation);
        json.endObject();
    }
    json.endArray();
    json.key("latency").value(chainDelay(run.chain));
    json.key("delayChanges").beginArray();
    for (const DelayChange& change : run.result.delayChanges) {
        json.beginObject(JsonWriter::Layout::OneLine);
        json.key("plugin").value(static_cast<std::int64_t>(change.stage + 1));
        json.key("frame").value(change.frame);
        json.key("from").value(change.from);
        json.key("to").value(change.to);
        json.key("silencedFrames").value(change.silenced);
        json.endObject();
    }
    json.endArray();
}

void jsonFiles(JsonWriter& json, const RunRecord& run) {
    const AudioReader& reader = *run.input.reader;
    json.key("input").beginObject();
    json.key("path").value(run.options.input);
    json.key("channels").value(reader.channels());
    json.key("sampleRate").value(run.input.fileRate);
    json.key("frames").value(run.input.fileFrames(run.result));
    json.key("format").value(reader.formatDescription());
    json.endObject();
    json.key("output").beginObject();
    json.key("path").value(run.options.output);
    json.key("channels").value(static_cast<std::int64_t>(run.outputMap.size()));
    json.key("sampleRate").value(run.input.runRate);
    json.key("frames").value(run.result.written);
    json.key("tailFrames").value(run.result.written - run.result.frames);
    json.key("format").value(run.format.description);
    json.key("dither").value(run.format.integer() ? (run.options.dither ? "tpdf" : "none") : "");
    json.key("map").beginArray(JsonWriter::Layout::OneLine);
    for (const int c : run.outputMap)
        json.value(c + 1);
    json.endArray();
    json.endObject();
    json.key("resampled").value(run.input.resampler != nullptr);
    json.key("resampler");
    if (run.input.resampler)
        json.value(rateConverterName());
    else
        json.null();
}

void jsonSettings(JsonWriter& json, const RunRecord& run) {
    json.key("settings").beginObject();
    json.key("block").value(run.options.blockSize);
    json.key("precision").value(run.options.precision);
    json.key("strict").value(run.options.strict);
    json.key("state").value(run.chain.front().options.stateIn);
    json.key("parameters").beginArray();
    for (std::size_t k = 0; k < run.chain.size(); ++k) {
        const Stage& stage = run.chain[k];
        for (std::size_t i = 0; i < stage.made.size(); ++i) {
            const ParameterRequest& request = stage.requests[i];
            json.beginObject();
            json.key("plugin").value(static_cast<std::int64_t>(k + 1));
            json.key("setting").value(request.text);
            json.key("index").value(stage.made[i].index);
            json.key("normalised").value(static_cast<double>(stage.made[i].normalised));
            json.key("seconds");
            if (request.seconds)
                json.value(*request.seconds);
            else
                json.null();
            json.endObject();
        }
    }
    json.endArray();
    json.endObject();
    json.key("parameters").beginArray();
    for (std::size_t k = 0; k < run.chain.size(); ++k) {
        Plugin& plugin = *run.chain[k].plugin;
        for (VstInt32 i = 0; i < plugin.parameterCount(); ++i) {
            json.beginObject();
            json.key("plugin").value(static_cast<std::int64_t>(k + 1));
            json.key("index").value(i);
            json.key("name").value(plugin.parameterName(i));
            json.key("display").value(plugin.parameterDisplay(i));
            json.key("label").value(plugin.parameterLabel(i));
            json.key("normalised").value(static_cast<double>(plugin.parameter(i)));
            json.endObject();
        }
    }
    json.endArray();
}

void jsonLevels(JsonWriter& json, const LoopResult& result) {
    json.key("levels").beginArray();
    for (std::size_t c = 0; c < std::max(result.before.size(), result.after.size()); ++c) {
        json.beginObject();
        json.key("channel").value(static_cast<std::int64_t>(c + 1));
        for (const auto& [name, meters] :
             {std::pair{"input", &result.before}, std::pair{"output", &result.after}}) {
            json.key(name);
            if (c >= meters->size()) {
                json.null();
                continue;
            }
            json.beginObject();
            json.key("peakDb").value((*meters)[c].peakDb());
            json.key("rmsDb").value((*meters)[c].rmsDb());
            json.endObject();
        }
        json.key("clipped").value(c < result.clipped.size() ? result.clipped[c] : 0);
        json.key("nonFinite").value(c < result.nonFinite.size() ? result.nonFinite[c] : 0);
        json.endObject();
    }
    json.endArray();
}

void jsonTexts(JsonWriter& json, const char* key, const std::vector<std::string>& texts) {
    json.key(key).beginArray();
    for (const std::string& text : texts)
        json.value(text);
    json.endArray();
}

} // namespace

std::string processJson(const RunRecord& run) {
    JsonWriter json;
    json.beginObject();
    jsonPlugins(json, run);
    jsonFiles(json, run);
    jsonSettings(json, run);
    jsonLevels(json, run.result);
    jsonTexts(json, "warnings", run.notes.warnings());
    jsonTexts(json, "notes", run.notes.notes());
    const double written = static_cast<double>(run.result.written) / run.input.runRate;
    json.key("timing").beginObject();
    json.key("seconds").value(run.seconds);
    json.key("audioSeconds").value(written);
    json.key("pluginSeconds").value(pluginSeconds(run.chain));
    json.endObject();
    json.endObject();
    return json.text();
}

// ---------------------------------------------------------------------------------------------
// Text

void printProcessReport(const RunRecord& run) {
    const int rate = run.input.runRate;
    for (const Stage& stage : run.chain)
        std::printf("plug-in     %s (%s), running at %d Hz, latency %d frames\n",
                    stage.plugin->effectName().c_str(), fileName(stage.options.plugin).c_str(),
                    rate, stage.latency);
    if (run.chain.size() > 1)
        std::printf("chain       %zu plug-ins, latency %lld frames in all\n", run.chain.size(),
                    static_cast<long long>(chainDelay(run.chain)));
    const AudioReader& reader = *run.input.reader;
    const std::int64_t fileFrames = run.input.fileFrames(run.result);
    std::printf("input       %s: %s, %d Hz, %.3f s, %s\n", run.options.input.c_str(),
                channelCount(reader.channels()).c_str(), run.input.fileRate,
                static_cast<double>(fileFrames) / run.input.fileRate,
                reader.formatDescription().c_str());
    if (run.input.resampler)
        std::printf("resampled   %d Hz to %d Hz, %lld frames to %lld, with %s\n",
                    run.input.fileRate, rate, static_cast<long long>(fileFrames),
                    static_cast<long long>(run.result.frames), rateConverterName().c_str());
    const double written = static_cast<double>(run.result.written) / rate;
    std::printf("output      %s: %s, %s, %d-bit processing, %.3f s", run.options.output.c_str(),
                channelCount(static_cast<int>(run.outputMap.size())).c_str(),
                run.format.description.c_str(), run.options.precision, written);
    if (run.result.written > run.result.frames)
        std::printf(" (tail %.3f s)", written - static_cast<double>(run.result.frames) / rate);
    std::printf("\n");
    for (std::size_t k = 0; k < run.chain.size(); ++k) {
        Plugin& plugin = *run.chain[k].plugin;
        if (plugin.parameterCount() == 0) continue;
        if (run.chain.size() > 1)
            std::printf("\nplug-in %zu, %s", k + 1, fileName(run.chain[k].options.plugin).c_str());
        std::printf("\n%s", parameterTable(plugin).c_str());
    }
    std::printf("\n%s\n", levelTable(run.result.before, run.result.after).c_str());
    const double inPlugins = pluginSeconds(run.chain);
    std::printf("time        %.3f s for %.3f s of audio", run.seconds, written);
    if (written > 0 && run.seconds > 0)
        std::printf(" (%.0fx real time); in the plug-in %.3f s (%.0f%%)", written / run.seconds,
                    inPlugins, 100.0 * inPlugins / run.seconds);
    std::printf("\n");
}

} // namespace plughost
