// SPDX-License-Identifier: MIT
// The operating-system side of batches: expanding file name patterns and running plughost
// itself once per file, several at a time. A crash or failure in one run stays in its own
// process.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace plughost {

// The files a pattern with *, ? or [...] names, sorted; a name without those is itself.
// Throws Failure when a pattern names no file.
std::vector<std::string> expandPattern(const std::string& pattern);

struct ChildResult {
    int exitCode = 0;      // 128 + N for a run ended by signal N
    std::string errorText; // what it wrote on standard error
};

// Runs this program once per argument list (program name not included), at most jobs at a
// time, with standard input and output on /dev/null. done is called on this thread as each run
// ends, with its index in runs. Throws Failure when a run cannot be started.
void runChildren(const std::vector<std::vector<std::string>>& runs, int jobs,
                 const std::function<void(std::size_t, const ChildResult&)>& done);

// How many processors this machine has (at least 1).
int processorCount();

// What a run wrote to its standard-error file; the file is removed. For the platform files.
std::string readAndRemoveFile(const std::string& path);

} // namespace plughost
