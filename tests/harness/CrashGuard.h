// SPDX-License-Identifier: MIT
// Makes a crash in a test program end it with a failing exit code, whatever the platform's
// crash handling would otherwise do.
#pragma once

namespace testhost {
void installCrashGuard();
} // namespace testhost
