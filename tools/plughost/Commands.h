// SPDX-License-Identifier: MIT
// The three commands. Each prints its report on standard output and notes on standard error,
// and throws Failure when it cannot finish; nothing is left behind then.
#pragma once

#include "CommandLine.h"

namespace plughost {

void runInfo(const InfoOptions& options);
void runProcess(const ProcessOptions& options);
void runGen(const GenOptions& options);

} // namespace plughost
