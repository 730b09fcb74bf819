// SPDX-License-Identifier: MIT
#include "Commands.h"

#include "AudioFile.h"
#include "Failure.h"
#include "LevelMeter.h"
#include "ParameterSetting.h"
#include "PluginHost.h"
#include "Progress.h"
#include "StateFile.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

namespace plughost {
namespace {

// Sample rate and block size for plug-ins that are only asked questions.
constexpr double kInfoSampleRate = 48000.0;
constexpr VstInt32 kInfoBlockSize = 1024;

void note(const std::string& text) {
    std::fprintf(stderr, "plughost: %s\n", text.c_str());
}

std::string fileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

class PluginParameters : public ParameterAccess {
public:
    explicit PluginParameters(PluginHost& plugin) : m_plugin(plugin) {}
    int count() override { return m_plugin.record().numParams; }
    std::string name(int index) override { return m_plugin.parameterName(index); }
    std::string display(int index) override { return m_plugin.parameterDisplay(index); }
    void set(int index, float normalised) override { m_plugin.setParameter(index, normalised); }

private:
    PluginHost& m_plugin;
};

std::string parameterTable(PluginHost& plugin) {
    std::string table = "index  name                      display           normalised\n";
    char line[256];
    for (VstInt32 i = 0; i < plugin.record().numParams; ++i) {
        std::string shown = plugin.parameterDisplay(i);
        const std::string label = plugin.parameterLabel(i);
        if (!label.empty()) shown += " " + label;
        std::snprintf(line, sizeof line, "%5d  %-25s %-17s %.6f\n", i,
                      plugin.parameterName(i).c_str(), shown.c_str(),
                      static_cast<double>(plugin.parameter(i)));
        table += line;
    }
    return table;
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

// ---------------------------------------------------------------------------------------------
// The processing loop

struct LoopResult {
    std::vector<LevelMeter> before;
    std::vector<LevelMeter> after;
    std::int64_t frames = 0;
};

// Reads IN block by block, hands the plug-in its inputs (file channels in order, silence where
// the file has none), meters both sides and writes the outputs interleaved.
template <typename Sample>
LoopResult runBlocks(PluginHost& plugin, AudioReader& reader, AudioWriter& writer, int blockSize,
                     Progress& progress) {
    const auto block = static_cast<std::size_t>(blockSize);
    const auto fileChannels = static_cast<std::size_t>(reader.channels());
    const auto inputs = static_cast<std::size_t>(plugin.record().numInputs);
    const auto outputs = static_cast<std::size_t>(plugin.record().numOutputs);

    std::vector<Sample> fileBlock(block * fileChannels);
    std::vector<Sample> outputBlock(block * outputs);
    std::vector<std::vector<Sample>> in(inputs, std::vector<Sample>(block));
    std::vector<std::vector<Sample>> out(outputs, std::vector<Sample>(block));
    // One place more than needed, so that a plug-in without inputs still gets an array.
    std::vector<Sample*> inPointers(inputs + 1, nullptr);
    std::vector<Sample*> outPointers(outputs + 1, nullptr);
    for (std::size_t c = 0; c < inputs; ++c)
        inPointers[c] = in[c].data();
    for (std::size_t c = 0; c < outputs; ++c)
        outPointers[c] = out[c].data();

    LoopResult result;
    result.before.resize(inputs);
    result.after.resize(outputs);
    for (;;) {
        const auto got = static_cast<std::size_t>(reader.read(fileBlock.data(), blockSize));
        if (got == 0) break;
        for (std::size_t c = 0; c < inputs; ++c) {
            Sample* channel = in[c].data();
            if (c < fileChannels) {
                for (std::size_t j = 0; j < got; ++j)
                    channel[j] = fileBlock[j * fileChannels + c];
            } else {
                // Refilled every block: a plug-in may have used its inputs as scratch space.
                std::fill_n(channel, got, Sample(0));
            }
            result.before[c].add(channel, got);
        }
        for (auto& channel : out)
            std::fill_n(channel.data(), got, Sample(0));

        plugin.process(inPointers.data(), outPointers.data(), static_cast<VstInt32>(got),
                       result.frames);

        for (std::size_t c = 0; c < outputs; ++c) {
            const Sample* channel = out[c].data();
            result.after[c].add(channel, got);
            for (std::size_t j = 0; j < got; ++j)
                outputBlock[j * outputs + c] = channel[j];
        }
        writer.write(outputBlock.data(), static_cast<std::int64_t>(got));
        result.frames += static_cast<std::int64_t>(got);
        progress.update(result.frames);
    }
    progress.finish();
    return result;
}

void reportChannelMapping(const AudioReader& reader, const std::string& input, int inputs) {
    const int fileChannels = reader.channels();
    const auto range = [](int first, int last) {
        return first == last ? std::to_string(first)
                             : std::to_string(first) + " to " + std::to_string(last);
    };
    if (fileChannels > inputs)
        note(quote(input) + " has " + std::to_string(fileChannels) +
             " channels and the plug-in takes " + std::to_string(inputs) + ": file channel" +
             (fileChannels - inputs > 1 ? "s " : " ") + range(inputs + 1, fileChannels) +
             (fileChannels - inputs > 1 ? " are" : " is") + " dropped");
    else if (fileChannels < inputs)
        note(quote(input) + " has " + std::to_string(fileChannels) + " channel" +
             (fileChannels > 1 ? "s" : "") + " and the plug-in takes " + std::to_string(inputs) +
             ": input" + (inputs - fileChannels > 1 ? "s " : " ") +
             range(fileChannels + 1, inputs) + " get silence");
}

} // namespace

// ---------------------------------------------------------------------------------------------

void runInfo(const InfoOptions& options) {
    PluginHost plugin(options.plugin);
    plugin.open(kInfoSampleRate, kInfoBlockSize);
    const AEffect& record = plugin.record();
    std::printf("library         %s (entry point %s)\n", options.plugin.c_str(),
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
    std::printf("latency         %d frames\n", record.initialDelay);
    std::printf("flags           0x%08X: %s\n", static_cast<unsigned>(record.flags),
                flagWords(record.flags).c_str());
    std::printf("can do\n");
    for (const char* capability :
         {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
          "receiveVstTimeInfo", "offline", "midiProgramNames", "bypass"}) {
        const VstIntPtr answer = plugin.canDo(capability);
        std::printf("  %-22s %s\n", capability,
                    answer > 0   ? "yes"
                    : answer < 0 ? "no"
                                 : "does not say");
    }
    std::printf("parameters      %d\n", record.numParams);
    if (record.numParams > 0) std::printf("%s", parameterTable(plugin).c_str());
}

void runProcess(const ProcessOptions& options) {
    // Everything that can be checked without the plug-in is checked first.
    const OutputFormat format = outputFormatFor(options.output);
    std::vector<ParameterRequest> requests;
    for (const std::string& setting : options.parameters)
        requests.push_back(parseParameterSetting(setting));
    std::optional<PluginState> state;
    if (!options.stateIn.empty()) state = readStateFile(options.stateIn);
    AudioReader reader(options.input);

    PluginHost plugin(options.plugin);
    const AEffect& record = plugin.record();
    const std::string what = "plug-in " + quote(options.plugin);
    if (options.precision == 64 && !plugin.canDoubleReplacing())
        throw Failure(what + " offers no 64-bit processing; use --precision 32");
    if (options.precision == 32 && !plugin.canReplacing())
        throw Failure(what + " offers no 32-bit replacing processing");
    if (record.numOutputs == 0) throw Failure(what + " has no outputs");
    if ((state || !options.stateOut.empty()) && !plugin.programsAreChunks())
        throw Failure(what + " keeps no state chunk, which --state and --save-state need");
    const PluginIdentity identity{record.uniqueID, record.version, record.numParams,
                                  plugin.effectName()};
    if (state) {
        std::string warning;
        checkStateBelongsTo(*state, identity, options.stateIn, warning);
        if (!warning.empty()) note(warning);
    }
    const VstInt32 inputs = record.numInputs;
    const VstInt32 outputs = record.numOutputs;
    reportChannelMapping(reader, options.input, inputs);

    const bool verbose = options.verbose;
    const auto trace = [verbose](const std::string& text) {
        if (verbose) note(text);
    };
    trace("open, sample rate " + std::to_string(reader.sampleRate()) + " Hz, block size " +
          std::to_string(options.blockSize));
    plugin.open(reader.sampleRate(), options.blockSize);
    if (state) {
        trace("restoring a state chunk of " + std::to_string(state->chunk.size()) + " bytes");
        plugin.setChunk(state->chunk);
    }
    PluginParameters parameters(plugin);
    for (const ParameterRequest& request : requests) {
        const ResolvedParameter resolved = resolveParameter(parameters, request);
        plugin.setParameter(resolved.index, resolved.normalised);
        trace(quote(request.text) + ": parameter " + std::to_string(resolved.index) + " set to " +
              std::to_string(resolved.normalised) + ", displays " +
              quote(plugin.parameterDisplay(resolved.index)));
    }

    AudioWriter writer(options.output, format, outputs, reader.sampleRate());
    std::optional<PendingFile> stateFile;
    if (!options.stateOut.empty()) stateFile.emplace(options.stateOut);

    trace("resume");
    plugin.resume();
    // The buffers and the output file are made for the counts read above.
    if (record.numInputs != inputs || record.numOutputs != outputs)
        throw Failure(what + " changed its channel counts when it was resumed");
    Progress progress(stderr, Progress::stderrIsTerminal(), "processing", reader.frames());
    const auto start = std::chrono::steady_clock::now();
    const LoopResult result =
        options.precision == 64
            ? runBlocks<double>(plugin, reader, writer, options.blockSize, progress)
            : runBlocks<float>(plugin, reader, writer, options.blockSize, progress);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    trace("suspend");
    plugin.suspend();

    if (stateFile) {
        const PluginState saved{identity, plugin.chunk()};
        trace("saving a state chunk of " + std::to_string(saved.chunk.size()) + " bytes");
        writeStateFile(*stateFile, saved);
    }
    writer.finish();
    if (stateFile) stateFile->commit();

    const double audioSeconds = static_cast<double>(result.frames) / reader.sampleRate();
    std::printf("plug-in     %s (%s)\n", identity.name.c_str(), fileName(options.plugin).c_str());
    std::printf("input       %s: %d channels, %d Hz, %.3f s, %s\n", options.input.c_str(),
                reader.channels(), reader.sampleRate(), audioSeconds,
                reader.formatDescription().c_str());
    std::printf("output      %s: %d channels, %s, %d-bit processing\n", options.output.c_str(),
                outputs, format.description, options.precision);
    if (record.numParams > 0) std::printf("\n%s", parameterTable(plugin).c_str());
    std::printf("\n%s\n", levelTable(result.before, result.after).c_str());
    const double pluginSeconds = plugin.processingSeconds();
    std::printf("time        %.3f s for %.3f s of audio (%.0fx real time); in the plug-in "
                "%.3f s (%.0f%%)\n",
                seconds, audioSeconds, seconds > 0 ? audioSeconds / seconds : 0.0, pluginSeconds,
                seconds > 0 ? 100.0 * pluginSeconds / seconds : 0.0);
    if (verbose) {
        const HostCallCounts& calls = plugin.hostCalls();
        note("calls from the plug-in: version " + std::to_string(calls.version) + ", want MIDI " +
             std::to_string(calls.wantMidi) + ", get time " + std::to_string(calls.getTime) +
             ", update display " + std::to_string(calls.updateDisplay) + ", automate " +
             std::to_string(calls.automate) + ", other " + std::to_string(calls.other));
    }
}

void runGen(const GenOptions& options) {
    writeTestSignal(options.output, options.signal);
    const TestSignal& signal = options.signal;
    std::printf("wrote %s: %d channels, %d Hz, %.3f s, %s\n", options.output.c_str(),
                signal.channels, signal.sampleRate, signal.seconds,
                outputFormatFor(options.output).description);
    std::printf("channel k carries a sine of 220*k Hz at %.0f dBFS\n", kTestSignalDb);
}

} // namespace plughost
