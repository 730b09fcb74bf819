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
    // Seconds the check may take beyond the usual time-out for the work that level and
    // --seconds ask of it (cycles, audio); null: none.
    double (*extraTime)(int level, double seconds) = nullptr;
};

// In the order they run, quick ones first.
const std::vector<CheckDefinition>& allChecks();
// The check that runs before all others: the file is a loadable VST 2.4 library, and who the
// plug-in is.
const CheckDefinition& loadCheck();
// The load check's stage while the system loads the library.
inline constexpr const char* kLoadingStage = "loading the library";
// The check of that name (the load check included), or null.
const CheckDefinition* findCheck(const std::string& name);
// Their names, for messages ("identity, parameters, ...").
std::string checkNames();

void checkLoad(CheckContext& context);
void checkIdentity(CheckContext& context);
void checkParameters(CheckContext& context);
void checkState(CheckContext& context);
void checkProcessing(CheckContext& context);
void checkBuffers(CheckContext& context);
void checkInstances(CheckContext& context);
void checkLifecycle(CheckContext& context);
void checkRealtime(CheckContext& context);
void checkThreads(CheckContext& context);
void checkEditor(CheckContext& context);

double processingTime(int level, double seconds);
double lifecycleTime(int level, double seconds);

// Levels at which some checks grow stricter or longer.
constexpr int kFullProcessingLevel = 5;
constexpr int kRealtimeFailLevel = 7;
constexpr int kLongLifecycleLevel = 8;
constexpr int kTopLevel = 10;

// Open-resume-suspend-close cycles of the lifecycle check at a level.
inline int lifecycleCycles(int level) {
    return level >= kLongLifecycleLevel ? 1000 : 100;
}
// How long the output may stay non-finite after NaN or infinite input ends, at a level.
inline double recoveryAllowanceSeconds(int level) {
    return level >= kLongLifecycleLevel ? 2.0 : 5.0;
}

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
