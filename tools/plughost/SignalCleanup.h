// SPDX-License-Identifier: MIT
// What happens when plughost is stopped by a signal: interrupted (SIGINT, SIGTERM, SIGHUP) or
// brought down by a fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT), most likely inside a
// plug-in. Pending output files are removed; an interruption then ends the process by the same
// signal, and a fault is reported in one line naming where it happened and ends it with status
// 128 + the signal number.
#pragma once

#include <string>

namespace plughost {

// Installs the handlers; safe to call more than once.
void installSignalCleanup();

// A file the handlers remove; answers a slot for forgetRemoval, or -1 when it cannot be kept
// (too many files, or a path too long).
int removeOnSignal(const std::string& path);
void forgetRemoval(int slot);

// Marks the time spent inside plug-in code, so that a fault there is blamed on the plug-in.
class InsidePlugin {
public:
    InsidePlugin();
    ~InsidePlugin();
    InsidePlugin(const InsidePlugin&) = delete;
    InsidePlugin& operator=(const InsidePlugin&) = delete;
};

} // namespace plughost
