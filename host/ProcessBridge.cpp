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

CpuFeatures detectCpuFeatures() noexcept {
    CpuFeatures cpu;
#if QT_WIDE_PROCESSING
    __builtin_cpu_init();
    cpu.avx2 = __builtin_cpu_supports("avx2");
    cpu.avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                 __builtin_cpu_supports("avx512dq");
#endif
    return cpu;
}

} // namespace process_bridge
