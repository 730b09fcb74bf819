// SPDX-License-Identifier: MIT
// What the steps of one `plughost process` run (Process.cpp) share, and what its report
// (ProcessReport.cpp) tells of it.
#pragma once

#include "ProcessingLoop.h"
#include "audio/Resampler.h"
#include "cli/CommandLine.h"
#include "core/Parameters.h"
#include "core/StateFile.h"
#include "report/Notes.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plughost {

// One plug-in of the chain and what the run does with it.
struct Stage {
    StageOptions options;
    std::vector<ParameterRequest> requests; // its --param settings, then its automation file's
    std::vector<ResolvedParameter> made;    // what each request came to
    std::optional<PluginState> state;       // read from its --state file
    std::unique_ptr<PluginLibrary> library; // declared before the instance: closed after it
    std::unique_ptr<Plugin> plugin;
    VstInt32 latency = 0; // as the run starts
};

// The input as the plug-ins get it: the file, converted to the run's rate where it is not at it.
struct RunInput {
    std::unique_ptr<AudioReader> reader;
    std::unique_ptr<Resampler> resampler;
    int fileRate = 0;
    int runRate = 0;

    AudioSource& source() const {
        return resampler ? static_cast<AudioSource&>(*resampler) : *reader;
    }
    // Frames of the file itself, at its own rate, once it has been read.
    std::int64_t fileFrames(const LoopResult& result) const {
        return resampler ? resampler->inputFrames() : result.frames;
    }
};

// What was run and how it went, for the reports.
struct RunRecord {
    const ProcessOptions& options;
    const std::vector<Stage>& chain;
    const RunInput& input;
    const OutputFormat& format;
    const std::vector<int>& outputMap;
    const LoopResult& result;
    const RunNotes& notes;
    double seconds = 0.0; // the time the loop took
};

// The JSON report of a run.
std::string processJson(const RunRecord& run);
// The report printed on standard output.
void printProcessReport(const RunRecord& run);

} // namespace plughost
