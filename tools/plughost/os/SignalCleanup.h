// SPDX-License-Identifier: MIT
// What happens when plughost is stopped by a signal: interrupted (Ctrl-C, SIGTERM, SIGHUP; on
// Windows Ctrl+C, Ctrl+Break or the console closing) or brought down by a fault (an invalid
// memory access, an arithmetic fault, an illegal instruction, an abort), most likely inside a
// plug-in (core/PluginCalls.h). Pending output files are removed; an interruption is reported
// in one line and then ends the process the usual way; a fault is reported in one line naming
// where it happened and ends the process with 128 + the signal number (on Windows: the
// exception's code).
#pragma once

#include <string>

namespace plughost {

// Installs the handlers; safe to call more than once.
void installSignalCleanup();

// For a process whose parent reports its crash (a validation check): a fault ends it the way
// the system ends a crashed process, without a line of its own.
void letCrashesEndTheProcess();

// A crash as the parent of a crashed process reports it, from how the process ended: the signal
// number on POSIX systems, the exception code on Windows ("invalid memory access, SIGSEGV").
std::string crashDescription(int code);

// A file the handlers remove; answers a slot for forgetRemoval, or -1 when it cannot be kept
// (too many files, or a path too long).
int removeOnSignal(const std::string& path);
void forgetRemoval(int slot);

} // namespace plughost
