// SPDX-License-Identifier: MIT
// The validator's runner: every check in a process of its own (this program started again for
// that check alone), the load check first, one line per check as it finishes, and the whole as
// JSON.
#pragma once

#include "CheckReport.h"
#include "Checks.h"
#include "cli/CommandLine.h"

#include <cstdio>
#include <string>
#include <vector>

namespace plughost::validate {

std::string validateUsage();

// Time a check may take before it counts as hung.
double checkTimeout(const CheckDefinition& check, const ValidateOptions& options);

// Runs the load check in a child process.
CheckOutcome runLoadCheck(const ValidateOptions& options);
// Why the load check's outcome says the file is not a loadable plug-in ("no such file"); empty
// when it is one.
std::string notLoadable(const ValidateOptions& options, const CheckOutcome& load);

// Runs the checks the options choose, each in a child process, printing each outcome to out
// as it finishes; answers the outcomes.
std::vector<CheckOutcome> runChecks(const ValidateOptions& options, std::FILE* out);

// The child's side: runs the check options.only names here, its report lines on standard
// output.
void runCheckHere(const ValidateOptions& options);

// The plug-in in one line for the terminal: "'Name' by 'Vendor', unique id 'Abcd' (1), 2 in, 2
// out, ...".
std::string identityLine(const PluginIdentity& identity);

std::string jsonReport(const ValidateOptions& options, const CheckOutcome& load,
                       const std::vector<CheckOutcome>& outcomes, int exitCode);

} // namespace plughost::validate
