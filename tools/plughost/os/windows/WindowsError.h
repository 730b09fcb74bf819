// SPDX-License-Identifier: MIT
// The system's text for a Windows error code, for messages (Windows build only).
#pragma once

#include <string>

namespace plughost {

// One line, without the full stop and line break Windows ends its texts with.
std::string windowsErrorText(unsigned long code);
// The same for GetLastError().
std::string lastWindowsError();

} // namespace plughost
