// SPDX-License-Identifier: MIT
#include "Checks.h"

namespace plughost::validate {

const std::vector<CheckDefinition>& allChecks() {
    static const std::vector<CheckDefinition> checks{
        {"identity", 1,
         "record, names and texts within host buffer sizes (guard bytes), canDo answers",
         checkIdentity},
        {"parameters", 2,
         "every parameter swept over 0..1: value read back, display text, indices out of range",
         checkParameters},
        {"state", 3, "chunk round trips, identical chunks, truncated and garbage chunks",
         checkState},
        {"processing", 4,
         "sample rates, block sizes, both precisions, test signals, NaN/infinity/subnormal "
         "input and recovery from it",
         checkProcessing, processingTime},
        {"buffers", 5,
         "in place against separate buffers, garbage-filled against zeroed outputs, writes past "
         "the end",
         checkBuffers},
        {"instances", 5, "two instances side by side keep their parameters and state apart",
         checkInstances},
        {"lifecycle", 5, "open, resume, suspend, close, repeated; memory in use stops growing",
         checkLifecycle, lifecycleTime},
        {"realtime", 6, "allocations and lock calls on the audio thread", checkRealtime},
        {"threads", 7, "automation and chunk get/set from a second thread while processing",
         checkThreads},
        {"editor", 9, "open, idle for a second, close, twice (needs an editor and a display)",
         checkEditor},
    };
    return checks;
}

const CheckDefinition& loadCheck() {
    static const CheckDefinition check{"load", 0, "the file is a loadable VST 2.4 library",
                                       checkLoad};
    return check;
}

const CheckDefinition* findCheck(const std::string& name) {
    for (const CheckDefinition& check : allChecks())
        if (name == check.name) return &check;
    return name == loadCheck().name ? &loadCheck() : nullptr;
}

std::string checkNames() {
    std::string names;
    for (const CheckDefinition& check : allChecks())
        names += std::string(names.empty() ? "" : ", ") + check.name;
    return names;
}

} // namespace plughost::validate
