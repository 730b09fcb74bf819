// SPDX-License-Identifier: MIT
// realtime: allocations, releases and lock calls on the audio thread while processing with
// automation.
#include "validate/CheckAudio.h"
#include "validate/CheckSupport.h"

#include "core/PluginCalls.h"
#include "os/AllocationWatch.h"

#include <algorithm>
#include <cstdlib>

namespace plughost::validate {

void checkRealtime(CheckContext& context) {
    Findings& out = context.out;
    {
        // The counters must see this process's own allocation, or the check would prove nothing.
        resetAllocationCounts();
        const AudioThreadScope audio;
        void* volatile probe = std::malloc(32);
        std::free(probe);
    }
    if (allocationCounts().allocations == 0) {
        out.skip("allocations cannot be counted in this build of plughost");
        return;
    }
    const CheckedPlugin checked(context, SineBlocks::kRate, SineBlocks::kBlock);
    Plugin& plugin = *checked;
    const VstInt32 count = std::min(plugin.parameterCount(), kMaxSweptParameters);
    SineBlocks sine(out, plugin, 3);
    const long blocks =
        std::max(16L, static_cast<long>(SineBlocks::kRate * context.seconds / SineBlocks::kBlock));
    out.stage("processing with automation on the audio thread");
    resetAllocationCounts();
    long calls = 0;
    for (long b = 0; b < blocks; ++b) {
        {
            const AudioThreadScope audio;
            for (VstInt32 i = 0; i < count; ++i)
                plugin.setParameter(i, static_cast<float>((b + i) % 10) / 10.0f);
        }
        calls += sine.step();
    }
    const AllocationCounts counts = allocationCounts();
    const std::string text = std::to_string(counts.allocations) + " allocations, " +
                             std::to_string(counts.releases) + " releases and " +
                             std::to_string(counts.locks) + " lock calls on the audio thread in " +
                             std::to_string(calls) + " processing calls with automation";
    if (counts.allocations + counts.releases + counts.locks == 0)
        out.note(text);
    else if (context.level >= kRealtimeFailLevel)
        out.fail(text);
    else
        out.warn(text);
}

} // namespace plughost::validate
