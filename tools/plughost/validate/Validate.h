// SPDX-License-Identifier: MIT
// The validator's runner: every check in a process of its own (this program started again for
// that check alone), one line per check as it finishes, and the whole as JSON.
#pragma once

#include "CheckReport.h"
#include "cli/CommandLine.h"

#include <cstdio>
#include <string>
#include <vector>

namespace plughost::validate {

std::string validateUsage();

// Time a check may take before it counts as hung.
double checkTimeout(double seconds);

// Runs the checks the options choose, each in a child process, printing each outcome to out
// as it finishes; answers the outcomes.
std::vector<CheckOutcome> runChecks(const ValidateOptions& options, std::FILE* out);

// The child's side: runs the check options.only names here, its report lines on standard
// output.
void runCheckHere(const ValidateOptions& options);

std::string jsonReport(const ValidateOptions& options, const std::vector<CheckOutcome>& outcomes);

} // namespace plughost::validate
