// SPDX-License-Identifier: MIT
// `plughost process` on one input: its steps in the order a run takes them. Everything that can
// be checked without the plug-ins is checked before they load; nothing is written until the
// run has succeeded; the outputs appear together at the end.
#include "Commands.h"

#include "OutputFiles.h"
#include "ProcessRun.h"
#include "core/Latency.h"
#include "os/PendingFile.h"
#include "os/Terminal.h"
#include "report/PluginTexts.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace plughost {

void runBatch(const ProcessOptions& options);

namespace {

// ---------------------------------------------------------------------------------------------
// Check: the files, and the settings that need no plug-in

// The run's outputs against the files it reads and against each other.
void checkOutputs(const ProcessOptions& options) {
    std::vector<std::pair<std::string, std::string>> written{{options.output, "-o"},
                                                             {options.jsonOut, "--json"}};
    std::vector<std::string> read{options.input};
    for (const StageOptions& stage : options.chain) {
        written.emplace_back(stage.stateOut, "--save-state");
        read.insert(read.end(), {stage.plugin, stage.stateIn, stage.automation});
    }
    checkOutputsAreOwn(written, read);
}

std::string readTextFile(const std::string& path, const char* what) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw Failure("cannot read " + std::string(what) + " " + quote(path) + ": " +
                      std::strerror(errno));
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Each plug-in's settings, automation and state file, read before any plug-in loads.
std::vector<Stage> readStageSettings(const ProcessOptions& options) {
    std::vector<Stage> chain(options.chain.size());
    for (std::size_t k = 0; k < chain.size(); ++k) {
        Stage& stage = chain[k];
        stage.options = options.chain[k];
        for (const std::string& setting : stage.options.parameters)
            stage.requests.push_back(parseParameterSetting(setting));
        if (!stage.options.automation.empty()) {
            const std::string text = readTextFile(stage.options.automation, "automation file");
            for (ParameterRequest& request : parseAutomation(text, stage.options.automation))
                stage.requests.push_back(std::move(request));
        }
        if (!stage.options.stateIn.empty()) stage.state = readStateFile(stage.options.stateIn);
    }
    return chain;
}

// The input, converted to the rate the plug-ins run at where it is at another.
RunInput openInput(const ProcessOptions& options) {
    RunInput input;
    input.reader = std::make_unique<AudioReader>(options.input);
    input.fileRate = input.reader->sampleRate();
    input.runRate = options.rate != 0 ? options.rate : input.fileRate;
    if (input.runRate != input.fileRate) {
        if (!options.resample)
            throw Failure(quote(options.input) + " is at " + std::to_string(input.fileRate) +
                          " Hz, not the " + std::to_string(input.runRate) +
                          " Hz that --rate asks for; give --resample to convert it");
        input.resampler = std::make_unique<Resampler>(*input.reader, input.fileRate, input.runRate);
    }
    return input;
}

// ---------------------------------------------------------------------------------------------
// Load: the plug-ins, each checked for what the run asks of it

void loadChain(std::vector<Stage>& chain, const ProcessOptions& options, double rate,
               RunNotes& notes) {
    for (Stage& stage : chain) {
        stage.library = std::make_unique<PluginLibrary>(stage.options.plugin);
        stage.plugin = std::make_unique<Plugin>(*stage.library, rate, options.blockSize);
        const Plugin& plugin = *stage.plugin;
        const std::string name = "plug-in " + quote(stage.options.plugin);
        if (options.precision == 64 && !plugin.canDoubleReplacing())
            throw Failure(name + " offers no 64-bit processing; use --precision 32");
        if (options.precision == 32 && !plugin.canReplacing())
            throw Failure(name + " offers no 32-bit replacing processing");
        if (plugin.outputs() == 0) throw Failure(name + " has no outputs");
        if (stage.state) {
            const std::string warning =
                checkStateFits(*stage.plugin, *stage.state, stage.options.stateIn);
            if (!warning.empty()) notes.warn(warning);
        }
    }
}

// What happens to the file's channels that do not meet the plug-in's inputs one to one.
std::string channelMappingNote(int fileChannels, const std::string& input, int inputs) {
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
        return quote(input) + " has " + channelCount(fileChannels) + " and the plug-in takes " +
               std::to_string(inputs) + ": input" + (inputs - fileChannels > 1 ? "s " : " ") +
               range(fileChannels + 1, inputs) +
               (inputs - fileChannels > 1 ? " get silence" : " gets silence");
    return {};
}

// The output file's channels, and notes on how the channels meet on their way.
std::vector<int> planChannels(const std::vector<Stage>& chain, const ProcessOptions& options,
                              int fileChannels, RunNotes& notes) {
    const int outputs = chain.back().plugin->outputs();
    std::vector<int> map = options.outputMap;
    if (map.empty())
        for (int c = 0; c < outputs; ++c)
            map.push_back(c);
    for (const int c : map)
        if (c >= outputs)
            throw UsageError("output channel " + std::to_string(c + 1) + " does not exist: " +
                                 "plug-in " + quote(chain.back().options.plugin) + " has " +
                                 channelCount(outputs) + " of output",
                             "");
    const std::string mapping =
        channelMappingNote(fileChannels, options.input, chain.front().plugin->inputs());
    if (!mapping.empty()) notes.note(mapping);
    for (std::size_t k = 1; k < chain.size(); ++k) {
        const int given = chain[k - 1].plugin->outputs();
        const int taken = chain[k].plugin->inputs();
        if (given != taken)
            notes.note("plug-in " + std::to_string(k) + " of the chain gives " +
                       channelCount(given) + " and plug-in " + std::to_string(k + 1) + " takes " +
                       std::to_string(taken) +
                       (given > taken ? ": the extra outputs are dropped"
                                      : ": the inputs beyond get silence"));
    }
    return map;
}

// ---------------------------------------------------------------------------------------------
// Prepare: opened, states restored, parameters set, changes during the run scheduled

std::vector<ParameterEvent> applySettings(Stage& stage, std::size_t index, int rate,
                                          const RunNotes& notes) {
    Plugin& plugin = *stage.plugin;
    PluginParameters parameters(plugin);
    std::vector<ParameterEvent> events;
    for (const ParameterRequest& request : stage.requests) {
        if (request.seconds) {
            // Found now, made during processing: the parameter keeps its value until then.
            const int at = findParameter(parameters, request.target);
            const float before = plugin.parameter(at);
            stage.made.push_back(resolveParameter(parameters, request));
            plugin.setParameter(at, before);
            events.push_back(
                {std::llround(*request.seconds * rate), index, at, stage.made.back().normalised});
            notes.trace(quote(request.text) + ": parameter " + std::to_string(at) + " changes to " +
                        std::to_string(events.back().normalised) + " at frame " +
                        std::to_string(events.back().frame));
            continue;
        }
        stage.made.push_back(resolveParameter(parameters, request));
        const ResolvedParameter& made = stage.made.back();
        plugin.setParameter(made.index, made.normalised);
        notes.trace(quote(request.text) + ": parameter " + std::to_string(made.index) + " set to " +
                    std::to_string(made.normalised) + ", displays " +
                    quote(plugin.parameterDisplay(made.index)));
    }
    return events;
}

std::vector<ParameterEvent> prepareChain(std::vector<Stage>& chain, const ProcessOptions& options,
                                         int rate, const RunNotes& notes) {
    notes.trace("open, sample rate " + std::to_string(rate) + " Hz, block size " +
                std::to_string(options.blockSize));
    std::vector<ParameterEvent> events;
    for (std::size_t k = 0; k < chain.size(); ++k) {
        Stage& stage = chain[k];
        stage.plugin->open(rate, options.blockSize);
        if (stage.state) {
            notes.trace("restoring " + quote(stage.options.stateIn));
            restoreState(*stage.plugin, *stage.state);
        }
        const std::vector<ParameterEvent> due = applySettings(stage, k, rate, notes);
        events.insert(events.end(), due.begin(), due.end());
    }
    std::stable_sort(
        events.begin(), events.end(),
        [](const ParameterEvent& a, const ParameterEvent& b) { return a.frame < b.frame; });
    return events;
}

// Resumed and warmed up (core/Latency.h); answers each plug-in's delay to follow.
std::vector<DelayFollower> startChain(std::vector<Stage>& chain, const ProcessOptions& options,
                                      const RunNotes& notes) {
    std::vector<DelayFollower> delays;
    for (Stage& stage : chain) {
        Plugin& plugin = *stage.plugin;
        const std::pair counts{plugin.inputs(), plugin.outputs()};
        plugin.resume();
        stage.latency = warmUp(plugin, options.blockSize, options.precision == 64);
        // The buffers and the output file are made for the counts read when it loaded.
        if (counts != std::pair(plugin.inputs(), plugin.outputs()))
            throw Failure("plug-in " + quote(stage.options.plugin) +
                          " changed its channel counts when it was resumed");
        notes.trace("warmed up " + quote(stage.options.plugin) + ": delay " +
                    std::to_string(stage.latency) + " frames");
        delays.emplace_back(stage.latency, plugin.reportedDelay());
    }
    return delays;
}

// ---------------------------------------------------------------------------------------------
// Finish: what the output holds that was not asked for, and the files

// "3 samples in channel 1, 2 in channel 4"; empty when every count is 0.
std::string samplesPerChannel(const std::vector<std::int64_t>& counts) {
    std::string text;
    for (std::size_t c = 0; c < counts.size(); ++c) {
        if (counts[c] == 0) continue;
        const char* unit = !text.empty() ? "" : counts[c] == 1 ? " sample" : " samples";
        text += (text.empty() ? "" : ", ") + std::to_string(counts[c]) + unit + " in channel " +
                std::to_string(c + 1);
    }
    return text;
}

void warnAboutOutput(const RunRecord& run, RunNotes& notes) {
    const std::string clipped = samplesPerChannel(run.result.clipped);
    if (!clipped.empty())
        notes.warn("clipped " + clipped + ": " + run.format.description +
                   " holds nothing above 0 dBFS (lower the level or write a float file)");
    const std::string nonFinite = samplesPerChannel(run.result.nonFinite);
    if (!nonFinite.empty())
        notes.warn("the plug-in gave NaN or infinite output: " + nonFinite +
                   (run.format.integer() ? ", written as 0" : ""));
    for (const DelayChange& change : run.result.delayChanges)
        notes.warn("plug-in " + quote(run.chain[change.stage].options.plugin) +
                   (run.chain.size() > 1
                        ? " (" + std::to_string(change.stage + 1) + " of the chain)"
                        : "") +
                   " changed its delay from " + std::to_string(change.from) + " to " +
                   std::to_string(change.to) + " frames during the run, at input frame " +
                   std::to_string(change.frame) + "; the output follows it from there" +
                   (change.silenced > 0 ? ", with " + std::to_string(change.silenced) +
                                              " frames of silence where the plug-in skipped input"
                                        : ""));
    const AudioReader& reader = *run.input.reader;
    const std::int64_t fileFrames = run.input.fileFrames(run.result);
    const std::int64_t announced = std::max(reader.frames(), reader.announcedFrames());
    const double rate = run.input.fileRate;
    if (announced > fileFrames)
        notes.warn(quote(run.options.input) + " is truncated: its header announces " +
                   std::to_string(announced) + " frames (" +
                   seconds3(static_cast<double>(announced) / rate) + " s), it holds " +
                   std::to_string(fileFrames) + " (" +
                   seconds3(static_cast<double>(fileFrames) / rate) + " s), which were processed");
}

// The state files asked for, filled from the plug-ins as they are after the run.
std::vector<std::unique_ptr<PendingFile>> startStateFiles(const std::vector<Stage>& chain,
                                                          bool force) {
    std::vector<std::unique_ptr<PendingFile>> files;
    files.reserve(chain.size());
    for (const Stage& stage : chain)
        files.push_back(stage.options.stateOut.empty()
                            ? nullptr
                            : std::make_unique<PendingFile>(stage.options.stateOut, force));
    return files;
}

void saveStates(const std::vector<Stage>& chain, std::vector<std::unique_ptr<PendingFile>>& files,
                const RunNotes& notes) {
    for (std::size_t k = 0; k < chain.size(); ++k) {
        if (!files[k]) continue;
        const bool program = isProgramFileName(chain[k].options.stateOut);
        notes.trace("saving the state of " + quote(chain[k].options.plugin));
        const std::vector<unsigned char> bytes =
            encodeStateFile(captureState(*chain[k].plugin, program), program);
        files[k]->writeBytes(bytes.data(), bytes.size());
    }
}

void traceHostCalls(const std::vector<Stage>& chain, const RunNotes& notes) {
    for (const Stage& stage : chain) {
        const HostCallCounts& calls = stage.plugin->hostCalls();
        notes.trace("calls from " + quote(stage.options.plugin) + ": version " +
                    std::to_string(calls.version) + ", want MIDI " +
                    std::to_string(calls.wantMidi) + ", get time " + std::to_string(calls.getTime) +
                    ", update display " + std::to_string(calls.updateDisplay) + ", automate " +
                    std::to_string(calls.automate) + ", I/O changed " +
                    std::to_string(calls.ioChanged) + ", other " + std::to_string(calls.other));
    }
}

LoopSettings loopSettings(const ProcessOptions& options, int rate, const OutputFormat& format,
                          std::vector<int> map, std::vector<ParameterEvent> events) {
    LoopSettings settings;
    settings.blockSize = options.blockSize;
    settings.doublePrecision = options.precision == 64;
    settings.tailFrames = std::llround(options.tailSeconds * rate);
    settings.tailAuto = options.tailAuto;
    settings.tailCap = std::llround(kMaxAutoTailSeconds * rate);
    settings.quietFrames = rate;
    settings.integerOutput = format.integer();
    settings.outputMap = std::move(map);
    settings.events = std::move(events);
    return settings;
}

void processOne(const ProcessOptions& options) {
    RunNotes notes(options.verbose);
    checkOutputs(options);
    OutputFormat format;
    if (!options.keepFormat)
        format = chooseOutputFormat(options.output, options.format, options.bits);
    std::vector<Stage> chain = readStageSettings(options);
    const RunInput input = openInput(options);
    if (options.keepFormat) format = input.reader->format();
    loadChain(chain, options, input.runRate, notes);
    std::vector<int> map = planChannels(chain, options, input.reader->channels(), notes);
    std::vector<ParameterEvent> events = prepareChain(chain, options, input.runRate, notes);

    AudioWriter writer(options.output, format, static_cast<int>(map.size()), input.runRate,
                       options.force, Dither{options.dither, options.ditherSeed});
    std::vector<std::unique_ptr<PendingFile>> stateFiles = startStateFiles(chain, options.force);
    std::optional<PendingFile> jsonFile;
    if (!options.jsonOut.empty()) jsonFile.emplace(options.jsonOut, options.force);

    std::vector<DelayFollower> delays = startChain(chain, options, notes);
    std::vector<Plugin*> plugins;
    plugins.reserve(chain.size());
    for (const Stage& stage : chain)
        plugins.push_back(stage.plugin.get());
    const LoopSettings settings =
        loopSettings(options, input.runRate, format, map, std::move(events));
    const std::int64_t expected =
        input.resampler ? resampledLength(input.reader->frames(), input.fileRate, input.runRate)
                        : input.reader->frames();
    Progress progress(stderr, standardErrorIsTerminal(), "processing",
                      expected + settings.tailFrames);
    const auto start = std::chrono::steady_clock::now();
    const LoopResult result =
        runChain(plugins, std::move(delays), input.source(), writer, settings, progress);
    RunRecord run{options,
                  chain,
                  input,
                  format,
                  settings.outputMap,
                  result,
                  notes,
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    for (Plugin* plugin : plugins)
        plugin->suspend();
    warnAboutOutput(run, notes);
    saveStates(chain, stateFiles, notes);
    if (jsonFile) {
        jsonFile->writeText(processJson(run));
    }
    writer.finish();
    for (const auto& file : stateFiles)
        if (file) file->commit();
    if (jsonFile) jsonFile->commit();
    printProcessReport(run);
    traceHostCalls(chain, notes);
    notes.failIfStrict(options.strict);
}

} // namespace

void runProcess(const ProcessOptions& options) {
    if (isBatch(options))
        runBatch(options);
    else
        processOne(options);
}

} // namespace plughost
