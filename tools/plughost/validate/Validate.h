// SPDX-License-Identifier: MIT
// `plughost validate`: judges any VST 2.4 plug-in library by a suite of checks, each in a
// process of its own, and reports one line per check, a summary and, on request, JSON.
#pragma once

#include "CheckReport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace plughost::validate {

struct ValidateOptions {
    std::string plugin;
    int level = 5;
    std::string only;     // one check by name, whatever its level
    std::string jsonFile; // empty: no JSON
    double seconds = 1.0; // audio length of the timed checks
    double timeout = 0.0; // seconds a check may take; 0: checkTimeout(seconds)
    bool help = false;
    // Hidden: run the check named by only in this process, its report lines on standard
    // output (the child's side where processes are started afresh instead of forked).
    bool childReport = false;
};

// args after "validate"; throws UsageError.
ValidateOptions parseValidateOptions(const std::vector<std::string>& args);
std::string validateUsage();

// Time a check may take before it counts as hung.
double checkTimeout(double seconds);

// Runs the checks, printing as they finish; answers the outcomes.
std::vector<CheckOutcome> runChecks(const ValidateOptions& options, std::FILE* out);
std::string jsonReport(const ValidateOptions& options, const std::vector<CheckOutcome>& outcomes);

// The whole command: answers the exit status (0 nothing failed, 1 a check failed or the report
// could not be written, 2 bad command line).
int runValidateCommand(const std::vector<std::string>& args);

} // namespace plughost::validate
