// SPDX-License-Identifier: MIT
#include "ProcessBridge.h"

namespace process_bridge {

std::int32_t rememberedChannels(std::atomic<std::int32_t>& slot, const CVeST& shell) noexcept {
    std::int32_t channels = slot.load(std::memory_order_acquire);
    if (channels >= 0) return channels;
    std::int32_t wanted = shell.numInputs();
    if (wanted < 0) wanted = 0;
    if (wanted > CTarvoSamples::kSamplePlaces) wanted = CTarvoSamples::kSamplePlaces;
    // Whoever publishes first wins; a losing caller takes the published value.
    if (slot.compare_exchange_strong(channels, wanted, std::memory_order_acq_rel)) return wanted;
    return channels;
}

} // namespace process_bridge
