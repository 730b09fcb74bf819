// SPDX-License-Identifier: MIT
// plughost's command line: `info`, `process`, `gen` and `--help`, checked completely before
// any work starts.
#pragma once

#include "SignalGenerator.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace plughost {

struct HelpRequest {};
struct VersionRequest {};

struct InfoOptions {
    std::string plugin;
    bool json = false; // the description as JSON on standard output
};

// A plug-in after the first in a chain, with its own settings.
struct ChainStage {
    std::string plugin;
    std::vector<std::string> parameters;
};

struct ProcessOptions {
    std::string plugin;
    // Batches: several inputs (or patterns), each written to outDir under its own name, jobs
    // runs at a time (0: one per processor). perFileArgs repeats the command line without
    // the batch's options, for the run of each file.
    std::vector<std::string> inputs;
    std::string outDir;
    int jobs = 0;
    std::vector<std::string> perFileArgs;
    std::vector<ChainStage> chain; // -P PLUGIN given more than once: the plug-ins after the first
    std::string input;
    std::string output;
    std::vector<std::string> parameters; // --param specs, in order
    std::string automation;              // a CSV file of timed parameter changes
    int blockSize = 1024;
    int precision = 32;
    int rate = 0;          // the sample rate the plug-in must run at; 0: the input's
    bool resample = false; // an input at another rate than rate is converted to it
    std::string stateIn;
    std::string stateOut;
    std::string jsonOut;      // a JSON report of the run
    double tailSeconds = 0.0; // silence processed after the input, for reverb and echo tails
    bool tailAuto = false;    // until the output stays quiet, at most kMaxAutoTailSeconds
    bool force = false;       // replace files without write permission
    std::string format;       // wav, aiff or flac; empty: from the output's extension
    std::string bits;         // 16, 24 or 32f; empty: the format's default
    bool keepFormat = false;  // write the input's format
    bool dither = true;       // TPDF dither for integer output
    std::uint64_t ditherSeed = 1;
    // Output file channel k carries plug-in output outputMap[k] (0-based; -1 silence). Empty:
    // every plug-in output in order.
    std::vector<int> outputMap;
    bool verbose = false;
};

// Whether the options ask for a batch: several inputs, a pattern, or an output folder.
bool isBatch(const ProcessOptions& options);

constexpr double kMaxAutoTailSeconds = 30.0;
constexpr double kMaxTailSeconds = 3600.0;

struct GenOptions {
    std::string output;
    TestSignal signal;
};

using Command = std::variant<HelpRequest, VersionRequest, InfoOptions, ProcessOptions, GenOptions>;

// args without the program name; throws UsageError.
Command parseCommandLine(const std::vector<std::string>& args);

std::string usageText();
std::string versionText();

} // namespace plughost
