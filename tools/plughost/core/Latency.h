// SPDX-License-Identifier: MIT
// Following a plug-in's delay the way hosts do. Many plug-ins announce their delay only once
// they process (a look-ahead limiter may read 0 after resume and its real delay a few blocks
// later), and some change it while they run. So a host
//   1. warms the plug-in up: processes silence with the transport stopped, reads the delay,
//      then suspends and resumes it, so that the real run starts from a clean state;
//   2. reads the delay again after every processing call of the real run.
// A plug-in that reads 0 again after the resume and then announces what the warm-up found is
// not changing its delay: it is announcing it late again. Any other new value is a change.
#pragma once

#include "Plugin.h"

#include <cstdint>

namespace plughost {

// Frames of silence a warm-up processes: at least kWarmUpCalls calls of the run's block size,
// and at least kWarmUpSeconds of audio.
constexpr int kWarmUpCalls = 4;
constexpr double kWarmUpSeconds = 0.1;

// Warms a resumed plug-in up in blocks of blockSize frames at the given precision, and leaves
// it suspended and resumed again. Answers the delay to start the real run with.
VstInt32 warmUp(Plugin& plugin, VstInt32 blockSize, bool doublePrecision);

// The delay of one plug-in during a run, from the delay warmUp() answered.
class DelayFollower {
public:
    DelayFollower(VstInt32 startDelay, VstInt32 reportedNow)
        : m_delay(startDelay), m_lastReport(reportedNow) {}

    // Takes the plug-in's report after a processing call; answers true when it is a change.
    bool follow(VstInt32 reported);
    VstInt32 frames() const { return m_delay; }

private:
    VstInt32 m_delay;
    VstInt32 m_lastReport;
};

} // namespace plughost
