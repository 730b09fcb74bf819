// SPDX-License-Identifier: MIT
// plughost's command line: `info`, `process`, `gen` and `--help`, checked completely before
// any work starts.
#pragma once

#include "SignalGenerator.h"

#include <string>
#include <variant>
#include <vector>

namespace plughost {

struct HelpRequest {};
struct VersionRequest {};

struct InfoOptions {
    std::string plugin;
};

struct ProcessOptions {
    std::string plugin;
    std::string input;
    std::string output;
    std::vector<std::string> parameters; // --param specs, in order
    int blockSize = 1024;
    int precision = 32;
    std::string stateIn;
    std::string stateOut;
    double tailSeconds = 0.0; // silence processed after the input, for reverb and echo tails
    bool tailAuto = false;    // until the output stays quiet, at most kMaxAutoTailSeconds
    bool force = false;       // replace files without write permission
    bool verbose = false;
};

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
