// SPDX-License-Identifier: MIT
// The validator's checks, one file each in checks/. Each runs in a process of its own, loads
// the plug-in there and reports through Findings; a check's level is the lowest --level that
// runs it, and higher levels make some checks more thorough.
#pragma once

#include "CheckReport.h"

#include <cstddef>
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
// The check of that name, or null.
const CheckDefinition* findCheck(const std::string& name);
// Their names, for messages ("identity, parameters, ...").
std::string checkNames();

void checkIdentity(CheckContext& context);
void checkParameters(CheckContext& context);
void checkState(CheckContext& context);
void checkProcessing(CheckContext& context);
void checkLifecycle(CheckContext& context);
void checkRealtime(CheckContext& context);
void checkThreads(CheckContext& context);
void checkEditor(CheckContext& context);

// Levels at which some checks grow stricter or longer.
constexpr int kFullProcessingLevel = 5;
constexpr int kRealtimeFailLevel = 7;
constexpr int kLongLifecycleLevel = 8;
constexpr int kTopLevel = 10;

// Parameters beyond this many are not swept (a plug-in with thousands would take hours).
constexpr int kMaxSweptParameters = 1000;

// Texts hosts actually give these sizes, terminating zero included; writing past them is a
// warning, past kHostTextLimit a failure.
constexpr std::size_t kParameterTextSize = 8;
constexpr std::size_t kProgramNameSize = 24;
constexpr std::size_t kEffectNameSize = 32;
constexpr std::size_t kVendorTextSize = 64;
constexpr std::size_t kHostTextLimit = 64;

} // namespace plughost::validate
