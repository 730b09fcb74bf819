// SPDX-License-Identifier: MIT
// Running one check in a process of its own, so that a crash, an abort or a hang in the
// plug-in ends only that check.
#pragma once

#include "CheckReport.h"

#include <functional>
#include <string>

namespace plughost::validate {

// Runs body in a child process with a sink for its report lines; answers everything the child
// reported and how it ended. A child still running after timeoutSeconds is killed. The child
// sends its standard output to standard error, so that the parent's output stays the report.
ChildEnd runInChild(const std::function<void(const std::function<void(const std::string&)>&)>& body,
                    double timeoutSeconds, std::string& report);

} // namespace plughost::validate
