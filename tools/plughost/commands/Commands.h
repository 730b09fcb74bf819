// SPDX-License-Identifier: MIT
// The commands, one file each, over the host core. Each prints its report on standard output
// and notes on standard error, and throws Failure when it cannot finish (core/Failure.h maps
// that to the exit status); nothing is left behind then.
#pragma once

#include "cli/CommandLine.h"
#include "core/Failure.h"

namespace plughost {

void runInfo(const InfoOptions& options);
void runProcess(const ProcessOptions& options);
void runGen(const GenOptions& options);
void runEditor(const EditorOptions& options);
void runValidate(const ValidateOptions& options);

} // namespace plughost
