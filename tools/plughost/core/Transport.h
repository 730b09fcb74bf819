// SPDX-License-Identifier: MIT
// The host's musical time line: a transport that plays from the start of the file at a fixed
// tempo and time signature and answers the plug-in's time requests.
#pragma once

#include "host/VstInterface.h"

#include <cstdint>

namespace plughost {

class Transport {
public:
    static constexpr double kTempo = 120.0;
    static constexpr VstInt32 kBeatsPerBar = 4;
    static constexpr VstInt32 kBeatUnit = 4;

    explicit Transport(double sampleRate);

    // Playing, at the first frame of the next block; the first call after construction or
    // rewind() also marks the transport as just changed (started).
    void moveTo(std::int64_t samplePosition);
    // Stopped at samplePosition (the host is not playing, as while it warms a plug-in up).
    void stopAt(std::int64_t samplePosition);
    // The next moveTo() starts playing again.
    void rewind() { m_started = false; }

    // The answer to audioMasterGetTime; stays valid and unchanged until the next move.
    VstTimeInfo* info() { return &m_info; }

private:
    void place(std::int64_t samplePosition);

    VstTimeInfo m_info{};
    bool m_started = false;
};

} // namespace plughost
