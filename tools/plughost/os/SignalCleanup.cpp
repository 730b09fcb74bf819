// SPDX-License-Identifier: MIT
// The part of SignalCleanup.h that is the same on every platform: the table of pending files.
// The handlers are in <platform>/SignalCleanup.cpp.
#include "SignalCleanup.h"

#include "SignalCleanupSlots.h"

#include <cstring>

namespace plughost {
namespace signal_cleanup {

std::array<std::array<char, kPathCapacity>, kSlots> g_paths{};
volatile std::sig_atomic_t g_used[kSlots] = {};

} // namespace signal_cleanup

using namespace signal_cleanup;

int removeOnSignal(const std::string& path) {
    if (path.size() >= kPathCapacity) return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (g_used[i] == 0) {
            auto& slot = g_paths[static_cast<std::size_t>(i)];
            std::memcpy(slot.data(), path.c_str(), path.size() + 1);
            g_used[i] = 1;
            return i;
        }
    }
    return -1;
}

void forgetRemoval(int slot) {
    if (slot >= 0) g_used[slot] = 0;
}

} // namespace plughost
