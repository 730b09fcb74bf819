// SPDX-License-Identifier: MIT
// The validator's checks. Each runs in a process of its own, loads the plug-in there and
// reports through Findings; a check's level is the lowest --level that runs it, and higher
// levels make some checks more thorough.
#pragma once

#include "CheckReport.h"

#include <string>
#include <vector>

namespace plughost::validate {

struct CheckContext {
    std::string plugin;
    int level = 5;
    double seconds = 1.0;
    Findings& out;
};

struct CheckDefinition {
    const char* name;
    int level;
    const char* summary;
    void (*run)(CheckContext& context);
};

// In the order they run, quick ones first.
const std::vector<CheckDefinition>& allChecks();

// Levels at which some checks grow stricter or longer.
constexpr int kFullProcessingLevel = 5;
constexpr int kRealtimeFailLevel = 7;
constexpr int kLongLifecycleLevel = 8;
constexpr int kTopLevel = 10;

// Texts hosts actually give these sizes, terminating zero included; writing past them is a
// warning, past kHostTextLimit a failure.
constexpr std::size_t kParameterTextSize = 8;
constexpr std::size_t kProgramNameSize = 24;
constexpr std::size_t kEffectNameSize = 32;
constexpr std::size_t kVendorTextSize = 64;
constexpr std::size_t kHostTextLimit = 64;

} // namespace plughost::validate
