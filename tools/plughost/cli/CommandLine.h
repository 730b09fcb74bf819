// SPDX-License-Identifier: MIT
// plughost's command line: every command's options, checked completely before any work starts.
#pragma once

#include "audio/SignalGenerator.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace plughost {

// --help, for plughost as a whole or for one command ("validate").
struct HelpRequest {
    std::string command;
};
struct VersionRequest {};

struct InfoOptions {
    std::string plugin;
    bool json = false; // the description as JSON on standard output
};

// One plug-in of a `process` run and the settings given after it.
struct StageOptions {
    std::string plugin;
    std::vector<std::string> parameters; // --param settings, in order
    std::string automation;              // a CSV file of timed parameter changes
    std::string stateIn;                 // --state: restored before processing
    std::string stateOut;                // --save-state: saved after processing
};

struct ProcessOptions {
    // The plug-ins in the order the audio goes through them (-P given more than once): at
    // least one. Settings belong to the plug-in named last before them.
    std::vector<StageOptions> chain;
    // Batches: several inputs (or patterns), each written to outDir under its own name, jobs
    // runs at a time (0: one per processor). perFileArgs repeats the command line without
    // the batch's own options, for the run of each file.
    std::vector<std::string> inputs;
    std::string outDir;
    int jobs = 0;
    std::vector<std::string> perFileArgs;
    std::string input;
    std::string output;
    int blockSize = 1024;
    int precision = 32;
    int rate = 0;             // the sample rate the plug-in must run at; 0: the input's
    bool resample = false;    // an input at another rate than rate is converted to it
    std::string jsonOut;      // a JSON report of the run (of the whole batch)
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
    bool strict = false; // any warning makes the run fail
};

// Whether the options ask for a batch: several inputs, a pattern, or an output folder.
bool isBatch(const ProcessOptions& options);

constexpr double kMaxAutoTailSeconds = 30.0;
constexpr double kMaxTailSeconds = 3600.0;

struct GenOptions {
    std::string output;
    TestSignal signal;
};

struct EditorOptions {
    std::string plugin;
    double seconds = 0.0; // 0: until the window is closed
    std::string screenshot;
};

struct ValidateOptions {
    std::string plugin;
    int level = 5;
    std::string only;     // one check by name, whatever its level
    std::string jsonFile; // empty: no JSON
    double seconds = 1.0; // audio length of the timed checks
    double timeout = 0.0; // seconds a check may take; 0: the default for the check
    bool verbose = false; // everything the plug-in writes to standard error, under its check
    // Hidden: run the check named by only in this process, its report lines on standard
    // output (the child's side of a check).
    bool childReport = false;
};

using Command = std::variant<HelpRequest, VersionRequest, InfoOptions, ProcessOptions, GenOptions,
                             EditorOptions, ValidateOptions>;

// args without the program name; throws UsageError.
Command parseCommandLine(const std::vector<std::string>& args);

std::string usageText();
std::string versionText();

} // namespace plughost
