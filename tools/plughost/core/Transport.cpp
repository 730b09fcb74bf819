// SPDX-License-Identifier: MIT
#include "Transport.h"

#include <cmath>

namespace plughost {

Transport::Transport(double sampleRate) {
    m_info.sampleRate = sampleRate;
    m_info.tempo = kTempo;
    m_info.timeSigNumerator = kBeatsPerBar;
    m_info.timeSigDenominator = kBeatUnit;
    place(0);
}

void Transport::moveTo(std::int64_t samplePosition) {
    place(samplePosition);
    m_info.flags |= kVstTransportPlaying;
    if (!m_started) {
        m_info.flags |= kVstTransportChanged;
        m_started = true;
    }
}

void Transport::stopAt(std::int64_t samplePosition) {
    place(samplePosition);
}

void Transport::place(std::int64_t samplePosition) {
    const double seconds = static_cast<double>(samplePosition) / m_info.sampleRate;
    m_info.samplePos = static_cast<double>(samplePosition);
    m_info.nanoSeconds = seconds * 1e9;
    m_info.ppqPos = seconds * kTempo / 60.0;
    // Quarter notes per bar: a 4/4 bar is four quarters, a 6/8 bar three.
    const double quartersPerBar = kBeatsPerBar * 4.0 / kBeatUnit;
    m_info.barStartPos = std::floor(m_info.ppqPos / quartersPerBar) * quartersPerBar;
    m_info.flags =
        kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
}

} // namespace plughost
