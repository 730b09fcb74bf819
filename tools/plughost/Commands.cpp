// SPDX-License-Identifier: MIT
#include "Commands.h"

#include "AudioFile.h"
#include "Failure.h"
#include "JsonWriter.h"
#include "LevelMeter.h"
#include "ParameterSetting.h"
#include "PluginHost.h"
#include "Progress.h"
#include "Resampler.h"
#include "StateFile.h"
#include "Subprocess.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
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
    std::string label(int index) override { return m_plugin.parameterLabel(index); }
    std::string display(int index) override { return m_plugin.parameterDisplay(index); }
    void set(int index, float normalised) override { m_plugin.setParameter(index, normalised); }

private:
    PluginHost& m_plugin;
};

// Refuses to write a file over another one the run reads (or writes), by whatever path, link or
// hard link the two are named.
void refuseToOverwrite(const std::string& written, const std::string& read) {
    if (written.empty() || read.empty()) return;
    std::error_code error; // a file that does not exist yet is no other file
    if (std::filesystem::equivalent(written, read, error))
        throw UsageError("will not write " + quote(written) + ": it is the same file as " +
                             quote(read) + ", which this run reads",
                         false);
}

// The plug-in's state as a state file keeps it: its chunk if it keeps one, else its parameter
// values. program: as a program file holds it (the current program's chunk and name).
PluginState currentState(PluginHost& plugin, const PluginIdentity& identity, bool program) {
    PluginState state;
    state.identity = identity;
    if (plugin.programsAreChunks()) {
        state.chunk = plugin.chunk(program);
    } else {
        state.kind = PluginState::Kind::Parameters;
        for (VstInt32 i = 0; i < identity.parameterCount; ++i)
            state.values.push_back(plugin.parameter(i));
    }
    if (program) state.programName = plugin.programName();
    return state;
}

template <typename Trace>
void restoreState(PluginHost& plugin, const PluginState& state, const Trace& trace) {
    if (state.kind == PluginState::Kind::Chunk) {
        trace("restoring a state chunk of " + std::to_string(state.chunk.size()) + " bytes");
        plugin.setChunk(state.chunk, state.program);
    } else {
        trace("restoring " + std::to_string(state.values.size()) + " parameter values");
        for (std::size_t i = 0; i < state.values.size(); ++i)
            plugin.setParameter(static_cast<VstInt32>(i), state.values[i]);
    }
    if (state.program) plugin.setProgramName(state.programName);
}

std::string channelCount(int channels) {
    return std::to_string(channels) + (channels == 1 ? " channel" : " channels");
}

std::string seconds3(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

std::string parameterTable(PluginHost& plugin) {
    std::string table = "index  name                      display           label     normalised\n";
    char line[256];
    for (VstInt32 i = 0; i < plugin.record().numParams; ++i) {
        std::snprintf(line, sizeof line, "%5d  %-25s %-17s %-9s %.6f\n", i,
                      plugin.parameterName(i).c_str(), plugin.parameterDisplay(i).c_str(),
                      plugin.parameterLabel(i).c_str(), static_cast<double>(plugin.parameter(i)));
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

constexpr std::array<const char*, 8> kCapabilities{
    "sendVstEvents",      "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
    "receiveVstTimeInfo", "offline",          "midiProgramNames", "bypass"};

const char* categoryName(VstIntPtr category);

std::string infoJson(PluginHost& plugin, const std::string& library, VstInt32 latency) {
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
    for (const char* capability : kCapabilities) {
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

// A parameter change during processing, at an input frame.
struct ParameterEvent {
    std::int64_t frame = 0;
    std::size_t stage = 0; // which plug-in of the chain
    VstInt32 index = 0;
    float normalised = 0.0f;
};

struct LoopSettings {
    int blockSize = 1024;
    std::int64_t latency = 0;     // frames the plug-in's output lags behind its input
    std::int64_t tailFrames = 0;  // silence processed after the input (fixed tail)
    bool tailAuto = false;        // tail until kQuietFrames frames stay below kQuietLevel
    std::int64_t tailCap = 0;     // longest automatic tail
    std::int64_t quietFrames = 0; // frames below kQuietLevel that end an automatic tail
    bool clip = false;            // the output holds no more than full scale
    std::vector<int> outputMap;   // file channel k carries plug-in output outputMap[k] (-1: none)
    std::vector<ParameterEvent> events; // by frame
};

// -120 dBFS: an automatic tail ends when every channel stays below it.
constexpr double kQuietLevel = 1e-6;

struct LoopResult {
    std::vector<LevelMeter> before;
    std::vector<LevelMeter> after;
    std::vector<std::int64_t> clipped; // samples clipped to full scale, per output
    std::int64_t frames = 0;           // input frames
    std::int64_t written = 0;          // output frames: the input's plus the tail
    bool latencyChanged = false;       // the plug-in announced another delay while running
};

// Reads IN block by block, hands the plug-in its inputs (file channels in order, silence where
// the file has none), then silence for the plug-in's delay and the tail. Output frame k is the
// plug-in's output frame k + latency, so that it lines up with input frame k. Both sides are
// metered, the output as it is written (clipped when the format must).
// The buffers of one plug-in in the chain.
template <typename Sample>
struct StageBuffers {
    StageBuffers(PluginHost& host, std::size_t block)
        : plugin(host),
          in(static_cast<std::size_t>(host.record().numInputs), std::vector<Sample>(block)),
          out(static_cast<std::size_t>(host.record().numOutputs), std::vector<Sample>(block)),
          // One place more than needed, so that a plug-in without inputs still gets an array.
          inPointers(in.size() + 1, nullptr), outPointers(out.size() + 1, nullptr) {
        for (std::size_t c = 0; c < in.size(); ++c)
            inPointers[c] = in[c].data();
        for (std::size_t c = 0; c < out.size(); ++c)
            outPointers[c] = out[c].data();
    }

    PluginHost& plugin;
    std::vector<std::vector<Sample>> in;
    std::vector<std::vector<Sample>> out;
    std::vector<Sample*> inPointers;
    std::vector<Sample*> outPointers;
};

template <typename Sample>
LoopResult runBlocks(const std::vector<PluginHost*>& chain, AudioSource& source,
                     AudioWriter& writer, const LoopSettings& settings, Progress& progress) {
    const auto block = static_cast<std::size_t>(settings.blockSize);
    const auto fileChannels = static_cast<std::size_t>(source.channels());
    std::vector<StageBuffers<Sample>> stages;
    stages.reserve(chain.size());
    for (PluginHost* plugin : chain)
        stages.emplace_back(*plugin, block);
    auto& in = stages.front().in;
    auto& out = stages.back().out;
    const std::size_t inputs = in.size();
    const std::size_t outputs = out.size();

    const std::vector<int>& map = settings.outputMap;
    const std::size_t written = map.size();
    std::vector<Sample> fileBlock(block * fileChannels);
    std::vector<Sample> outputBlock(block * written);
    std::vector<Sample> column(block);

    LoopResult result;
    result.before.resize(inputs);
    result.after.resize(written);
    result.clipped.resize(written);
    std::int64_t fed = 0; // frames given to the plug-in so far
    bool inputEnded = false;
    std::int64_t quiet = 0; // output frames after the input's end below kQuietLevel
    std::size_t nextEvent = 0;
    for (;;) {
        // Changes due now are made before the block; the block ends where the next is due.
        while (nextEvent < settings.events.size() && settings.events[nextEvent].frame <= fed) {
            const ParameterEvent& event = settings.events[nextEvent++];
            chain[event.stage]->setParameter(event.index, event.normalised);
        }
        std::int64_t limit = settings.blockSize;
        if (nextEvent < settings.events.size())
            limit = std::min(limit, settings.events[nextEvent].frame - fed);
        std::size_t frames = 0;
        if (!inputEnded) {
            frames = static_cast<std::size_t>(source.read(fileBlock.data(), limit));
            if (frames == 0) {
                inputEnded = true;
                result.frames = fed;
                continue;
            }
            for (std::size_t c = 0; c < inputs; ++c) {
                Sample* channel = in[c].data();
                if (c < fileChannels) {
                    for (std::size_t j = 0; j < frames; ++j)
                        channel[j] = fileBlock[j * fileChannels + c];
                } else {
                    // Refilled every block: a plug-in may have used its inputs as scratch space.
                    std::fill_n(channel, frames, Sample(0));
                }
                result.before[c].add(channel, frames);
            }
        } else {
            const std::int64_t end = result.frames + settings.latency +
                                     (settings.tailAuto ? settings.tailCap : settings.tailFrames);
            if (fed >= end || (settings.tailAuto && quiet >= settings.quietFrames)) break;
            frames = static_cast<std::size_t>(std::min(limit, end - fed));
            for (auto& channel : in)
                std::fill_n(channel.data(), frames, Sample(0));
        }
        for (std::size_t k = 0; k < stages.size(); ++k) {
            StageBuffers<Sample>& stage = stages[k];
            if (k > 0) {
                // The previous plug-in's outputs in order; silence where it has too few.
                const auto& previous = stages[k - 1].out;
                for (std::size_t c = 0; c < stage.in.size(); ++c) {
                    if (c < previous.size())
                        std::copy_n(previous[c].data(), frames, stage.in[c].data());
                    else
                        std::fill_n(stage.in[c].data(), frames, Sample(0));
                }
            }
            for (auto& channel : stage.out)
                std::fill_n(channel.data(), frames, Sample(0));
            stage.plugin.process(stage.inPointers.data(), stage.outPointers.data(),
                                 static_cast<VstInt32>(frames), fed);
            if (stage.plugin.latencyChanged()) result.latencyChanged = true;
        }

        // Frames the plug-in gives before its delay has passed belong to no input frame.
        const std::size_t skip =
            fed < settings.latency ? static_cast<std::size_t>(std::min<std::int64_t>(
                                         static_cast<std::int64_t>(frames), settings.latency - fed))
                                   : 0;
        const std::size_t kept = frames - skip;
        for (std::size_t k = 0; k < written; ++k) {
            if (map[k] < 0) {
                std::fill_n(column.data(), kept, Sample(0));
            } else {
                std::copy_n(out[static_cast<std::size_t>(map[k])].data() + skip, kept,
                            column.data());
            }
            if (settings.clip) {
                std::int64_t clipped = 0;
                for (std::size_t j = 0; j < kept; ++j) {
                    const Sample value = column[j];
                    if (value > Sample(1) || value < Sample(-1)) {
                        column[j] = value > Sample(0) ? Sample(1) : Sample(-1);
                        ++clipped;
                    }
                }
                result.clipped[k] += clipped;
            }
            result.after[k].add(column.data(), kept);
            for (std::size_t j = 0; j < kept; ++j)
                outputBlock[j * written + k] = column[j];
        }
        if (settings.tailAuto && inputEnded) {
            // Only the frames after the input's last one make up the tail.
            const std::int64_t first = fed + static_cast<std::int64_t>(skip) - settings.latency;
            for (std::size_t j = 0; j < kept; ++j) {
                if (first + static_cast<std::int64_t>(j) < result.frames) continue;
                bool loud = false;
                for (std::size_t c = 0; c < outputs && !loud; ++c)
                    loud = std::fabs(static_cast<double>(out[c][skip + j])) >= kQuietLevel;
                quiet = loud ? 0 : quiet + 1;
            }
        }
        writer.write(outputBlock.data(), static_cast<std::int64_t>(kept));
        result.written += static_cast<std::int64_t>(kept);
        fed += static_cast<std::int64_t>(frames);
        progress.update(fed);
    }
    progress.finish();
    return result;
}

std::string clippingWarning(const std::vector<std::int64_t>& clipped, const OutputFormat& format) {
    std::string counts;
    for (std::size_t c = 0; c < clipped.size(); ++c) {
        if (clipped[c] == 0) continue;
        counts += (counts.empty() ? "" : ", ") + std::to_string(clipped[c]) +
                  (counts.empty() ? (clipped[c] == 1 ? " sample" : " samples") : "") +
                  " in channel " + std::to_string(c + 1);
    }
    if (counts.empty()) return {};
    return "clipped " + counts + ": " + format.description +
           " holds nothing above 0 dBFS (lower the level or write a float file)";
}

// What happens to the file's channels that do not meet the plug-in's inputs one to one.
std::string channelMappingNote(const AudioReader& reader, const std::string& input, int inputs) {
    const int fileChannels = reader.channels();
    const auto range = [](int first, int last) {
        return first == last ? std::to_string(first)
                             : std::to_string(first) + " to " + std::to_string(last);
    };
    if (fileChannels > inputs)
        return quote(input) + " has " + std::to_string(fileChannels) +
               " channels and the plug-in takes " + std::to_string(inputs) + ": file channel" +
               (fileChannels - inputs > 1 ? "s " : " ") + range(inputs + 1, fileChannels) +
               (fileChannels - inputs > 1 ? " are" : " is") + " dropped";
    if (fileChannels < inputs)
        return quote(input) + " has " + std::to_string(fileChannels) + " channel" +
               (fileChannels > 1 ? "s" : "") + " and the plug-in takes " + std::to_string(inputs) +
               ": input" + (inputs - fileChannels > 1 ? "s " : " ") +
               range(fileChannels + 1, inputs) +
               (inputs - fileChannels > 1 ? " get silence" : " gets silence");
    return {};
}

} // namespace

// ---------------------------------------------------------------------------------------------

void runInfo(const InfoOptions& options) {
    PluginHost plugin(options.plugin);
    plugin.open(kInfoSampleRate, kInfoBlockSize);
    // Plug-ins fill in their delay when resumed; before that it often reads 0.
    plugin.resume();
    const VstInt32 latency = plugin.latency();
    plugin.suspend();
    const AEffect& record = plugin.record();
    if (options.json) {
        std::fputs(infoJson(plugin, options.plugin, latency).c_str(), stdout);
        return;
    }
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
    std::printf("latency         %d frames (at %.0f Hz; process runs the plug-in at the input "
                "file's rate, or at --rate)\n",
                latency, kInfoSampleRate);
    std::printf("flags           0x%08X: %s\n", static_cast<unsigned>(record.flags),
                flagWords(record.flags).c_str());
    std::printf("can do\n");
    for (const char* capability : kCapabilities) {
        const VstIntPtr answer = plugin.canDo(capability);
        std::printf("  %-22s %s\n", capability,
                    answer > 0   ? "yes"
                    : answer < 0 ? "no"
                                 : "does not say");
    }
    std::printf("parameters      %d\n", record.numParams);
    if (record.numParams > 0) std::printf("%s", parameterTable(plugin).c_str());
}

namespace {

void processOne(const ProcessOptions& options) {
    std::vector<std::string> warnings; // also for the JSON report
    const auto warn = [&warnings](const std::string& text) {
        note(text);
        warnings.push_back(text);
    };
    // Everything that can be checked without the plug-in is checked first.
    OutputFormat format;
    if (!options.keepFormat)
        format = chooseOutputFormat(options.output, options.format, options.bits);
    for (const std::string* written : {&options.output, &options.stateOut, &options.jsonOut})
        for (const std::string* read :
             {&options.input, &options.stateIn, &options.plugin, &options.automation})
            refuseToOverwrite(*written, *read);
    refuseToOverwrite(options.stateOut, options.output);
    refuseToOverwrite(options.jsonOut, options.output);
    refuseToOverwrite(options.jsonOut, options.stateOut);
    std::vector<ParameterRequest> requests;
    for (const std::string& setting : options.parameters)
        requests.push_back(parseParameterSetting(setting));
    if (!options.automation.empty()) {
        std::ifstream file(options.automation, std::ios::binary);
        if (!file)
            throw Failure("cannot read automation file " + quote(options.automation) + ": " +
                          std::strerror(errno));
        const std::string text((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
        for (ParameterRequest& request : parseAutomation(text, options.automation))
            requests.push_back(std::move(request));
    }
    std::vector<std::vector<ParameterRequest>> laterRequests;
    for (const ChainStage& stage : options.chain) {
        laterRequests.emplace_back();
        for (const std::string& setting : stage.parameters)
            laterRequests.back().push_back(parseParameterSetting(setting));
    }
    std::optional<PluginState> state;
    if (!options.stateIn.empty()) state = readStateFile(options.stateIn);
    AudioReader reader(options.input);
    if (options.keepFormat) format = reader.format();
    // The plug-in runs at runRate; an input at another rate is converted on its way in.
    const int fileRate = reader.sampleRate();
    const int runRate = options.rate != 0 ? options.rate : fileRate;
    std::optional<Resampler> resampler;
    if (runRate != fileRate) {
        if (!options.resample)
            throw Failure(quote(options.input) + " is at " + std::to_string(fileRate) +
                          " Hz, not the " + std::to_string(runRate) +
                          " Hz that --rate asks for; give --resample to convert it");
        resampler.emplace(reader, fileRate, runRate);
    }
    AudioSource& source = resampler ? static_cast<AudioSource&>(*resampler) : reader;

    // The chain: the first plug-in, then those given with -P, each checked once loaded.
    std::vector<std::unique_ptr<PluginHost>> hosts;
    std::vector<std::string> paths{options.plugin};
    for (const ChainStage& stage : options.chain)
        paths.push_back(stage.plugin);
    for (const std::string& path : paths) {
        hosts.push_back(std::make_unique<PluginHost>(path));
        PluginHost& loaded = *hosts.back();
        const std::string name = "plug-in " + quote(path);
        if (options.precision == 64 && !loaded.canDoubleReplacing())
            throw Failure(name + " offers no 64-bit processing; use --precision 32");
        if (options.precision == 32 && !loaded.canReplacing())
            throw Failure(name + " offers no 32-bit replacing processing");
        if (loaded.record().numOutputs == 0) throw Failure(name + " has no outputs");
    }
    std::vector<PluginHost*> chain;
    chain.reserve(hosts.size());
    for (const auto& host : hosts)
        chain.push_back(host.get());
    PluginHost& plugin = *hosts.front();
    PluginHost& last = *hosts.back();
    const AEffect& record = plugin.record();
    const std::string what = "plug-in " + quote(options.plugin);
    if (state && state->kind == PluginState::Kind::Chunk && !plugin.programsAreChunks())
        throw Failure("state file " + quote(options.stateIn) + " holds a state chunk and " + what +
                      " keeps none");
    const PluginIdentity identity{record.uniqueID, record.version, record.numParams,
                                  plugin.effectName()};
    if (state) {
        std::string warning;
        checkStateBelongsTo(*state, identity, options.stateIn, warning);
        if (!warning.empty()) warn(warning);
    }
    const VstInt32 inputs = record.numInputs;
    const VstInt32 pluginOutputs = last.record().numOutputs;
    const std::string lastWhat = "plug-in " + quote(paths.back());
    std::vector<int> outputMap = options.outputMap;
    if (outputMap.empty())
        for (int c = 0; c < pluginOutputs; ++c)
            outputMap.push_back(c);
    for (const int c : outputMap)
        if (c >= pluginOutputs)
            throw UsageError("output channel " + std::to_string(c + 1) + " does not exist: " +
                                 lastWhat + " has " + channelCount(pluginOutputs) + " of output",
                             false);
    const auto outputs = static_cast<int>(outputMap.size());
    const std::string mapping = channelMappingNote(reader, options.input, inputs);
    if (!mapping.empty()) warn(mapping);
    for (std::size_t k = 1; k < chain.size(); ++k) {
        const int given = chain[k - 1]->record().numOutputs;
        const int taken = chain[k]->record().numInputs;
        if (given != taken)
            warn("plug-in " + std::to_string(k) + " of the chain gives " + channelCount(given) +
                 " and plug-in " + std::to_string(k + 1) + " takes " + std::to_string(taken) +
                 (given > taken ? ": the extra outputs are dropped"
                                : ": the inputs beyond get silence"));
    }

    const bool verbose = options.verbose;
    const auto trace = [verbose](const std::string& text) {
        if (verbose) note(text);
    };
    if (resampler)
        trace("converting " + std::to_string(fileRate) + " Hz to " + std::to_string(runRate) +
              " Hz with " + rateConverterName());
    trace("open, sample rate " + std::to_string(runRate) + " Hz, block size " +
          std::to_string(options.blockSize));
    for (PluginHost* host : chain)
        host->open(runRate, options.blockSize);
    if (state) restoreState(plugin, *state, trace);
    std::vector<ResolvedParameter> settingsMade;
    std::vector<const ParameterRequest*> settingsAsked;
    std::vector<ParameterEvent> events;
    for (std::size_t stage = 0; stage < chain.size(); ++stage) {
        PluginHost& host = *chain[stage];
        PluginParameters parameters(host);
        for (const ParameterRequest& request : stage == 0 ? requests : laterRequests[stage - 1]) {
            settingsAsked.push_back(&request);
            if (request.seconds) {
                // Found now, made during processing: the parameter keeps its value until then.
                const int index = findParameter(parameters, request.target);
                const float before = host.parameter(index);
                const ResolvedParameter resolved = resolveParameter(parameters, request);
                host.setParameter(index, before);
                settingsMade.push_back(resolved);
                events.push_back(
                    {std::llround(*request.seconds * runRate), stage, index, resolved.normalised});
                trace(quote(request.text) + ": parameter " + std::to_string(index) +
                      " changes to " + std::to_string(resolved.normalised) + " at frame " +
                      std::to_string(events.back().frame));
                continue;
            }
            const ResolvedParameter resolved = resolveParameter(parameters, request);
            host.setParameter(resolved.index, resolved.normalised);
            settingsMade.push_back(resolved);
            trace(quote(request.text) + ": parameter " + std::to_string(resolved.index) +
                  " set to " + std::to_string(resolved.normalised) + ", displays " +
                  quote(host.parameterDisplay(resolved.index)));
        }
    }

    AudioWriter writer(options.output, format, outputs, runRate, options.force,
                       Dither{options.dither, options.ditherSeed});
    std::optional<PendingFile> stateFile;
    if (!options.stateOut.empty()) stateFile.emplace(options.stateOut, options.force);
    std::optional<PendingFile> jsonFile;
    if (!options.jsonOut.empty()) jsonFile.emplace(options.jsonOut, options.force);

    trace("resume");
    std::vector<std::pair<VstInt32, VstInt32>> counts;
    counts.reserve(chain.size());
    for (PluginHost* host : chain)
        counts.emplace_back(host->record().numInputs, host->record().numOutputs);
    LoopSettings settings;
    std::vector<VstInt32> latencies;
    for (std::size_t k = 0; k < chain.size(); ++k) {
        PluginHost& host = *chain[k];
        host.resume();
        // The buffers and the output file are made for the counts read above.
        if (counts[k] != std::pair(host.record().numInputs, host.record().numOutputs))
            throw Failure("plug-in " + quote(paths[k]) +
                          " changed its channel counts when it was resumed");
        host.latencyChanged(); // the delay is read now, after any change announced so far
        latencies.push_back(host.latency());
        settings.latency += host.latency();
    }
    settings.blockSize = options.blockSize;
    const double rate = runRate;
    settings.tailFrames = std::llround(options.tailSeconds * rate);
    settings.tailAuto = options.tailAuto;
    settings.tailCap = std::llround(kMaxAutoTailSeconds * rate);
    settings.quietFrames = std::llround(rate);
    settings.clip = format.integer();
    settings.outputMap = outputMap;
    std::stable_sort(
        events.begin(), events.end(),
        [](const ParameterEvent& a, const ParameterEvent& b) { return a.frame < b.frame; });
    settings.events = events;
    trace("latency " + std::to_string(settings.latency) + " frames");
    Progress progress(
        stderr, Progress::stderrIsTerminal(), "processing",
        (resampler ? resampledLength(reader.frames(), fileRate, runRate) : reader.frames()) +
            settings.latency + settings.tailFrames);
    const auto start = std::chrono::steady_clock::now();
    const LoopResult result = options.precision == 64
                                  ? runBlocks<double>(chain, source, writer, settings, progress)
                                  : runBlocks<float>(chain, source, writer, settings, progress);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    trace("suspend");
    for (PluginHost* host : chain)
        host->suspend();
    if (result.latencyChanged)
        warn("the plug-in announced a new delay while processing; the output is aligned by "
             "the delay it had when processing started (" +
             std::to_string(settings.latency) + " frames)");
    // Frames of the file itself, at its own rate.
    const std::int64_t fileFrames = resampler ? resampler->inputFrames() : result.frames;
    const std::int64_t announced = std::max(reader.frames(), reader.announcedFrames());
    if (announced > fileFrames)
        warn("warning: " + quote(options.input) + " is truncated: its header announces " +
             std::to_string(announced) + " frames (" +
             seconds3(static_cast<double>(announced) / fileRate) + " s), it holds " +
             std::to_string(fileFrames) + " (" +
             seconds3(static_cast<double>(fileFrames) / fileRate) + " s), which were processed");
    const std::string clipping = clippingWarning(result.clipped, format);
    if (!clipping.empty()) warn("warning: " + clipping);

    if (stateFile) {
        const bool program = isProgramFileName(options.stateOut);
        const PluginState saved = currentState(plugin, identity, program);
        trace(saved.kind == PluginState::Kind::Chunk
                  ? "saving a state chunk of " + std::to_string(saved.chunk.size()) + " bytes"
                  : "saving " + std::to_string(saved.values.size()) + " parameter values");
        writeStateFile(*stateFile, saved, program);
    }
    const double audioSeconds = static_cast<double>(result.frames) / rate;
    const double writtenSeconds = static_cast<double>(result.written) / rate;
    double pluginSeconds = 0.0;
    for (PluginHost* host : chain)
        pluginSeconds += host->processingSeconds();
    if (jsonFile) {
        JsonWriter json;
        json.beginObject();
        json.key("plugin").beginObject();
        json.key("library").value(options.plugin);
        json.key("name").value(identity.name);
        json.key("uniqueId").value(identity.uniqueId);
        json.key("version").value(identity.version);
        json.key("latency").value(static_cast<std::int64_t>(latencies.front()));
        json.key("sampleRate").value(runRate);
        json.endObject();
        json.key("chain").beginArray();
        for (std::size_t k = 0; k < chain.size(); ++k) {
            json.beginObject();
            json.key("library").value(paths[k]);
            json.key("name").value(chain[k]->effectName());
            json.key("latency").value(latencies[k]);
            json.endObject();
        }
        json.endArray();
        json.key("latency").value(static_cast<std::int64_t>(settings.latency));
        json.key("input").beginObject();
        json.key("path").value(options.input);
        json.key("channels").value(reader.channels());
        json.key("sampleRate").value(fileRate);
        json.key("frames").value(fileFrames);
        json.key("format").value(reader.formatDescription());
        json.endObject();
        json.key("output").beginObject();
        json.key("path").value(options.output);
        json.key("channels").value(outputs);
        json.key("sampleRate").value(runRate);
        json.key("frames").value(result.written);
        json.key("tailFrames").value(result.written - result.frames);
        json.key("format").value(format.description);
        json.key("dither").value(format.integer() ? (options.dither ? "tpdf" : "none") : "");
        json.key("map").beginArray();
        for (const int c : outputMap)
            json.value(c + 1);
        json.endArray();
        json.endObject();
        json.key("resampled").value(resampler.has_value());
        json.key("resampler");
        if (resampler)
            json.value(rateConverterName());
        else
            json.null();
        json.key("settings").beginObject();
        json.key("block").value(options.blockSize);
        json.key("precision").value(options.precision);
        json.key("state").value(options.stateIn);
        json.key("parameters").beginArray();
        for (std::size_t i = 0; i < settingsMade.size(); ++i) {
            json.beginObject();
            json.key("setting").value(settingsAsked[i]->text);
            json.key("index").value(settingsMade[i].index);
            json.key("normalised").value(static_cast<double>(settingsMade[i].normalised));
            json.key("seconds");
            if (settingsAsked[i]->seconds)
                json.value(*settingsAsked[i]->seconds);
            else
                json.null();
            json.endObject();
        }
        json.endArray();
        json.endObject();
        json.key("parameters").beginArray();
        for (std::size_t k = 0; k < chain.size(); ++k) {
            PluginHost& host = *chain[k];
            for (VstInt32 i = 0; i < host.record().numParams; ++i) {
                json.beginObject();
                json.key("plugin").value(static_cast<std::int64_t>(k + 1));
                json.key("index").value(i);
                json.key("name").value(host.parameterName(i));
                json.key("display").value(host.parameterDisplay(i));
                json.key("label").value(host.parameterLabel(i));
                json.key("normalised").value(static_cast<double>(host.parameter(i)));
                json.endObject();
            }
        }
        json.endArray();
        json.key("levels").beginArray();
        for (std::size_t c = 0; c < std::max(result.before.size(), result.after.size()); ++c) {
            json.beginObject();
            json.key("channel").value(static_cast<std::int64_t>(c + 1));
            const auto side = [&](const char* name, const std::vector<LevelMeter>& meters) {
                json.key(name);
                if (c >= meters.size()) {
                    json.null();
                    return;
                }
                json.beginObject();
                json.key("peakDb").value(meters[c].peakDb());
                json.key("rmsDb").value(meters[c].rmsDb());
                json.endObject();
            };
            side("input", result.before);
            side("output", result.after);
            json.key("clipped").value(c < result.clipped.size() ? result.clipped[c] : 0);
            json.endObject();
        }
        json.endArray();
        json.key("warnings").beginArray();
        for (const std::string& warning : warnings)
            json.value(warning);
        json.endArray();
        json.key("timing").beginObject();
        json.key("seconds").value(seconds);
        json.key("audioSeconds").value(writtenSeconds);
        json.key("pluginSeconds").value(pluginSeconds);
        json.endObject();
        json.endObject();
        const std::string text = json.text();
        jsonFile->writeBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    }
    writer.finish();
    if (stateFile) stateFile->commit();
    if (jsonFile) jsonFile->commit();

    for (std::size_t k = 0; k < chain.size(); ++k)
        std::printf("plug-in     %s (%s), running at %d Hz, latency %d frames\n",
                    chain[k]->effectName().c_str(), fileName(paths[k]).c_str(), runRate,
                    latencies[k]);
    if (chain.size() > 1)
        std::printf("chain       %zu plug-ins, latency %lld frames in all\n", chain.size(),
                    static_cast<long long>(settings.latency));
    std::printf("input       %s: %s, %d Hz, %.3f s, %s\n", options.input.c_str(),
                channelCount(reader.channels()).c_str(), fileRate,
                static_cast<double>(fileFrames) / fileRate, reader.formatDescription().c_str());
    if (resampler)
        std::printf("resampled   %d Hz to %d Hz, %lld frames to %lld, with %s\n", fileRate, runRate,
                    static_cast<long long>(fileFrames), static_cast<long long>(result.frames),
                    rateConverterName().c_str());
    std::printf("output      %s: %s, %s, %d-bit processing, %.3f s", options.output.c_str(),
                channelCount(outputs).c_str(), format.description.c_str(), options.precision,
                writtenSeconds);
    if (result.written > result.frames)
        std::printf(" (tail %.3f s)", writtenSeconds - audioSeconds);
    std::printf("\n");
    for (std::size_t k = 0; k < chain.size(); ++k) {
        if (chain[k]->record().numParams == 0) continue;
        if (chain.size() > 1) std::printf("\nplug-in %zu, %s", k + 1, fileName(paths[k]).c_str());
        std::printf("\n%s", parameterTable(*chain[k]).c_str());
    }
    std::printf("\n%s\n", levelTable(result.before, result.after).c_str());
    std::printf("time        %.3f s for %.3f s of audio", seconds, writtenSeconds);
    if (writtenSeconds > 0 && seconds > 0)
        std::printf(" (%.0fx real time); in the plug-in %.3f s (%.0f%%)", writtenSeconds / seconds,
                    pluginSeconds, 100.0 * pluginSeconds / seconds);
    std::printf("\n");
    if (verbose) {
        const HostCallCounts& calls = plugin.hostCalls();
        note("calls from the plug-in: version " + std::to_string(calls.version) + ", want MIDI " +
             std::to_string(calls.wantMidi) + ", get time " + std::to_string(calls.getTime) +
             ", update display " + std::to_string(calls.updateDisplay) + ", automate " +
             std::to_string(calls.automate) + ", other " + std::to_string(calls.other));
    }
}

// The output name of one file of a batch: its name in the output folder, with the extension
// of the format asked for, else its own when plughost writes that format, else .wav.
std::string batchOutput(const ProcessOptions& options, const std::string& input) {
    namespace fs = std::filesystem;
    std::string extension = fs::path(input).extension().string();
    std::string lower = extension;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (!options.format.empty())
        extension = "." + options.format;
    else if (!options.keepFormat && lower != ".wav" && lower != ".aif" && lower != ".aiff" &&
             lower != ".flac")
        extension = ".wav";
    return (fs::path(options.outDir) / fs::path(input).stem()).string() + extension;
}

// The text a failed run printed, without the program's name in front.
std::string failureText(const std::string& errorText, int exitCode) {
    std::string last;
    std::size_t start = 0;
    while (start < errorText.size()) {
        const std::size_t end = std::min(errorText.find('\n', start), errorText.size());
        if (end > start) last = errorText.substr(start, end - start);
        start = end + 1;
    }
    if (last.rfind("plughost: ", 0) == 0) last.erase(0, 10);
    return last.empty() ? "ended with status " + std::to_string(exitCode) : last;
}

void runBatch(const ProcessOptions& options) {
    std::vector<std::string> inputs;
    for (const std::string& pattern : options.inputs)
        for (std::string& name : expandPattern(pattern))
            inputs.push_back(std::move(name));
    std::vector<std::string> outputs;
    std::map<std::string, std::string> byOutput;
    for (const std::string& input : inputs) {
        outputs.push_back(batchOutput(options, input));
        const auto [other, fresh] = byOutput.emplace(outputs.back(), input);
        if (!fresh)
            throw UsageError(quote(input) + " and " + quote(other->second) +
                                 " would both be written to " + quote(outputs.back()),
                             false);
    }
    std::error_code error;
    std::filesystem::create_directories(options.outDir, error);
    if (!std::filesystem::is_directory(options.outDir))
        throw Failure("cannot write to " + quote(options.outDir) + ": " +
                      (error ? error.message() : "it is not a folder"));

    std::vector<std::vector<std::string>> runs;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        std::vector<std::string> run{"process"};
        run.insert(run.end(), options.perFileArgs.begin(), options.perFileArgs.end());
        run.insert(run.end(), {"-i", inputs[i], "-o", outputs[i]});
        runs.push_back(std::move(run));
    }
    const int jobs = options.jobs > 0 ? options.jobs : processorCount();
    std::size_t failed = 0;
    const auto start = std::chrono::steady_clock::now();
    runChildren(runs, jobs, [&](std::size_t index, const ChildResult& result) {
        if (result.exitCode == 0) {
            const std::string notes = result.errorText;
            const auto warnings =
                static_cast<std::size_t>(std::count(notes.begin(), notes.end(), '\n'));
            std::printf("done    %s -> %s%s\n", inputs[index].c_str(), outputs[index].c_str(),
                        warnings == 0 ? ""
                                      : (" (" + std::to_string(warnings) +
                                         (warnings == 1 ? " note)" : " notes)"))
                                            .c_str());
        } else {
            ++failed;
            std::printf("FAILED  %s: %s\n", inputs[index].c_str(),
                        failureText(result.errorText, result.exitCode).c_str());
        }
        std::fflush(stdout);
    });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("total   %zu files, %zu done, %zu failed, %.3f s with %d job%s (%.2f files a "
                "second)\n",
                inputs.size(), inputs.size() - failed, failed, seconds, jobs, jobs == 1 ? "" : "s",
                seconds > 0 ? static_cast<double>(inputs.size()) / seconds : 0.0);
    if (failed > 0)
        throw Failure(std::to_string(failed) + " of " + std::to_string(inputs.size()) +
                      (inputs.size() == 1 ? " file" : " files") + " failed");
}

} // namespace

void runProcess(const ProcessOptions& options) {
    if (isBatch(options))
        runBatch(options);
    else
        processOne(options);
}

void runGen(const GenOptions& options) {
    writeTestSignal(options.output, options.signal);
    const TestSignal& signal = options.signal;
    std::printf("wrote %s: %d channels, %d Hz, %.3f s, %s\n", options.output.c_str(),
                signal.channels, signal.sampleRate, signal.seconds,
                outputFormatFor(options.output).description.c_str());
    std::printf("channel k carries a sine of 220*k Hz at %.0f dBFS\n", kTestSignalDb);
}

} // namespace plughost
