// SPDX-License-Identifier: MIT
// `plughost gen`: a test signal written to a file.
#include "Commands.h"

#include "audio/AudioFile.h"

#include <cstdio>

namespace plughost {

void runGen(const GenOptions& options) {
    writeTestSignal(options.output, options.signal);
    const TestSignal& signal = options.signal;
    std::printf("wrote %s: %d channels, %d Hz, %.3f s, %s\n", options.output.c_str(),
                signal.channels, signal.sampleRate, signal.seconds,
                outputFormatFor(options.output).description.c_str());
    std::printf("channel k carries a sine of 220*k Hz at %.0f dBFS\n", kTestSignalDb);
}

} // namespace plughost
