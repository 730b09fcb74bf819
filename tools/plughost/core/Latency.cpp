// SPDX-License-Identifier: MIT
#include "Latency.h"

#include "ChannelBuffers.h"

#include <algorithm>
#include <cmath>

namespace plughost {
namespace {

template <class Sample>
void processSilence(Plugin& plugin, VstInt32 blockSize, std::int64_t frames) {
    ChannelBuffers<Sample> in(plugin.inputs(), blockSize);
    ChannelBuffers<Sample> out(plugin.outputs(), blockSize);
    for (std::int64_t done = 0; done < frames; done += blockSize) {
        in.clear(static_cast<std::size_t>(blockSize)); // a plug-in may use its inputs as scratch
        plugin.process(in.channels(), out.channels(), blockSize, false);
    }
}

} // namespace

VstInt32 warmUp(Plugin& plugin, VstInt32 blockSize, bool doublePrecision) {
    const std::int64_t frames = std::max<std::int64_t>(
        std::int64_t{kWarmUpCalls} * blockSize, std::llround(kWarmUpSeconds * plugin.sampleRate()));
    if (doublePrecision)
        processSilence<double>(plugin, blockSize, frames);
    else
        processSilence<float>(plugin, blockSize, frames);
    const VstInt32 warmed = plugin.reportedDelay();
    plugin.suspend();
    plugin.resume();
    // A delay announced on resume is the plug-in's latest word; 0 may only mean "not yet".
    const VstInt32 resumed = plugin.reportedDelay();
    return resumed != 0 ? resumed : warmed;
}

bool DelayFollower::follow(VstInt32 reported) {
    if (reported == m_lastReport) return false;
    m_lastReport = reported;
    if (reported == m_delay) return false;
    m_delay = reported;
    return true;
}

} // namespace plughost
