// SPDX-License-Identifier: MIT
// File name patterns, as a batch's inputs give them: expanded the platform's way (POSIX glob;
// on Windows * and ? in the last part of the path).
#pragma once

#include <string>
#include <vector>

namespace plughost {

// The files a pattern names, sorted; a name without pattern characters is itself. Throws
// Failure when a pattern names no file.
std::vector<std::string> expandPattern(const std::string& pattern);

// Whether text holds characters that make it a pattern on this platform.
bool isPattern(const std::string& text);

} // namespace plughost
