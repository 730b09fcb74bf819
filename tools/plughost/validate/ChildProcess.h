// SPDX-License-Identifier: MIT
// Running one check in a process of its own, so that a crash, an abort or a hang in the
// plug-in ends only that check.
#pragma once

#include "CheckReport.h"

#include <functional>
#include <string>
#include <vector>

namespace plughost::validate {

// Runs body in a child process with a sink for its report lines; answers everything the child
// reported and how it ended. A child still running after timeoutSeconds is killed. The child
// sends its standard output to standard error, so that the parent's output stays the report.
// Where a process cannot be forked (Windows), the child is this program started again with
// childArguments, which make it run the same body and write its report lines on standard
// output.
ChildEnd runInChild(const std::function<void(const std::function<void(const std::string&)>&)>& body,
                    const std::vector<std::string>& childArguments, double timeoutSeconds,
                    std::string& report);

// How a child that crashed ended (ChildEnd::Kind::Signalled and its code), in a few words.
std::string crashName(int code);

} // namespace plughost::validate
