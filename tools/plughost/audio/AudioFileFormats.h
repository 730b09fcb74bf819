// SPDX-License-Identifier: MIT
// What each implementation of AudioFile.h says about the formats it writes, for the part they
// share (AudioFileCommon.cpp).
#pragma once

#include <string>

namespace plughost {

// The output names it writes, for messages (".wav, .aiff, .aif or .flac").
extern const char* const kWritableExtensions;
// Whether it writes the container "wav", "aiff" or "flac".
bool writesContainer(const std::string& kind);
// Its format code for a container it writes and samples "16", "24" or "32f".
int formatCode(const std::string& kind, const std::string& samples);

} // namespace plughost
